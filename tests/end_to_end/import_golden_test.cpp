// Whole imports through the C interface compared with golden dumps: each case of
// tests/data/cases/import_golden.txt is written as a MIDI file, opened by name,
// transcribed and walked through the C interface only. Every item becomes one line:
// type name, action, arg1 in decimal, arg2 and arg3 in hex (note-value codes and
// flags), then the description; text items show their text instead of the arguments.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <string>

#include "session/import_filter_app.h"
#include "support/case_file.h"
#include "support/golden.h"
#include "support/smf_builder.h"
#include "vlmidiin.h"

namespace vl::test {
namespace {

constexpr std::array<const char*, 14> kTypeNames{
    "unknown", "midinote", "note",       "rest",      "barline",      "timesig",    "keysig",
    "tempo",   "clef",     "progchange", "swingstyle", "gracenote", "tuplet-start", "tuplet-end",
};
constexpr std::array<const char*, 8> kTextTypeNames{
    "text", "notice", "trackname", "instrument", "lyric", "marker", "cue", "title",
};
constexpr uint16_t kFirstTextType = 4096;

std::string typeName(uint16_t type) {
    if (type < kTypeNames.size()) return kTypeNames[type];
    if (type >= kFirstTextType && type < kFirstTextType + kTextTypeNames.size())
        return kTextTypeNames[type - kFirstTextType];
    return "type" + std::to_string(type);
}

std::string description(const ImportItem& item) {
    std::array<char, 96> buffer{};
    if (VliGetDescription(&item, buffer.data(), static_cast<uint32_t>(buffer.size())) == 0)
        return "(no description)";
    return buffer.data();
}

std::string itemLine(ImportSession* session, const ImportItem& item) {
    std::string line = typeName(item.type);
    char bytes[32];
    if (item.type >= kFirstTextType) {
        const char* text = vlImportItemText(session, &item);
        std::snprintf(bytes, sizeof bytes, " %u ", static_cast<unsigned>(item.action));
        line += bytes;
        line += text != nullptr ? "\"" + std::string(text) + "\"" : "(no text)";
    } else {
        std::snprintf(bytes, sizeof bytes, " %u %u %02x %02x", static_cast<unsigned>(item.action),
                      static_cast<unsigned>(item.arg1), static_cast<unsigned>(item.arg2),
                      static_cast<unsigned>(item.arg3));
        line += bytes;
        if (item.reserved6 != 0 || item.reserved7 != 0) line += " (reserved bytes set)";
    }
    return line + " | " + description(item);
}

void appendList(ImportSession* session, std::string& out) {
    ImportItem item{};
    for (bool more = vlImportGetFirstItem(session, &item) != 0; more;
         more = vlImportGetNextItem(session, &item) != 0) {
        out += "  " + itemLine(session, item) + "\n";
    }
}

std::string voicingText(ImportSession* session) {
    ImportItem voicing{};
    if (vlImportGetStartVoicing(session, &voicing) == 0) return " no voicing";
    return " voicing " + itemLine(session, voicing);
}

std::string importDump(const std::string& path) {
    ImportSession* session = vlImportOpenFromName(path.c_str());
    if (session == nullptr) return "open failed\n";

    const int32_t found = vlImportInitialise(session);
    std::string out = "strands " + std::to_string(found) + "\n";
    if (vlImportStrandCount(session) != found)
        out += "strand count " + std::to_string(vlImportStrandCount(session)) + "\n";

    out += vlImportGetStartItems(session) != 0 ? "start\n" : "no start items\n";
    appendList(session, out);
    out += vlImportGetGuideStrand(session) != 0 ? "guide\n" : "no guide strand\n";
    appendList(session, out);

    int strand = 0;
    for (bool more = vlImportGetFirstStrand(session) != 0; more;
         more = vlImportGetNextStrand(session) != 0) {
        out += "strand " + std::to_string(strand++) + voicingText(session) + "\n";
        appendList(session, out);
    }
    vlImportClose(&session);
    if (session != nullptr) out += "handle not cleared by close\n";
    return out;
}

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
