#pragma once
// Short English descriptions of import items, for the host's diagnostics: a
// pure function of the 8-byte item.

#include <cstdint>
#include <string>

#include "vlmidiin.h"

namespace vl {

// The description of an item ("Dotted Quaver 7f", "Barline", "Time signature: 6/8").
std::string itemDescription(const ImportItem& item);

// Writes the description into buffer: at most size - 1 characters, the rest of
// the buffer filled with NUL bytes, always a NUL in the last byte; a longer text
// is cut. Size 0 writes nothing. True, except for a null buffer with size > 0,
// which is left alone.
bool describeItem(const ImportItem& item, char* buffer, uint32_t size);

}  // namespace vl
