#pragma once
// Illegal-event elimination: a note-on for a key that already sounds on its
// channel, and a note-off for a key that does not sound, are deleted. Real
// notes and proprietary notes count alike.

#include <cstdint>

#include "midi/midi_track.h"
#include "platform/step_result.h"

namespace vl {

class ProgressReporter;

// Walks the track once with a table of sounding notes, neutralising every
// illegal event, then purges the deleted-event markers; the count is the
// number deleted. Reports each event's index on the detail line and stops the
// walk when the host cancels (the deletions made so far are kept and purged).
StepResult eliminateIllegalEvents(MidiTrack& track, ProgressReporter& progress);

}  // namespace vl
