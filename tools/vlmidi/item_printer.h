#pragma once
// One printed line per import item: the raw fields, the library's description, and the text of
// text items, so that the output shows exactly what a notation program would receive.

#include <cstdint>
#include <string>

#include "vlmidiin.h"

namespace vl::cli {

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

}  // namespace vl::cli
