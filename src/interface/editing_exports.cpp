// Editing and repair commands the host runs on an open import. The commands
// that need analysis steps not built yet answer with their null value.
#include "interface/export_guard.h"

using vl::guarded;
using vl::guardedVoid;
using vl::toBool;
using vl::withSession;

extern "C" {

VLMIDIIN_API void VlMidiReread(ImportSession* h) {
    withSession(h, 0, [](vl::ImportSession& s) { return s.reread() ? 1 : 0; });
}

VLMIDIIN_API int32_t VlMidiQuantiseFirstStep(ImportSession*) { return 0; }
VLMIDIIN_API int32_t VlMidiQuantiseFixDelay(ImportSession*) { return 0; }
VLMIDIIN_API int32_t VlMidiDuplicateTracksRemove(ImportSession*) { return 0; }
VLMIDIIN_API void VlMidiTrackLengthsEqualise(ImportSession*) {}
VLMIDIIN_API void VlMidiQuantiseStrands(ImportSession*) {}
VLMIDIIN_API int32_t VlMidiKillBaddies(ImportSession*) { return 0; }
VLMIDIIN_API void VlMidiFiducialEventsToggle(ImportSession*) {}

VLMIDIIN_API vlBool VlMidiFiducialEventsArePresent(ImportSession* h) {
    return withSession(h, vlBool{0}, [](vl::ImportSession& s) {
        return toBool((s.analysisState() & vl::state::AnyFiducials) != 0);
    });
}

VLMIDIIN_API void VlMidiFiducialEventsClear(ImportSession*) {}
VLMIDIIN_API void VlMidiFiducialEventsInsert(ImportSession*) {}
VLMIDIIN_API vlBool VlMidiBarlinesInsert(ImportSession*) { return 0; }
VLMIDIIN_API int32_t VlMidiProprietaryOnOffsInsert(ImportSession*) { return 0; }
VLMIDIIN_API int32_t VlMidiAnnotate(ImportSession*) { return 0; }

}  // extern "C"
