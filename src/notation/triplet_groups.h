#pragma once
// Triplet groups, run over every strand after strand assignment (before swing).
//
// The pass takes each run of triplet candidates of a strand (note-ons that
// first quantising put on the triplet grid, flag 0x20) together with the bar
// marker or plain note before it, and decides whether the run really is a
// triplet group. An accepted group marks every note-on of the strand in it
// with 0x20 and the value index of the span the group fills; a rejected one
// loses its candidate marks and its candidates move back onto the plain grid.
// Accepting may insert placeholder rests (proprietary notes of key 0xFE) and
// split notes at the group's edges.
//
// The durations of the bars it changes are assessed again. Each walk visits
// the events of a strand's track a bounded number of times: group bounds stop
// at the bar marker or plain note around the run, and after a move or an
// insertion the walk resumes next to the change.

#include <cstdint>
#include <string_view>
#include <vector>

#include "analysis/quantisation_settings.h"
#include "midi/midi_track.h"
#include "midi/track_set.h"
#include "notation/strand.h"
#include "platform/progress_reporter.h"
#include "platform/step_result.h"

namespace vl {

inline constexpr std::string_view kAnalyseTripletsCaption = "Analysing triplets...";

// Value index meaning "no note value fits".
inline constexpr uint8_t kNoSpanValue = 0x80;
// Key of a placeholder note, which the item builder writes as a rest.
inline constexpr uint8_t kPlaceholderKey = 0xFE;

// One progress step with the item word "Strand" and the number of strands;
// each strand record whose track exists is run with its strand number. A
// cancel stops the strand in progress and the step. The count is the number
// of strands processed.
StepResult analyseTriplets(TrackSet& tracks, const std::vector<Strand>& strands,
                           const QuantisationSettings& settings, ProgressReporter& progress);

// One strand of one track. The count is the triplet groups accepted.
StepResult analyseStrandTriplets(MidiTrack& track, int16_t strand,
                                 const QuantisationSettings& settings,
                                 ProgressReporter& progress);

// The value index (0 breve .. 7 hemidemisemiquaver) whose length in ticks is
// exactly ticks, or kNoSpanValue.
uint8_t spanValueOf(int64_t ticks, uint32_t division);

}  // namespace vl
