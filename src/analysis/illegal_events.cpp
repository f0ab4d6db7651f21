#include "analysis/illegal_events.h"

#include "analysis/track_operations.h"
#include "analysis/track_step_driver.h"
#include "markers/bar_groups.h"
#include "markers/marker_events.h"

namespace vl {

namespace {

// A proprietary note with a key above 127 is a placeholder rest that triplet
// analysis laid. Its note-off must stay: a re-run of that analysis recognises
// its own rest by the rest's length, and without the note-off it would lay a
// second rest into the bar.
bool isPlaceholderRest(const MidiEvent& e) {
    return keyOf(e) >= SoundingNotes::kKeys && isProprietaryNote(e);
}

// Whether the event is legal against the notes sounding so far; the table is
// updated for the legal ones. Events that are no notes are always legal. Any
// other key above 127 (an unmasked data byte from a file or the host) never
// sounds: its note-ons stay and its note-offs go.
bool acceptEvent(const MidiEvent& e, SoundingNotes& sounding) {
    if (isPlaceholderRest(e)) return true;
    if (isNoteOnCombined(e)) {
        const int channel = channelOf(e);
        const int key = keyOf(e);
        if (sounding.isSounding(key, channel)) return false;
        sounding.markSounding(key, channel, e.strand);
        return true;
    }
    if (isNoteOffCombined(e)) {
        const int channel = channelOf(e);
        const int key = keyOf(e);
        if (!sounding.isSounding(key, channel)) return false;
        sounding.markSilent(key, channel);
    }
    return true;
}

}  // namespace

StepResult eliminateIllegalEvents(MidiTrack& track, ProgressReporter& progress) {
    SoundingNotes sounding;
    size_t deleted = 0;
    EventProgress events(progress, track.size());
    size_t index = 0;
    for (MidiEvent& e : track.events) {
        if (events.cancelledAt(index++)) break;
        if (acceptEvent(e, sounding)) continue;
        e.neutralise();
        ++deleted;
    }
    // The purge reports progress too; after a cancel the host stops it where
    // it is, and the markers it did not reach wait for the next one.
    if (deleted != 0) purgeDeleted(track, &events);
    return StepResult::of(deleted, events.cancelled());
}

}  // namespace vl
