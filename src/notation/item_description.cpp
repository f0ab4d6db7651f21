// Item descriptions: the text for each item type and its copy into the host's buffer.

#include "notation/item_description.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "notation/note_value_names.h"

namespace vl {

namespace {

constexpr uint16_t kUnknownType = 0;
constexpr uint16_t kMidiNoteType = 1;
constexpr uint16_t kNoteType = 2;
constexpr uint16_t kRestType = 3;
constexpr uint16_t kBarlineType = 4;
constexpr uint16_t kTimeSignatureType = 5;
constexpr uint16_t kKeySignatureType = 6;
constexpr uint16_t kTempoType = 7;

// Long enough for the longest text ("Double dotted Hemidemisemiquaver = 65535").
constexpr size_t kTextCapacity = 64;

int signedByte(uint8_t b) { return static_cast<int8_t>(b); }

// The denominator from its exponent, read as a signed byte and kept to 0..31 so
// that a nonsense exponent still gives a defined (if odd) number.
int32_t denominatorOf(uint8_t exponent) {
    const unsigned shift = static_cast<unsigned>(signedByte(exponent)) & 31u;
    return static_cast<int32_t>(uint32_t{1} << shift);
}

}  // namespace

std::string itemDescription(const ImportItem& item) {
    char text[kTextCapacity];
    switch (item.type) {
        case kUnknownType: return "Unknown item";
        case kMidiNoteType:
        case kNoteType:
            std::snprintf(text, sizeof text, "%s %s %x", noteValueDotWord(item.arg2),
                          noteValueName(item.arg2), static_cast<unsigned>(item.arg1));
            return text;
        case kRestType:
            std::snprintf(text, sizeof text, "%s %s rest", noteValueDotWord(item.arg2),
                          noteValueName(item.arg2));
            return text;
        case kBarlineType: return "Barline";
        case kTimeSignatureType:
            std::snprintf(text, sizeof text, "Time signature: %d/%d", signedByte(item.arg1),
                          static_cast<int>(denominatorOf(item.arg2)));
            return text;
        case kKeySignatureType:
            std::snprintf(text, sizeof text, "Key signature: %d", signedByte(item.arg1));
            return text;
        case kTempoType:
            std::snprintf(text, sizeof text, "%s %s = %d", noteValueDotWord(item.arg1),
                          noteValueName(item.arg1), item.arg2 | (item.arg3 << 8));
            return text;
        default: return "Totally unknown item";
    }
}

bool describeItem(const ImportItem& item, char* buffer, uint32_t size) {
    if (size == 0) return true;
    if (buffer == nullptr) return false;
    const std::string text = itemDescription(item);
    const size_t room = size - 1;
    const size_t copied = std::min(text.size(), room);
    std::memcpy(buffer, text.data(), copied);
    std::memset(buffer + copied, 0, room - copied);
    buffer[room] = '\0';
    return true;
}

}  // namespace vl
