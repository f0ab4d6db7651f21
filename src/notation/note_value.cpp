// Lengths of note-value codes, metric levels in 64ths, and the fitting of a
// played note length to the length it is written with.

#include "notation/note_value.h"

#include <algorithm>
#include <bit>

namespace vl {

namespace {

constexpr int kFinestIndex = 7;  // hemidemisemiquaver
constexpr int64_t kWholeCycle = 128;  // a breve, in 64ths

// Guards the tick arithmetic: no note or bar position comes anywhere near.
constexpr int64_t kMaxTicks = int64_t{1} << 40;

int64_t clampTicks(int64_t t) { return std::clamp<int64_t>(t, 0, kMaxTicks); }

// The tick grid a written length snaps to: a 64th note when the division
// holds whole 64ths, else the largest odd divisor of the division.
int64_t lengthGrid(uint32_t division) {
    if (division % 16 == 0) return division / 16;
    uint32_t g = division;
    while (g % 2 == 0) g /= 2;
    return g;
}

// Triplets are written as plain values 3/2 as long, quintuplets 5/4.
struct TupletScale {
    int64_t up = 1;
    int64_t down = 1;
};

TupletScale tupletScale(uint16_t flags) {
    if ((flags & tupletflag::Triplet) != 0) return {3, 2};
    if ((flags & tupletflag::Quintuplet) != 0) return {5, 4};
    return {};
}

int64_t toWritten(int64_t t, TupletScale s) { return t * s.up / s.down; }
int64_t fromWritten(int64_t t, TupletScale s) { return t * s.down / s.up; }

// L raised to a whole number of grid steps, then lowered step by step until it
// no longer exceeds the limit (never below 0, as the limit is not negative).
int64_t snapToGrid(int64_t length, int64_t limit, int64_t grid) {
    const int64_t rest = length % grid;
    if (rest != 0) length += grid - rest;
    if (length > limit) {
        const int64_t steps = (length - limit + grid - 1) / grid;
        length -= steps * grid;
    }
    return length;
}

// How far a note of `length` 64ths may be extended: generously for short
// notes, up to the next crotchet boundary for long ones.
int64_t extensionLimit(int64_t length) {
    if (length < 5) return 4 * length;
    if (length < 9) return 3 * length;
    if (length <= 24) return 2 * length;
    if (length >= 64) return length + 16 - length % 16;
    return 3 * length / 2;
}

}  // namespace

int32_t plainValueLength(int index) {
    if (index < 0 || index > kFinestIndex) return 0;
    return int32_t{1} << (kFinestIndex - index);
}

int32_t noteValueLength(uint8_t code) {
    if ((code & notecode::None) != 0) return 0;
    const int32_t plain = plainValueLength(code & notecode::IndexMask);
    switch (code & notecode::DotMask) {
        case notecode::Dotted: return (3 * plain) >> 1;
        case notecode::DoubleDotted: return (7 * plain) >> 2;
        default: return plain;
    }
}

uint8_t metricLevelOf64th(int64_t position) {
    const auto inCycle = static_cast<unsigned>(static_cast<uint64_t>(position) % kWholeCycle);
    if (inCycle == 0) return 0;
    return static_cast<uint8_t>(kFinestIndex - std::countr_zero(inCycle));
}

int64_t fitLength(int64_t p, int64_t L, int64_t M, uint16_t tupletFlags, uint32_t division) {
    p = clampTicks(p);
    L = clampTicks(L);
    M = clampTicks(M);
    if (division == 0) return L;

    const TupletScale scale = tupletScale(tupletFlags);
    p = toWritten(p, scale);
    L = snapToGrid(toWritten(L, scale), toWritten(M, scale), lengthGrid(division));
    M = toWritten(M, scale);

    const int64_t start = p * 16 / division;
    const int64_t length = L * 16 / division;
    const int64_t limit = M * 16 / division;
    const int64_t furthest = start + std::min(extensionLimit(length), limit);

    // Each step adds the value of the end's own level, which makes that level
    // strictly stronger, so the loop runs at most eight times.
    const uint8_t startLevel = metricLevelOf64th(start);
    int64_t end = start + length;
    for (uint8_t level = metricLevelOf64th(end); level > startLevel;
         level = metricLevelOf64th(end)) {
        const int64_t step = plainValueLength(level);
        if (end + step > furthest) break;
        end += step;
    }
    return fromWritten((end - start) * division / 16, scale);
}

}  // namespace vl
