// Editing and repair commands the host runs on an open import. A null handle
// gets the command's null value; nothing thrown inside crosses back.
#include "interface/export_guard.h"

using vl::toBool;
using vl::withSession;

namespace {

// Runs a command without a result for a non-null handle.
template <class Body>
void command(ImportSession* h, Body&& body) {
    withSession(h, 0, [&](vl::ImportSession& s) {
        body(s);
        return 0;
    });
}

}  // namespace

extern "C" {

VLMIDIIN_API void VlMidiReread(ImportSession* h) {
    command(h, [](vl::ImportSession& s) { s.reread(); });
}

VLMIDIIN_API int32_t VlMidiQuantiseFirstStep(ImportSession* h) {
    return withSession(h, int32_t{0},
                       [](vl::ImportSession& s) { return s.rerunFirstQuantising(); });
}

VLMIDIIN_API int32_t VlMidiQuantiseFixDelay(ImportSession* h) {
    return withSession(h, int32_t{0}, [](vl::ImportSession& s) { return s.fixInitialDelay(); });
}

VLMIDIIN_API int32_t VlMidiDuplicateTracksRemove(ImportSession* h) {
    return withSession(h, int32_t{0},
                       [](vl::ImportSession& s) { return s.removeDuplicateTracksAndReassign(); });
}

VLMIDIIN_API void VlMidiTrackLengthsEqualise(ImportSession* h) {
    command(h, [](vl::ImportSession& s) { s.equaliseTrackLengthsAndRestore(); });
}

VLMIDIIN_API void VlMidiQuantiseStrands(ImportSession* h) {
    command(h, [](vl::ImportSession& s) { s.completeAllMissingSteps(); });
}

VLMIDIIN_API int32_t VlMidiKillBaddies(ImportSession* h) {
    return withSession(h, int32_t{0},
                       [](vl::ImportSession& s) { return s.eliminateIllegalEventsAndRestore(); });
}

VLMIDIIN_API void VlMidiFiducialEventsToggle(ImportSession* h) {
    command(h, [](vl::ImportSession& s) { s.toggleMarkers(); });
}

VLMIDIIN_API vlBool VlMidiFiducialEventsArePresent(ImportSession* h) {
    return withSession(h, vlBool{0},
                       [](vl::ImportSession& s) { return toBool(s.analysis().markersPresent()); });
}

VLMIDIIN_API void VlMidiFiducialEventsClear(ImportSession* h) {
    command(h, [](vl::ImportSession& s) { s.clearMarkersAndRestore(); });
}

VLMIDIIN_API void VlMidiFiducialEventsInsert(ImportSession* h) {
    command(h, [](vl::ImportSession& s) { s.insertMarkersAndRestore(); });
}

VLMIDIIN_API vlBool VlMidiBarlinesInsert(ImportSession* h) {
    return withSession(h, vlBool{0},
                       [](vl::ImportSession& s) { return toBool(s.insertBarLines()); });
}

VLMIDIIN_API int32_t VlMidiProprietaryOnOffsInsert(ImportSession* h) {
    return withSession(h, int32_t{0},
                       [](vl::ImportSession& s) { return s.insertProprietaryOnOffs(); });
}

VLMIDIIN_API int32_t VlMidiAnnotate(ImportSession* h) {
    return withSession(h, int32_t{0}, [](vl::ImportSession& s) { return s.annotate(); });
}

}  // extern "C"
