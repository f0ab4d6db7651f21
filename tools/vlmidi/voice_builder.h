#pragma once
// One strand's items as the elements of a voice, bar by bar: notes and rests with their values,
// pitches spelled in the key in force, ties joined to the note they continue, chords and tuplet
// brackets marked; key, time and program changes for the voice that leads its part.

#include <optional>
#include <vector>

#include "import_result.h"
#include "score_model.h"

namespace vl::cli {

struct VoiceStart {
    KeySignature key;   // in force before the strand's first key signature
    TimeSignature time;
    bool leadsPart = false;        // keeps the key, time and program changes
    std::optional<int> channel;    // the part's MIDI channel: program changes of others are not
    std::optional<int> program;    // its program from the voicing
};

struct BuiltVoice {
    // One list per stretch between bar lines; segment 0 holds what comes before the first.
    std::vector<MeasureElements> segments;
    // What the leading voice found before its first note: the part shows it at its start.
    KeySignature initialKey;
    TimeSignature initialTime;
    std::optional<int> initialProgram;
};

BuiltVoice buildVoice(const CapturedItems& items, const VoiceStart& start);

// Sets the tuplet brackets of each measure's notes afresh: over a run of notes of one tuplet
// kind, closed when it fills a whole number of crotchets, where the run ends, or at a bar line.
void bracketTuplets(std::vector<MeasureElements>& measures);

}  // namespace vl::cli
