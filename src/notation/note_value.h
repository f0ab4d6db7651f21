#pragma once
// Note values as the notation output writes them: the 8-bit NoteValueCode,
// lengths in 64th notes, the fitting of a played length to a written one, and
// the splitting of a span into printable values that respect the beat.

#include <cstdint>

namespace vl {

// NoteValueCode: bits 0-2 value index (0 breve ... 7 hemidemisemiquaver),
// 0x08 dotted, 0x18 double dotted, 0x21 whole-bar rest, 0x80 no value.
namespace notecode {
constexpr uint8_t IndexMask = 0x07;
constexpr uint8_t DotMask = 0x18;
constexpr uint8_t Dotted = 0x08;
constexpr uint8_t DoubleDotted = 0x18;
constexpr uint8_t WholeBar = 0x20;
constexpr uint8_t WholeBarRest = 0x21;
constexpr uint8_t None = 0x80;
}  // namespace notecode

// Length of a code in 64th notes (dots included; 0 for None).
// Any code with bit 0x80 counts as None; dot bits 0x10 alone count as plain;
// the whole-bar rest 0x21 counts as the semibreve it is written with.
int32_t noteValueLength(uint8_t code);

// Length in 64ths of the plain value with index 0..7 (128 ... 1); 0 otherwise.
int32_t plainValueLength(int index);

// Metric level of a position counted in 64ths since the bar line: the index of
// the longest note value whose length divides the position modulo 128 (0 on a
// multiple of 128, 7 on an odd position). Smaller is stronger.
uint8_t metricLevelOf64th(int64_t position);

// Tuplet flag bits of a note-on's flag word that the output reads.
namespace tupletflag {
constexpr uint16_t Triplet = 0x20;
constexpr uint16_t Quintuplet = 0x40;
}  // namespace tupletflag

// How long a note at position p (ticks since the bar line) with sounding
// length L and limit M (its length up to the next note) is written, in ticks.
// Negative arguments count as 0; division 0 keeps L (there is no 64th grid).
int64_t fitLength(int64_t p, int64_t L, int64_t M, uint16_t tupletFlags, uint32_t division);

// Yields the codes that write a span of `length` 64ths starting `position`
// 64ths after the bar line, in the given time signature.
//
// The yielded lengths always add up to `length` (nothing for length < 1), and
// every code is at least one 64th long, so a span of n 64ths yields at most n
// codes. Nonsense input is brought into range rather than refused: a negative
// position counts as the bar line; a denominator exponent above 6 (a beat
// shorter than a 64th) acts as 6 and a negative one as 0; a numerator of 0 or
// below 0 gives plain simple time (no compound or odd-simple grouping).
// Positions and lengths beyond 2^40 64ths are cut to that.
class NoteValueSplitter {
public:
    NoteValueSplitter(int64_t position, int64_t length, int tupletRatio, int numerator,
                      int denominatorExponent);
    // False when nothing is left.
    bool next(uint8_t& code);

private:
    uint8_t chooseCode() const;
    uint8_t chooseCompoundCode() const;
    void advance(int64_t length);
    uint8_t absorbFollowing(uint8_t code, bool first);
    bool halfMayJoin(int index) const;
    bool equalMayJoin(int index) const;

    int64_t position_ = 0;
    int64_t remaining_ = 0;
    int64_t pieces_ = 0;
    uint8_t level_ = 0;
    uint8_t next_ = notecode::None;
    int tupletRatio_ = 0;
    int numerator_ = 0;
    int denominatorExponent_ = 0;
    int beatIndex_ = 3;
    int64_t beatLength_ = 16;
    bool compound_ = false;
    bool oddSimple_ = false;
};

}  // namespace vl
