#pragma once
// The host's editing and repair commands on an open import. Each command
// notes the analysis level it started from, takes away the durations and
// strands its edit makes stale (and the markers that would be in its way),
// edits, and brings durations and strands back to that level.

#include <cstdint>

#include "listing/text_listing.h"
#include "session/item_walk.h"
#include "session/track_analysis.h"

namespace vl {

class EditingCommands {
public:
    // All three are the session's and outlive the commands.
    EditingCommands(TrackAnalysis& analysis, ItemWalk& walk, TextListing& listing);
    EditingCommands(const EditingCommands&) = delete;
    EditingCommands& operator=(const EditingCommands&) = delete;

    // Before the events are edited: the host's walk and the listing cursor
    // may point at events that are about to go, so both start again.
    void forgetPositions();

    // 1 when first quantising changed the tracks, else 0.
    int32_t rerunFirstQuantising();
    // The delay removed (see TrackAnalysis::removeInitialDelay).
    int32_t fixInitialDelay();
    // The number of tracks removed; the strands are assigned again when some
    // went.
    int32_t removeDuplicateTracksAndReassign();
    void equaliseTrackLengthsAndRestore();
    // Runs every step the state word does not show yet; the number of strands.
    int32_t completeAllMissingSteps();
    // The number of events deleted.
    int32_t eliminateIllegalEventsAndRestore();
    void insertMarkersAndRestore();
    void clearMarkersAndRestore();
    void toggleMarkers();
    // Meta markers and lone bar markers, in place of any markers; always true.
    bool insertBarLines();
    // Runs the ties step; the number of bar lines it walked past.
    int32_t insertProprietaryOnOffs();
    // Durations, then strands: the number of strands, 0 when the assessment
    // was cancelled and -1 when the strand assignment was.
    int32_t annotate();

private:
    TrackAnalysis& analysis_;
    ItemWalk& walk_;
    TextListing& listing_;
};

}  // namespace vl
