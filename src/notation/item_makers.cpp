// Plain items, signature and tempo items, and the writing of notes and gaps as
// note values (the length fitted, then split into printable pieces).

#include "notation/item_makers.h"

#include <algorithm>
#include <optional>

#include "markers/marker_events.h"
#include "notation/item_builder.h"
#include "notation/note_value.h"

namespace vl {

namespace {

constexpr uint8_t kCrotchetCode = 3;
constexpr int kHighestNoteKey = 128;
// Ticks beyond this are no position or length any bar can hold; cutting them
// keeps the scaling to 64ths far from overflow.
constexpr int64_t kMaxTicks = int64_t{1} << 40;

// How a tuplet is written: positions and lengths scaled to plain values, the
// splitter's tuplet ratio and the tuplet bits of the arg3 byte.
struct TupletWriting {
    int64_t up = 1;
    int64_t down = 1;
    int ratio = 0;
    uint8_t flagByte = 0;
};

TupletWriting tupletWriting(uint16_t f) {
    TupletWriting w;
    if ((f & tupletflag::Triplet) != 0) {
        w = {3, 2, 3, noteflag::Triplet};
    } else if ((f & tupletflag::Quintuplet) != 0) {
        w = {5, 4, 5, noteflag::Quintuplet};
    }
    w.flagByte = static_cast<uint8_t>(w.flagByte | (f & noteflag::RhythmMarks));
    return w;
}

// Ticks to 64th notes; nothing can be written without a division.
int64_t toSixtyFourths(int64_t ticks, uint32_t division) {
    if (division == 0 || ticks <= 0) return 0;
    return ticks * 16 / division;
}

// A span in 64ths at a position in 64ths, both after the tuplet scaling.
struct Span64 {
    int64_t position = 0;
    int64_t length = 0;
};

Span64 writtenSpan(const ItemList& list, int64_t p, int64_t length, const TupletWriting& w) {
    p = std::clamp<int64_t>(p, 0, kMaxTicks);
    length = std::clamp<int64_t>(length, 0, kMaxTicks);
    Span64 s;
    s.position = toSixtyFourths(p * w.up / w.down, list.division);
    s.length = std::min(toSixtyFourths(length * w.up / w.down, list.division), kMaxSpan64ths);
    return s;
}

// Bar length in ticks: numerator times the beat's ticks (0 when the beat is
// no note value).
int64_t barTicks(const ItemList& list) {
    const int64_t beat64 = plainValueLength(list.denominatorExponent + 1);
    return int64_t{list.numerator} * (beat64 * list.division / 16);
}

}  // namespace

ImportItem makeItem(uint16_t type, uint8_t arg1, uint8_t arg2, uint8_t arg3) {
    ImportItem item{};
    item.type = type;
    item.action = itemaction::Append;
    item.arg1 = arg1;
    item.arg2 = arg2;
    item.arg3 = arg3;
    return item;
}

ImportItem makeNoteItem(int key, uint8_t code, uint8_t flags) {
    if (key > kHighestNoteKey) return makeItem(itemtype::Rest, 0, code, flags);
    return makeItem(itemtype::MidiNote, static_cast<uint8_t>(key), code, flags);
}

ImportItem tempoItem(uint32_t quartersPerMinute) {
    return makeItem(itemtype::Tempo, kCrotchetCode, static_cast<uint8_t>(quartersPerMinute & 0xFF),
                    static_cast<uint8_t>((quartersPerMinute >> 8) & 0xFF));
}

uint32_t quartersPerMinuteOf(const MidiMessage& m) {
    return quartersPerMinute(m).value_or(kDefaultQuartersPerMinute);
}

void readTimeSignature(const MidiMessage& m, uint8_t& numerator, uint8_t& denominatorExponent) {
    uint8_t cc = 0;
    uint8_t bb = 0;
    timeSignature(m, numerator, denominatorExponent, cc, bb);
}

ImportItem keySignatureItem(const MidiMessage& m) {
    uint8_t sf = 0;
    uint8_t mi = 0;
    keySignature(m, sf, mi);
    return makeItem(itemtype::KeySignature, sf, mi);
}

void addNote(ItemList& list, int64_t p, int64_t L, int64_t M, int64_t gap, int key,
             uint16_t tupletFlags) {
    const int64_t fitted = fitLength(p, L, M, tupletFlags, list.division);
    const int64_t restLength = L + gap - fitted;

    const TupletWriting w = tupletWriting(tupletFlags);
    const Span64 span = writtenSpan(list, p, fitted, w);
    const uint8_t tupletByte = tupletFlags != 0 ? w.flagByte : 0;
    NoteValueSplitter splitter(span.position, span.length, w.ratio, list.numerator,
                               list.denominatorExponent);
    bool first = true;
    for (uint8_t code = 0; splitter.next(code); first = false) {
        const uint8_t flags = static_cast<uint8_t>((first ? 0 : noteflag::Tied) | tupletByte);
        if (!list.add(makeNoteItem(key, code, flags))) return;
    }
    addRests(list, p + fitted, restLength, tupletFlags);
}

void addRests(ItemList& list, int64_t p, int64_t G, uint16_t tupletFlags) {
    if (G < 1) return;
    const TupletWriting w = tupletWriting(tupletFlags);
    const Span64 span = writtenSpan(list, p, G, w);
    const uint8_t tupletByte = tupletFlags != 0 ? w.flagByte : 0;
    NoteValueSplitter splitter(span.position, span.length, w.ratio, list.numerator,
                               list.denominatorExponent);
    for (uint8_t code = 0; splitter.next(code);) {
        if (!list.add(makeItem(itemtype::Rest, 0, code, tupletByte))) return;
    }
}

void addGapRests(ItemList& list, int64_t G) {
    if (G < 1) return;
    if (G == barTicks(list)) {
        list.add(makeItem(itemtype::Rest, 0, notecode::WholeBarRest));
        return;
    }
    addRests(list, 0, G, 0);
}

}  // namespace vl
