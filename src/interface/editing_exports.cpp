// Editing and repair commands the host runs on an open import. A null handle
// gets the command's null value; nothing thrown inside crosses back.
#include "interface/export_guard.h"

using vl::EditingCommands;
using vl::toBool;
using vl::withSession;

namespace {

// Runs a command with a result for a non-null handle; fallback for a null one.
template <class Result, class Body>
Result edit(ImportSession* h, Result fallback, Body&& body) {
    return withSession(h, fallback, [&](vl::ImportSession& s) { return body(s.editing()); });
}

// Runs a command without a result for a non-null handle.
template <class Body>
void command(ImportSession* h, Body&& body) {
    edit(h, 0, [&](EditingCommands& e) {
        body(e);
        return 0;
    });
}

}  // namespace

extern "C" {

VLMIDIIN_API void VlMidiReread(ImportSession* h) {
    withSession(h, false, [](vl::ImportSession& s) { return s.reread(); });
}

VLMIDIIN_API int32_t VlMidiQuantiseFirstStep(ImportSession* h) {
    return edit(h, int32_t{0}, [](EditingCommands& e) { return e.rerunFirstQuantising(); });
}

VLMIDIIN_API int32_t VlMidiQuantiseFixDelay(ImportSession* h) {
    return edit(h, int32_t{0}, [](EditingCommands& e) { return e.fixInitialDelay(); });
}

VLMIDIIN_API int32_t VlMidiDuplicateTracksRemove(ImportSession* h) {
    return edit(h, int32_t{0},
                [](EditingCommands& e) { return e.removeDuplicateTracksAndReassign(); });
}

VLMIDIIN_API void VlMidiTrackLengthsEqualise(ImportSession* h) {
    command(h, [](EditingCommands& e) { e.equaliseTrackLengthsAndRestore(); });
}

VLMIDIIN_API void VlMidiQuantiseStrands(ImportSession* h) {
    command(h, [](EditingCommands& e) { e.completeAllMissingSteps(); });
}

VLMIDIIN_API int32_t VlMidiKillBaddies(ImportSession* h) {
    return edit(h, int32_t{0},
                [](EditingCommands& e) { return e.eliminateIllegalEventsAndRestore(); });
}

VLMIDIIN_API void VlMidiFiducialEventsToggle(ImportSession* h) {
    command(h, [](EditingCommands& e) { e.toggleMarkers(); });
}

VLMIDIIN_API vlBool VlMidiFiducialEventsArePresent(ImportSession* h) {
    return withSession(h, vlBool{0},
                       [](vl::ImportSession& s) { return toBool(s.analysis().markersPresent()); });
}

VLMIDIIN_API void VlMidiFiducialEventsClear(ImportSession* h) {
    command(h, [](EditingCommands& e) { e.clearMarkersAndRestore(); });
}

VLMIDIIN_API void VlMidiFiducialEventsInsert(ImportSession* h) {
    command(h, [](EditingCommands& e) { e.insertMarkersAndRestore(); });
}

VLMIDIIN_API vlBool VlMidiBarlinesInsert(ImportSession* h) {
    return edit(h, vlBool{0}, [](EditingCommands& e) { return toBool(e.insertBarLines()); });
}

VLMIDIIN_API int32_t VlMidiProprietaryOnOffsInsert(ImportSession* h) {
    return edit(h, int32_t{0}, [](EditingCommands& e) { return e.insertProprietaryOnOffs(); });
}

VLMIDIIN_API int32_t VlMidiAnnotate(ImportSession* h) {
    return edit(h, int32_t{0}, [](EditingCommands& e) { return e.annotate(); });
}

}  // extern "C"
