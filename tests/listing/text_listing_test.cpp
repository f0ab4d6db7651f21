// The text listing: whole files against golden listings, the annotation column and
// the message columns (rows in tests/data/cases/listing*.txt), and requests from a
// cursor that is on no line or has gone stale.

#include "listing/text_listing.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <tuple>

#include "interface/export_guard.h"
#include "listing/event_line_text.h"
#include "markers/marker_cases.h"
#include "midi/read_bytes.h"
#include "session/import_session.h"  // state::Durations 0x10000, state::Strands 0x20000
#include "support/golden.h"
#include "vlmidiin.h"

namespace vl::test {
namespace {

// Every line walked by the given moves: its type, then its chunks 0 to 6 after "|".
template <class First, class Next, class Type, class Chunk>
std::string walk(First first, Next next, Type type, Chunk chunk) {
    std::string out;
    for (bool on = first(); on; on = next()) {
        out += std::to_string(type());
        for (uint16_t c = 0; c < 7; ++c) {
            const char* text = chunk(c);
            out += " |" + std::string(text != nullptr ? text : "<null>");
        }
        out += '\n';
    }
    return out;
}

std::string walk(TextListing& l, const ListingSource& src) {
    return walk([&] { return l.setFirst(src); }, [&] { return l.setNext(src); },
                [&] { return l.lineType(src); }, [&](uint16_t c) { return l.textChunk(src, c); });
}

std::string walkExports(::ImportSession* h) {
    return walk([h] { return VlMidiTextLineSetFirst(h) != 0; },
                [h] { return VlMidiTextLineSetNext(h) != 0; },
                [h] { return VlMidiTextLineType(h); },
                [h](uint16_t c) { return VlMidiTextLineTextChunk(h, c); });
}

// Copies the annotations of the track text onto the events of the first track.
void annotate(ImportSession& s, const std::string& text) {
    const MidiTrack annotated = trackFromText(text);
    auto to = s.analysis().tracks().tracks.at(0).events.begin();
    for (const MidiEvent& from : annotated.events) {
        std::tie(to->strand, to->flags, to->duration1, to->duration2) =
            std::tie(from.strand, from.flags, from.duration1, from.duration2);
        ++to;
    }
}

class TextListingTest : public ::testing::Test {
protected:
    std::unique_ptr<ImportSession> open(const std::string& bytes) {
        const Bytes b = bytesFromText(bytes);
        std::ofstream(path(), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        return ImportSession::fromFile(path(), app_);
    }
    std::string path() const { return dir_.path() + "/listing.mid"; }

    TempDir dir_;
    ImportFilterApp app_{dir_.path() + "/settings.ini"};
};

TEST_F(TextListingTest, every_file_of_the_table_lists_as_its_golden_listing) {
    for (const Case& c : readCases("listing")) {
        SCOPED_TRACE(where("listing", c));
        auto s = open(c["bytes"]);
        ASSERT_EQ(s->error(), 0u);
        if (c.has("annotations")) annotate(*s, c["annotations"]);
        TextListing listing;
        const auto state = static_cast<uint32_t>(c.number("state"));
        const TrackAnalysis& a = s->analysis();
        expectGolden(c["golden"], walk(listing, {a.header(), a.tracks(), state}));
        EXPECT_EQ(TextListing::lineCount(a.tracks()), c.number("lines"));
        if (c.has("state")) continue;
        expectGolden(c["golden"], walkExports(handleOf(s.get())));
        EXPECT_EQ(VlMidiTextLineCount(handleOf(s.get())), c.number("lines"));
    }
}

TEST_F(TextListingTest, every_column_of_the_table_reads_as_expected) {
    auto s = open(R"("MThd" [ 0001 0001 0060 ] "MTrk" [ 00903c5a 60803c00 ])");
    for (const Case& c : readCases("listing_columns")) {
        SCOPED_TRACE(where("listing_columns", c));
        if (c.has("note")) {
            annotate(*s, c["note"]);
            TextListing listing;
            const auto state = static_cast<uint32_t>(c.number("state"));
            const TrackAnalysis& a = s->analysis();
            const std::string lines = walk(listing, {a.header(), a.tracks(), state});
            const std::string want = c["annotation"] == "none" ? "<null>" : quoted(c["annotation"]);
            EXPECT_NE(lines.find("|90 3c 5a |<null> |<null> |<null> |" + want + "\n"),
                      std::string::npos) << lines;
            EXPECT_NE(lines.find("|80 3c 00 |<null> |<null> |<null> |<null>\n"),
                      std::string::npos) << lines;
            continue;
        }
        const MidiMessage m = messageOf(c["message"]);
        EXPECT_EQ(listing::messageBytesText(m), quoted(c["bytes"]));
        EXPECT_EQ(listing::metaDescriptionText(m), quoted(c["description"]));
        EXPECT_EQ(listing::dataLengthText(m), quoted(c["length"]));
        EXPECT_EQ(listing::payloadText(m), "");
    }
}

const std::string kTwoTracks = R"("MThd" [ 0001 0002 0060 ] "MTrk" [ 00903c01 00ff580406032408
    00ff2f00 ] "MTrk" [ 07c205 00923c64 00ff2f00 ])";

// Before the first line, on chunks no line has, after the last line, after a reread
// freed the events (the new first track may well sit where the old one did) and when
// the cursor's track is gone.
TEST_F(TextListingTest, requests_off_the_lines_give_null_values) {
    auto s = open(kTwoTracks);
    ::ImportSession* h = handleOf(s.get());
    const auto offLine = [h] {
        EXPECT_EQ(VlMidiTextLineType(h), -1);
        EXPECT_EQ(VlMidiTextLineTextChunk(h, 2), nullptr);
        EXPECT_EQ(VlMidiTextLineSetNext(h), 0);
    };
    offLine();
    ASSERT_EQ(VlMidiTextLineSetFirst(h), 1);
    EXPECT_EQ(VlMidiTextLineTextChunk(h, 0), nullptr);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(VlMidiTextLineSetNext(h), 1);
    ASSERT_STREQ(VlMidiTextLineTextChunk(h, 2), "ff 58");
    EXPECT_EQ(VlMidiTextLineTextChunk(h, 7), nullptr);
    EXPECT_EQ(VlMidiTextLineTextChunk(h, 65535), nullptr);
    while (VlMidiTextLineSetNext(h) != 0) {
    }
    offLine();
    ASSERT_EQ(VlMidiTextLineSetFirst(h), 1);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(VlMidiTextLineSetNext(h), 1);  // on an event again
    open(R"("MThd" [ 0000 0001 0060 ] "MTrk" [ 00903050 ])");
    ASSERT_TRUE(s->reread());
    offLine();
    EXPECT_NE(walkExports(h).find("|90 30 50 |"), std::string::npos);

    TextListing listing;
    const ListingSource source{s->analysis().header(), s->analysis().tracks(), 0};
    ASSERT_TRUE(listing.setFirst(source) && listing.setNext(source) && listing.setNext(source));
    s->analysis().tracks().tracks.pop_back();  // the cursor's track
    EXPECT_EQ(listing.lineType(source), -1);
    EXPECT_EQ(listing.textChunk(source, 2), nullptr);
}

}  // namespace
}  // namespace vl::test
