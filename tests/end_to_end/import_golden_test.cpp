// Whole imports through the C interface compared with golden dumps: each case of
// tests/data/cases/import_golden.txt is written as a MIDI file, opened by name,
// transcribed and walked (see item_dump.h for the dump).

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "end_to_end/item_dump.h"
#include "session/import_filter_app.h"
#include "support/case_file.h"
#include "support/golden.h"
#include "support/smf_builder.h"

namespace vl::test {
namespace {

// Adds the "<tick> <event>" items of the case table to a new track of the builder.
void addTrack(SmfBuilder& b, const std::string& items) {
    b.track();
    std::istringstream all(items);
    uint32_t now = 0;
    for (std::string item; std::getline(all, item, ',');) {
        std::istringstream in(item);
        uint32_t time = 0;
        std::string word, rest;
        int x = 0, y = 0;
        in >> time >> word >> std::ws;
        std::getline(in, rest);
        std::istringstream(rest) >> x >> y;
        const uint32_t delta = time - now;
        const auto u8 = [](int v) { return static_cast<uint8_t>(v); };
        now = time;
        if (word == "on") b.noteOn(delta, u8(x), u8(y), 80);
        if (word == "off") b.noteOff(delta, u8(x), u8(y));
        if (word == "name") b.trackName(delta, rest);
        if (word == "text") b.text(delta, 0x02, rest);
        if (word == "TS") b.timeSignature(delta, u8(x), u8(y));
        if (word == "KS") b.keySignature(delta, static_cast<int8_t>(x), y != 0);
        if (word == "tempo") b.tempo(delta, static_cast<uint32_t>(x));
        if (word == "prog") b.programChange(delta, u8(x), u8(y));
        if (word == "end") b.endTrack(delta);
    }
}

class ImportGolden : public ::testing::Test {
protected:
    // The file settings as a fresh store gives them (triplets and swing on, finest
    // beat a 1/64), whatever store the test run happens to see.
    void SetUp() override {
        ResolutionSettings& files = ImportFilterApp::instance().rhythmResolution();
        saved_ = files;
        files.triplets = 1;
        files.swing = 1;
        files.quantisationBeat = 7;
    }
    void TearDown() override { ImportFilterApp::instance().rhythmResolution() = saved_; }

private:
    ResolutionSettings saved_;
};

TEST_F(ImportGolden, every_case_gives_its_golden_dump) {
    for (const Case& c : readCases("import_golden")) {
        SCOPED_TRACE(where("import_golden", c));
        SmfBuilder b;
        b.format(static_cast<uint16_t>(c.number("format")));
        b.division(static_cast<uint16_t>(c.number("division", 96)));
        for (const char* track : {"track", "track 2"})
            if (c.has(track)) addTrack(b, c[track]);
        const TempFile file = writeTempFile(b.bytes());
        expectGolden(c["golden"], importDump(file.path()));
    }
}

}  // namespace
}  // namespace vl::test
