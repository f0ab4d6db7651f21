#pragma once
// Swing, stage 3 of 3: midi/swing_statistics, analysis/swing_detection, notation/swing_quantising.
//
// After strand assignment and the triplet pass, the swing pass pulls each
// strand's plain note-ons that were played late back onto the semiquaver grid,
// keeping a second note in the same semiquaver slot where it is; triplet
// note-ons stay. The durations of the bars it changes are assessed again. Each
// walk visits the events of a strand's track a bounded number of times: after
// a move it goes on next to the moved note.

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

inline constexpr std::string_view kAnalyseSwingCaption = "Analysing swing rhythms...";

// One progress step with the item word "Strand" and the number of strands;
// each strand record whose track exists is run with its strand number. A
// cancel stops the strand in progress and the step. The count is the number
// of strands processed.
StepResult analyseSwing(TrackSet& tracks, const std::vector<Strand>& strands,
                        const QuantisationSettings& settings, ProgressReporter& progress);

// One strand of one track. The count is the note-ons moved.
StepResult analyseStrandSwing(MidiTrack& track, int16_t strand, ProgressReporter& progress);

}  // namespace vl
