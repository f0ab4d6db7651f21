// Fuzz target: the editing and repair commands in a fuzz-chosen order on an
// imported file, with a transcription and a full walk at the end.
//
// Layout: settings (1 byte), command count (1 byte, taken modulo 17), one
// byte per command, then the file.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "session/import_filter_app.h"

namespace {

constexpr unsigned kMaxCommands = 16;

void applySettings(uint8_t choice) {
    vl::ResolutionSettings& s = vl::ImportFilterApp::instance().rhythmResolution();
    s.triplets = choice & 0x01;
    s.swing = (choice >> 1) & 0x01;
    s.quantisationBeat = static_cast<uint8_t>(3 + ((choice >> 2) & 0x07) % 5);
}

void runCommand(ImportSession* session, uint8_t code) {
    switch (code % 16) {
        case 0: VlMidiReread(session); break;
        case 1: VlMidiQuantiseFirstStep(session); break;
        case 2: VlMidiQuantiseFixDelay(session); break;
        case 3: VlMidiDuplicateTracksRemove(session); break;
        case 4: VlMidiTrackLengthsEqualise(session); break;
        case 5: VlMidiQuantiseStrands(session); break;
        case 6: VlMidiKillBaddies(session); break;
        case 7: VlMidiFiducialEventsToggle(session); break;
        case 8: VlMidiFiducialEventsClear(session); break;
        case 9: VlMidiFiducialEventsInsert(session); break;
        case 10: VlMidiBarlinesInsert(session); break;
        case 11: VlMidiProprietaryOnOffsInsert(session); break;
        case 12: VlMidiAnnotate(session); break;
        case 13: vlImportInitialise(session); break;
        case 14: vl::fuzz::walkSession(session); break;
        default: (void)VlMidiFiducialEventsArePresent(session); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vl::fuzz::ByteSource in(data, size);
    applySettings(in.u8());
    const unsigned count = in.u8() % (kMaxCommands + 1);
    uint8_t commands[kMaxCommands] = {};
    for (unsigned i = 0; i < count; ++i) commands[i] = in.u8();

    const vl::fuzz::MemoryFile file(in.rest(), in.restSize());
    if (!file.ok()) return 0;
    ImportSession* session = vlImportOpenFromName(file.path().c_str());
    if (session == nullptr) return 0;
    for (unsigned i = 0; i < count; ++i) runCommand(session, commands[i]);
    vlImportInitialise(session);
    vl::fuzz::walkSession(session);
    vlImportClose(&session);
    return 0;
}
