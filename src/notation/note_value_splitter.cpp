// Writing a span as printable note values: each piece is the longest value the
// position's metric level allows (in compound time, whole or dotted beats where
// they fit), and a piece may absorb the next one into a dotted or longer value
// when the beat structure stays readable.

#include "notation/note_value.h"

#include <algorithm>

namespace vl {

namespace {

constexpr int64_t kMaxSpan = int64_t{1} << 40;
constexpr int kFinestIndex = 7;
constexpr int kMaxDenominatorExponent = 6;  // a 64th-note beat

uint8_t plainCode(int index) { return static_cast<uint8_t>(index); }
uint8_t dottedCode(int index) { return static_cast<uint8_t>(index | notecode::Dotted); }
bool isPlain(uint8_t code) { return (code & ~notecode::IndexMask) == 0; }

uint8_t longestPlainWithin(int64_t length) {
    for (int index = 0; index < kFinestIndex; ++index) {
        if (plainValueLength(index) <= length) return plainCode(index);
    }
    return plainCode(kFinestIndex);
}

}  // namespace

NoteValueSplitter::NoteValueSplitter(int64_t position, int64_t length, int tupletRatio,
                                     int numerator, int denominatorExponent)
    : position_(std::clamp<int64_t>(position, 0, kMaxSpan)),
      remaining_(std::min(length, kMaxSpan)),
      tupletRatio_(tupletRatio),
      numerator_(numerator),
      denominatorExponent_(std::clamp(denominatorExponent, 0, kMaxDenominatorExponent)) {
    beatIndex_ = denominatorExponent_ + 1;
    beatLength_ = plainValueLength(beatIndex_);
    compound_ = beatIndex_ >= 4 && numerator_ >= 4 && numerator_ % 3 == 0;
    oddSimple_ = numerator_ > 0 && numerator_ % 2 == 1 && denominatorExponent_ < 3;
    level_ = metricLevelOf64th(position_);
    next_ = chooseCode();
}

bool NoteValueSplitter::next(uint8_t& code) {
    if (remaining_ < 1 || next_ == notecode::None) return false;
    const bool first = pieces_ == 0;
    uint8_t c = next_;
    advance(noteValueLength(c));
    if (remaining_ > 0) c = absorbFollowing(c, first);
    ++pieces_;
    code = c;
    return true;
}

void NoteValueSplitter::advance(int64_t length) {
    position_ += length;
    remaining_ -= length;
    level_ = metricLevelOf64th(position_);
    next_ = chooseCode();
}

uint8_t NoteValueSplitter::chooseCode() const {
    if (remaining_ < 1) return notecode::None;
    if (compound_) {
        const uint8_t beatCode = chooseCompoundCode();
        if (beatCode != notecode::None) return beatCode;
    }
    if (remaining_ >= plainValueLength(level_)) return plainCode(level_);
    return longestPlainWithin(remaining_);
}

// Compound time groups beats in threes: one or two dotted beat groups on a
// group boundary, else whatever reaches the next group boundary.
uint8_t NoteValueSplitter::chooseCompoundCode() const {
    const int64_t beat = beatLength_;
    const int64_t group = 3 * beat;
    for (int k = 2; k >= 1; --k) {
        if (numerator_ % (3 * k) == 0 && remaining_ >= k * group && position_ % (k * group) == 0)
            return dottedCode(beatIndex_ - k);
    }
    if (remaining_ >= 2 * beat && (position_ + 2 * beat) % group == 0)
        return plainCode(beatIndex_ - 1);
    if (remaining_ >= 3 * beat / 2 && (position_ + 3 * beat / 2) % group == 0)
        return dottedCode(beatIndex_);
    if (remaining_ >= beat && (position_ + beat) % group == 0) return plainCode(beatIndex_);
    return notecode::None;
}

// May a value absorb the half value that ends the span (giving a dotted value)?
bool NoteValueSplitter::halfMayJoin(int index) const {
    if (tupletRatio_ != 0) return true;
    if (compound_ && index == beatIndex_) return level_ % (3 * beatLength_) != 0;
    return level_ >= index;
}

// May the first piece absorb an equal value that ends the span (giving the
// value twice as long)?
bool NoteValueSplitter::equalMayJoin(int index) const {
    if (tupletRatio_ != 0) return true;
    if (compound_ && index == beatIndex_) return level_ % (3 * beatLength_) != 0;
    return level_ + (oddSimple_ ? 2 : 1) >= index;
}

// `code` has just been consumed; the position, level and next code describe
// the point after it. Returns the code to yield, having consumed the next
// piece too when it was absorbed.
uint8_t NoteValueSplitter::absorbFollowing(uint8_t code, bool first) {
    if (!isPlain(code)) return code;
    const int index = code & notecode::IndexMask;
    if (compound_ && (index > beatIndex_ || position_ % (3 * beatLength_) == 0)) return code;

    const uint8_t following = next_;
    if (!isPlain(following)) return code;
    const int followingIndex = following & notecode::IndexMask;
    const int64_t followingLength = plainValueLength(followingIndex);

    uint8_t joined = notecode::None;
    if (followingIndex == index + 1) {
        if (followingLength == remaining_ && halfMayJoin(index)) joined = dottedCode(index);
    } else if (index > 0 && followingIndex == index - 1) {
        if (first && (tupletRatio_ != 0 || level_ + 1 >= index)) joined = dottedCode(index - 1);
    } else if (followingIndex == index && index != 0) {
        if (first && equalMayJoin(index) && followingLength == remaining_)
            joined = plainCode(index - 1);
    }
    if (joined == notecode::None) return code;
    advance(followingLength);
    return joined;
}

}  // namespace vl
