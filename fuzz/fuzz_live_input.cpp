// Fuzz target: a session built from live-input calls decoded from the bytes,
// then initialised and walked completely.
//
// Layout: division (2 bytes), track count (1 byte, may be 0), settings (1 byte),
// then records of 10 bytes: call kind, track index (signed, may be out of
// range), 32-bit value, 32-bit delta.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "session/import_filter_app.h"

namespace {

void applySettings(uint8_t choice) {
    vl::ResolutionSettings& s = vl::ImportFilterApp::instance().inputResolution();
    s.triplets = choice & 0x01;
    s.swing = (choice >> 1) & 0x01;
    s.quantisationBeat = static_cast<uint8_t>(3 + ((choice >> 2) & 0x07) % 5);
}

// Small deltas most of the time so that the fuzzer reaches real music; the
// top bit of the kind byte lets it try the full 32-bit range.
uint32_t shapeDelta(uint8_t kind, uint32_t raw) { return (kind & 0x80) != 0 ? raw : raw & 0x3FF; }

void playCall(ImportSession* session, vl::fuzz::ByteSource& in) {
    const uint8_t kind = in.u8();
    const int32_t track = static_cast<int8_t>(in.u8());
    const uint32_t value = in.u32();
    const uint32_t delta = shapeDelta(kind, in.u32());
    switch (kind & 0x03) {
    case 0: vlMidiImportAppend(session, track, value, delta); break;
    case 1: vlMidiImportKeySet(session, track, value, delta); break;
    case 2: vlMidiImportTimeSet(session, track, value, delta); break;
    default: vlMidiImportTempoSet(session, track, value, delta); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vl::fuzz::ByteSource in(data, size);
    const int32_t division = in.u16();
    const int32_t trackCount = static_cast<int8_t>(in.u8());
    applySettings(in.u8());
    ImportSession* session = vlMidiImportNew(0, 0, division, trackCount);
    if (session == nullptr) return 0;
    while (!in.empty()) playCall(session, in);
    vlImportInitialise(session);
    vl::fuzz::walkSession(session);
    vlImportClose(&session);
    return 0;
}
