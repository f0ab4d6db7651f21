#include "analysis/track_set_operations.h"

#include "analysis/track_operations.h"

namespace vl {

namespace {

template <typename Change>
void forEachEvent(TrackSet& set, Change change) {
    for (MidiTrack& track : set.tracks)
        for (MidiEvent& e : track.events) change(e);
}

}  // namespace

void computeChannelMasks(TrackSet& set) {
    for (MidiTrack& track : set.tracks) computeChannelMask(track);
}

void resetAllAnnotations(TrackSet& set) {
    forEachEvent(set, [](MidiEvent& e) { e.resetAnnotations(); });
}

void resetAssessment(TrackSet& set) {
    forEachEvent(set, [](MidiEvent& e) { e.clearStrandAndDurations(); });
}

void resetStrands(TrackSet& set) {
    forEachEvent(set, [](MidiEvent& e) { e.clearStrand(); });
}

void clearOutputMarks(TrackSet& set) {
    forEachEvent(set, [](MidiEvent& e) { e.clearFlags(flag::Output); });
}

}  // namespace vl
