#pragma once
// Reading import items for the score: the item types and flags a score needs, and the
// signature, tempo and note-value fields of an item in the score's own terms.

#include <cstdint>
#include <optional>

#include "score_model.h"
#include "vlmidiin.h"

namespace vl::cli {

enum ScoreItemType : std::uint16_t {
    kMidiNoteItem = 1,
    kNoteItem = 2,
    kRestItem = 3,
    kBarlineItem = 4,
    kTimeSignatureItem = 5,
    kKeySignatureItem = 6,
    kTempoItem = 7,
    kClefItem = 8,
    kProgramChangeItem = 9,
    kNoticeTextItem = 4097,
    kTrackNameItem = 4098,
    kInstrumentNameItem = 4099,
    kTitleItem = 4103,
};

constexpr std::uint8_t kClusterAction = 2;  // a further key of the chord before
constexpr std::uint8_t kNoProgram = 255;
constexpr int kHighestKey = 127;

inline bool isNoteItem(const ImportItem& item) {
    return item.type == kMidiNoteItem || item.type == kNoteItem;
}

// Sharps or flats limited to 7.
KeySignature keyFromItem(const ImportItem& item);

// Nothing for a time signature no staff can show (no beats, or a beat below a 64th).
std::optional<TimeSignature> timeFromItem(const ImportItem& item);

unsigned beatsPerMinute(const ImportItem& tempo);

struct NoteValue {
    int index = 0;  // 0 breve ... 7 hemidemisemiquaver
    int dots = 0;
};

// Nothing for the code "no value".
std::optional<NoteValue> noteValueOf(std::uint8_t code);

// The tuplet of a note's or rest's flags (arg3).
Tuplet tupletOf(std::uint8_t noteFlags);

}  // namespace vl::cli
