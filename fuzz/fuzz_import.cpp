// Fuzz target: the whole import of a file. The first byte picks the rhythm
// settings (triplets, swing, quantisation beat); the rest is the file, which
// is opened, initialised, walked completely (items, descriptions, texts and
// the listing) and closed.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "session/import_filter_app.h"

namespace {

void applySettings(uint8_t choice) {
    vl::ResolutionSettings& s = vl::ImportFilterApp::instance().rhythmResolution();
    s.triplets = choice & 0x01;
    s.swing = (choice >> 1) & 0x01;
    s.quantisationBeat = static_cast<uint8_t>(3 + ((choice >> 2) & 0x07) % 5);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    applySettings(data[0]);
    const vl::fuzz::MemoryFile file(data + 1, size - 1);
    if (!file.ok()) return 0;
    ImportSession* session = vlImportOpenFromName(file.path().c_str());
    if (session == nullptr) return 0;
    vlImportInitialise(session);
    vl::fuzz::walkSession(session);
    vlImportClose(&session);
    return 0;
}
