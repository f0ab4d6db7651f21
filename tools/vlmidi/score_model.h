#pragma once
// The score a MusicXML document is written from: parts, measures, voices and notes, built only
// from the items an import hands out (ImportResult), the way a notation program reads them.
//
// Parts: one per track and MIDI channel that has strands (a format 0 file keeps every
// instrument in one track; its channels become separate parts). Each strand of a part is one
// voice; when the strands of a part have different clefs the part gets two staves, treble
// strands on the upper and bass strands on the lower, and each note is then moved to the staff
// its pitch belongs to (piano_staves.h). Measures follow the bar lines.
// Durations are counted in units of 1/960 crotchet, which hold every note value from a breve
// to a double-dotted hemidemisemiquaver, plain, in a triplet or in a quintuplet.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "import_result.h"
#include "pitch_spelling.h"

namespace vl::cli {

constexpr std::int64_t kUnitsPerQuarter = 960;

struct KeySignature {
    int fifths = 0;  // -7 to 7
    bool minor = false;
    bool operator==(const KeySignature&) const = default;
};

struct TimeSignature {
    int beats = 4;             // 1 to 255
    int beatTypeExponent = 2;  // 0 to 6: whole note to 64th
    bool operator==(const TimeSignature&) const = default;
    std::int64_t barLength() const { return beats * 4 * kUnitsPerQuarter >> beatTypeExponent; }
};

enum class Tuplet { None, Triplet, Quintuplet };

struct ScoreNote {
    bool rest = false;
    bool wholeBar = false;  // a rest filling its measure
    bool chord = false;     // sounds with the note before it
    SpelledPitch pitch;
    int valueIndex = 3;     // 0 breve, 1 semibreve ... 7 hemidemisemiquaver
    int dots = 0;
    std::int64_t duration = 0;
    Tuplet tuplet = Tuplet::None;
    bool tupletStart = false;
    bool tupletStop = false;
    bool tieStart = false;
    bool tieStop = false;
};

struct VoiceElement {
    enum class Kind { Note, Key, Time, Program };
    Kind kind = Kind::Note;
    ScoreNote note;      // kind Note
    KeySignature key;    // kind Key
    TimeSignature time;  // kind Time
    int program = 0;     // kind Program: 0 to 127
};

using MeasureElements = std::vector<VoiceElement>;

struct ScoreVoice {
    int number = 1;  // within the part, from 1
    int staff = 1;
    // Indexed like Score's measures. Key, time and program changes are kept in the part's
    // first voice only, since every strand of a track carries the same ones.
    std::vector<MeasureElements> measures;
};

constexpr int kTrebleClef = 1;
constexpr int kBassClef = 2;

struct ScorePart {
    std::string id;  // "P1", "P2", ...
    std::string name;
    std::optional<int> channel;  // 0 to 15
    std::optional<int> program;  // 0 to 127
    std::string instrumentName;
    std::vector<int> staffClefs{kTrebleClef};  // the clef of each staff, from the top
    KeySignature initialKey;
    TimeSignature initialTime;
    std::vector<ScoreVoice> voices;
};

struct TempoMark {
    std::size_t measure = 0;
    std::int64_t offset = 0;  // from the start of the measure
    unsigned beatsPerMinute = 0;
};

struct Score {
    std::string title;
    std::string rights;
    bool pickup = false;  // the music starts before the first bar line: measure 0 is "0"
    std::size_t measureCount = 0;
    std::vector<ScorePart> parts;    // at least one
    std::vector<TempoMark> tempos;   // in measure order; shown in the first part

    std::string measureNumber(std::size_t measure) const {
        return std::to_string(pickup ? measure : measure + 1);
    }
};

// Duration of a note value in score units: `valueIndex` 0 to 7, `dots` 0 to 2.
std::int64_t noteValueDuration(int valueIndex, int dots, Tuplet tuplet);

// The score of an import: each voice revised against result.playedNotes when the host read
// them, else as the library wrote it.
Score buildScore(const ImportResult& result);

}  // namespace vl::cli
