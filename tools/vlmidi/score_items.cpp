// Item fields in the score's terms.

#include "score_items.h"

#include <algorithm>

namespace vl::cli {

namespace {

constexpr std::uint8_t kNoValue = 0x80;
constexpr std::uint8_t kValueIndexMask = 0x07;
constexpr std::uint8_t kDotMask = 0x18;
constexpr std::uint8_t kDotted = 0x08;
constexpr std::uint8_t kDoubleDotted = 0x18;
constexpr std::uint8_t kTripletFlag = 0x10;
constexpr std::uint8_t kQuintupletFlag = 0x20;
constexpr int kMaxFifths = 7;
constexpr int kMaxBeatTypeExponent = 6;

}  // namespace

KeySignature keyFromItem(const ImportItem& item) {
    const int sharps = static_cast<std::int8_t>(item.arg1);
    return KeySignature{std::clamp(sharps, -kMaxFifths, kMaxFifths), item.arg2 != 0};
}

std::optional<TimeSignature> timeFromItem(const ImportItem& item) {
    if (item.arg1 == 0 || item.arg2 > kMaxBeatTypeExponent) return std::nullopt;
    return TimeSignature{item.arg1, item.arg2};
}

unsigned beatsPerMinute(const ImportItem& tempo) {
    return static_cast<unsigned>(tempo.arg2) | static_cast<unsigned>(tempo.arg3) << 8;
}

std::optional<NoteValue> noteValueOf(std::uint8_t code) {
    if ((code & kNoValue) != 0) return std::nullopt;
    const std::uint8_t dotBits = code & kDotMask;
    const int dots = dotBits == kDoubleDotted ? 2 : dotBits == kDotted ? 1 : 0;
    return NoteValue{code & kValueIndexMask, dots};
}

Tuplet tupletOf(std::uint8_t noteFlags) {
    if ((noteFlags & kTripletFlag) != 0) return Tuplet::Triplet;
    if ((noteFlags & kQuintupletFlag) != 0) return Tuplet::Quintuplet;
    return Tuplet::None;
}

}  // namespace vl::cli
