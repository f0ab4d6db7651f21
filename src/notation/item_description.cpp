// Item descriptions: the text for each item type and its copy into the host's buffer.

#include "notation/item_description.h"

#include <algorithm>
#include <cstring>
#include <string>

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

int signedByte(uint8_t b) { return static_cast<int8_t>(b); }

// The denominator from its exponent, read as a signed byte and kept to 0..31 so
// that a nonsense exponent still gives a defined (if odd) number.
int32_t denominatorOf(uint8_t exponent) {
    const unsigned shift = static_cast<unsigned>(signedByte(exponent)) & 31u;
    return static_cast<int32_t>(uint32_t{1} << shift);
}

// "<dot word> <value name>", as the note, rest and tempo texts begin. Built
// without printf: a host may ask for the text of every item it receives.
std::string valueWords(uint8_t value) {
    std::string text = noteValueDotWord(value);
    text += ' ';
    text += noteValueName(value);
    return text;
}

// Lower-case hex without leading zeros, as %x writes it.
std::string hexNumber(unsigned value) {
    constexpr char kDigits[] = "0123456789abcdef";
    char digits[8];
    size_t n = 0;
    do {
        digits[n++] = kDigits[value & 0xF];
        value >>= 4;
    } while (value != 0 && n < sizeof digits);
    std::string text;
    while (n > 0) text += digits[--n];
    return text;
}

}  // namespace

std::string itemDescription(const ImportItem& item) {
    switch (item.type) {
        case kUnknownType: return "Unknown item";
        case kMidiNoteType:
        case kNoteType: return valueWords(item.arg2) + ' ' + hexNumber(item.arg1);
        case kRestType: return valueWords(item.arg2) + " rest";
        case kBarlineType: return "Barline";
        case kTimeSignatureType:
            return "Time signature: " + std::to_string(signedByte(item.arg1)) + '/' +
                   std::to_string(denominatorOf(item.arg2));
        case kKeySignatureType: return "Key signature: " + std::to_string(signedByte(item.arg1));
        case kTempoType:
            return valueWords(item.arg1) + " = " + std::to_string(item.arg2 | (item.arg3 << 8));
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
