// The transcription: the fixed order of steps that vlImportInitialise runs,
// with the host's cancel request tested between the later steps.
#include "session/import_session.h"

namespace vl {

int32_t ImportSession::initialise() {
    // The steps insert and delete events: a listing cursor and the item walk
    // must start again.
    forgetPositions();
    computeChannelMasks();
    buildQuantisationSettings();
    eliminateIllegalEvents();
    removeInitialDelay();
    equaliseTrackLengths();
    removeDuplicateTracks();
    insertMetaMarkers();
    locateBarLines(0);
    // Bar markers and bar groups went in from nodes at the end of each
    // track's pool; first quantising walks every track several times.
    compactTracks();
    if (cancelled()) return -1;
    firstQuantising();
    if (cancelled()) return -1;
    durationsThenStrands(caption::AssessDurations, caption::AssignStrands);
    if (cancelled()) return -1;
    locateTies();
    // Bar groups and tie events have been linked in all over each track; the
    // strand passes that follow walk a track once per strand.
    compactTracks();
    if (cancelled()) return -1;
    const int32_t strandResult = analyseTripletsAndSwing();
    if (cancelled()) return -1;
    confirmChordStructure();
    if (cancelled()) return -1;
    return strandResult;
}

void ImportSession::compactTracks() {
    for (MidiTrack& track : tracks_.tracks) track.events.compact();
}

}  // namespace vl
