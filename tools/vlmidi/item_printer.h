#pragma once
// One printed line per import item: the raw fields, the library's description, and the text of
// text items, so that the output shows exactly what a notation program would receive.

#include <cstdint>
#include <cstdio>
#include <string>

#include "import_result.h"
#include "vlmidiin.h"

namespace vl::cli {

// VliGetDescription's text for the item.
std::string describeItem(const ImportItem& item);

// The type names the import-lists viewer uses ("midinote", "rest", ...; "Type 4103" otherwise).
std::string itemTypeName(std::uint16_t type);

// "Append", "Cluster", "Ignore", or the number for anything else.
std::string itemActionName(std::uint8_t action);

// Text made safe for one output line: quotes, backslashes and control bytes escaped.
std::string quoteText(const char* text);

// The 32-bit value in bytes 4 to 7 of a text item.
std::uint32_t textItemIndex(const ImportItem& item);

// `text` is what vlImportItemText answered for the item (null for items that are not text).
std::string formatItemLine(const ImportItem& item, const char* text);

// The start items, the guide strand and every strand (with its voicing), one line per item.
void printItemLines(const ImportResult& result, std::FILE* out);

}  // namespace vl::cli
