#pragma once
// What the triplet pass and the swing pass share: which events belong to a
// strand, and the step that runs a pass over every strand record of a list.

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "markers/marker_events.h"
#include "midi/midi_track.h"
#include "midi/track_set.h"
#include "notation/strand.h"
#include "platform/progress_reporter.h"
#include "platform/step_result.h"

namespace vl {

inline bool ofStrand(const MidiEvent& e, int16_t strand) {
    return e.strand >= 0 && e.strand == strand;
}

// An event of the strand, or a structural event, which every strand shares.
inline bool belongsToStrand(const MidiEvent& e, int16_t strand) {
    return ofStrand(e, strand) || isStructuralEvent(e);
}

inline bool isStrandNoteOn(const MidiEvent& e, int16_t strand) {
    return ofStrand(e, strand) && isNoteOnCombined(e);
}

// A strand pass gets the track, the strand number and whether this is the
// last strand record of the list that runs on that track.
using StrandPass = std::function<StepResult(MidiTrack&, int16_t, bool)>;

// One progress step with this caption, the item word "Strand" and the number
// of strand records; each record whose track exists is run with its strand
// number. The count is the number of strands processed; a cancel (at a record
// or within the pass) stops the step.
StepResult runStrandPass(TrackSet& tracks, const std::vector<Strand>& strands,
                         std::string_view caption, ProgressReporter& progress,
                         const StrandPass& pass);

}  // namespace vl
