// The text listing: its walk over header and event lines, every column of
// every line of a small file, the annotation column by hand-set annotations,
// and requests from a cursor that is on no line or has gone stale.
#include "listing/text_listing.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "interface/export_guard.h"
#include "listing/event_line_text.h"
#include "session/import_session.h"
#include "support/golden.h"
#include "support/smf_builder.h"
#include "vlmidiin.h"

namespace vl {
namespace {

using test::Bytes;
using test::SmfBuilder;

constexpr size_t kChunks = 7;

// One line as read back: its type and chunks 0 to 6, kNull for a null chunk.
constexpr const char* kNull = "<null>";
struct ReadLine {
    int type = -1;
    std::array<std::string, kChunks> chunks;
};

// The lines as text, one per line: the type, then every chunk after a "|".
std::string linesText(const std::vector<ReadLine>& lines) {
    std::string out;
    for (const ReadLine& line : lines) {
        out += std::to_string(line.type);
        for (const std::string& chunk : line.chunks) out += " |" + chunk;
        out += '\n';
    }
    return out;
}

class TextListingTest : public ::testing::Test {
protected:
    std::unique_ptr<ImportSession> open(const Bytes& smf) {
        rewrite(smf);
        auto s = ImportSession::fromFile(path(), app_);
        EXPECT_EQ(s->error(), 0u);
        return s;
    }
    // Replaces the file the sessions read.
    void rewrite(const Bytes& smf) {
        std::ofstream(path(), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(smf.data()),
                   static_cast<std::streamsize>(smf.size()));
    }
    std::string path() const { return dir_.path() + "/listing.mid"; }

    test::TempDir dir_;
    ImportFilterApp app_{dir_.path() + "/settings.ini"};
};

// Walks all lines with the given cursor moves and reads every chunk of each.
template <class First, class Next, class Type, class Chunk>
std::vector<ReadLine> walkWith(First first, Next next, Type type, Chunk chunk) {
    std::vector<ReadLine> lines;
    for (bool on = first(); on; on = next()) {
        ReadLine line;
        line.type = type();
        for (uint16_t c = 0; c < kChunks; ++c) {
            const char* text = chunk(c);
            line.chunks[c] = text == nullptr ? kNull : text;
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<ReadLine> walk(TextListing& l, const ListingSource& src) {
    return walkWith([&] { return l.setFirst(src); }, [&] { return l.setNext(src); },
                    [&] { return l.lineType(src); },
                    [&](uint16_t c) { return l.textChunk(src, c); });
}

std::vector<ReadLine> walkExports(::ImportSession* h) {
    return walkWith([h] { return VlMidiTextLineSetFirst(h) != 0; },
                    [h] { return VlMidiTextLineSetNext(h) != 0; },
                    [h] { return VlMidiTextLineType(h); },
                    [h](uint16_t c) { return VlMidiTextLineTextChunk(h, c); });
}

ListingSource sourceOf(const ImportSession& s, uint32_t state) {
    return {s.header(), s.tracks(), state};
}

Bytes twoTrackFile() {
    return SmfBuilder()
        .format(1)
        .division(96)
        .track()
        .tempo(0, 500000)
        .timeSignature(0, 6, 3, 36, 8)
        .keySignature(0, -2)
        .text(10, 0x01, "Hello")
        .endTrack(5)
        .track()
        .programChange(7, 2, 5)
        .noteOn(0, 2, 60, 100)
        .noteOff(96, 2, 60)
        .keySignature(0, 2, true)
        .endTrack()
        .bytes();
}

constexpr const char* N = nullptr;

// listing/two_tracks.txt was checked by hand against the file's bytes: track 1
// holds 7 + 8 + 6 + 9 + 4 bytes, track 2 holds 3 + 4 + 4 + 6 + 4.
TEST_F(TextListingTest, two_track_file_lists_every_chunk_of_every_line) {
    auto s = open(twoTrackFile());
    TextListing listing;
    test::expectGolden("listing/two_tracks.txt",
                       linesText(walk(listing, sourceOf(*s, s->analysisState()))));
}

TEST_F(TextListingTest, exports_walk_the_same_lines_and_count_them) {
    auto s = open(twoTrackFile());
    ::ImportSession* h = handleOf(s.get());
    EXPECT_EQ(VlMidiTextLineCount(h), 10u + 2u + 2u);
    test::expectGolden("listing/two_tracks.txt", linesText(walkExports(h)));
}

TEST_F(TextListingTest, running_time_starts_again_with_each_track) {
    auto s = open(SmfBuilder()
                      .track()
                      .noteOn(1000, 0, 60, 90)
                      .endTrack(200)
                      .track()
                      .noteOn(3, 0, 60, 90)
                      .endTrack(4)
                      .bytes());
    const ListingSource source = sourceOf(*s, 0);
    TextListing listing;
    std::vector<int32_t> times;
    for (bool on = listing.setFirst(source); on; on = listing.setNext(source)) {
        times.push_back(listing.runningTime());
    }
    // header, header, 1000, 1200, header, 3, 7
    EXPECT_EQ(times, (std::vector<int32_t>{0, 0, 1000, 1200, 0, 3, 7}));
}

TEST_F(TextListingTest, tracks_without_events_list_only_their_header) {
    auto s = open(SmfBuilder()
                      .track()
                      .endTrack()
                      .track()  // no events at all
                      .track()
                      .noteOn(0, 0, 60, 90)
                      .endTrack(96)
                      .track()  // the last track empty too
                      .bytes());
    ASSERT_EQ(s->tracks().size(), 4u);
    EXPECT_EQ(TextListing::lineCount(s->tracks()), 3u + 4u + 2u);
    TextListing listing;
    test::expectGolden("listing/tracks_without_events.txt",
                       linesText(walk(listing, sourceOf(*s, 0))));
}

TEST_F(TextListingTest, a_file_without_tracks_lists_its_header_only) {
    auto s = open(SmfBuilder().format(0).division(480).bytes());
    TextListing listing;
    test::expectGolden("listing/no_tracks.txt", linesText(walk(listing, sourceOf(*s, 0))));
    EXPECT_EQ(TextListing::lineCount(s->tracks()), 2u);
}

TEST_F(TextListingTest, marker_payloads_are_listed_in_chunk_5) {
    auto s = open(SmfBuilder()
                      .track()
                      .markerText(0, "KQVLBAR")
                      .markerText(0, "KQVLEVT 90 3c")
                      .markerText(0, "KQVLMTA 58 06 03 24 08")
                      .text(0, 0x03, "Piano")
                      .bytes());
    TextListing listing;
    test::expectGolden("listing/marker_payloads.txt", linesText(walk(listing, sourceOf(*s, 0))));
}

// Annotations set by hand on the note-on of a one-note track; the duration
// step would set them.
struct AnnotationCase {
    const char* name;
    uint32_t state;
    int16_t strand;
    uint16_t d1, d2, flags;
    const char* want;  // chunk 6 of the note-on line, nullptr for none
};

TEST_F(TextListingTest, annotation_column_shows_strand_durations_and_marks) {
    const uint32_t D = state::Durations;
    const uint32_t DS = state::Durations | state::Strands;
    const std::vector<AnnotationCase> cases = {
        {"not assessed", 0, 2, 96, 90, 0x80, N},
        {"strands not assigned", D, 2, 96, 90, 0, "[-] 90 + 6           "},
        {"plain note in strand", DS, 2, 96, 90, 0, "[2] 90 + 6          "},
        {"event without strand", DS, -1, 48, 48, 0, "[-] 48 + 0           "},
        {"chord member", DS, 0, 96, 96, 0x80, "[0] 96 + 0 /c       "},
        {"triplet with detail", DS, 1, 32, 30, 0x20 | 0x3, "[1] 30 + 2    /3 3  "},
        {"quintuplet wins", DS, 1, 32, 30, 0x40 | 0x20 | 0xA, "[1] 30 + 2    /5 a  "},
        {"grid without detail", DS, 1, 32, 30, 0x20, "[1] 30 + 2    /3    "},
        {"detail without grid", DS, 1, 32, 30, 0x0F, "[1] 30 + 2          "},
        {"swing class 1", DS, 3, 48, 40, 0x100, "[3] 40 + 8         s0"},
        {"every mark", DS, 12, 64, 60, 0x80 | 0x20 | 0x5 | 0x700, "[12] 60 + 4 /c /3 5 s6"},
        {"no strand, every mark", D, 12, 64, 60, 0x80 | 0x40 | 0x1 | 0x300,
         "[-] 60 + 4  /c /5 1 s2"},
        {"sounding beyond the step", D, -1, 10, 12, 0, "[-] 12 + -2           "},
    };
    auto s = open(SmfBuilder().track().noteOn(0, 0, 60, 90).noteOff(96, 0, 60).bytes());
    MidiEvent& note = s->tracks().tracks[0].events.front();
    for (const AnnotationCase& c : cases) {
        note.strand = c.strand;
        note.duration1 = c.d1;
        note.duration2 = c.d2;
        note.flags = c.flags;
        TextListing listing;
        const auto lines = walk(listing, sourceOf(*s, c.state));
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[2].chunks[6], c.want == nullptr ? kNull : c.want) << c.name;
        EXPECT_EQ(lines[3].chunks[6], kNull) << c.name << ": a note-off has no annotation";
    }
}

TEST_F(TextListingTest, annotation_column_marks_bar_markers_and_marker_note_ons) {
    auto s = open(SmfBuilder()
                      .track()
                      .markerText(0, "KQVLBAR")
                      .markerText(0, "KQVLEVT 91 40")
                      .markerText(0, "KQVLEVT 81 40")
                      .text(0, 0x01, "KQVLBAR")  // a text event is no bar marker
                      .bytes());
    MidiEvent& markerNoteOn = *std::next(s->tracks().tracks[0].events.begin());
    markerNoteOn.strand = 4;
    markerNoteOn.duration1 = 96;
    markerNoteOn.duration2 = 96;
    const std::vector<std::string> before = {kNull, kNull, kNull, kNull};
    const std::vector<std::string> after = {"[--------------------]", "[4] 96 + 0          ",
                                            kNull, kNull};
    for (uint32_t state : {0u, state::Durations | state::Strands}) {
        TextListing listing;
        const auto lines = walk(listing, sourceOf(*s, state));
        ASSERT_EQ(lines.size(), 6u);
        std::vector<std::string> annotations;
        for (size_t i = 2; i < 6; ++i) annotations.push_back(lines[i].chunks[6]);
        EXPECT_EQ(annotations, state == 0 ? before : after);
    }
}

// Column texts of single messages, including payloads shorter than their kind
// expects: missing bytes are read as 0, nothing past the payload.
TEST(EventLineText, columns_of_single_messages) {
    auto metaOf = [](uint8_t type, Bytes bytes) {
        return MidiMessage::metaEvent(type, static_cast<int32_t>(bytes.size()), bytes.data());
    };
    struct Case {
        const char* name;
        MidiMessage message;
        const char* bytes;
        const char* description;
        const char* length;
    };
    MidiMessage sysex;
    sysex.status = 0xF0;
    sysex.payload.assign(Bytes{0x7E, 0x7F, 0xF7}.data(), 3);
    MidiMessage dataByteStart;  // status 0: a track that began with a data byte
    const std::vector<Case> cases = {
        {"note-on", MidiMessage::channel(0x90, 0, 0x3c, 0x64), "90 3c 64", "", ""},
        {"channel pressure", MidiMessage::channel(0xD0, 15, 0x22, 0), "df 22", "", ""},
        {"pitch bend", MidiMessage::channel(0xE0, 1, 0x00, 0x40), "e1 00 40", "", ""},
        {"status 0", dataByteStart, "00 00 00", "", ""},
        {"sysex", sysex, "f0", "", "[3]"},
        {"clock", MidiMessage::packed(0xF8), "f8", "", ""},
        {"tempo of 2 bytes", metaOf(0x51, {0x07, 0xA1}), "ff 51",
         "Tempo:  499968 microsec per MIDI quarter (120 quarters/min)", "[2]"},
        {"tempo of 0 bytes", metaOf(0x51, {}), "ff 51",
         "Tempo:  0 microsec per MIDI quarter (no quarters/min)", "[0]"},
        {"tempo 00 00 01", metaOf(0x51, {0, 0, 1}), "ff 51",
         "Tempo:  1 microsec per MIDI quarter (60000000 quarters/min)", "[3]"},
        {"time sig of 1 byte", metaOf(0x58, {3}), "ff 58",
         "Time sig: 3/1  (0 MIDI clocks per metronome tick; 0 32nds per MIDI quarter)", "[1]"},
        {"time sig power 40", metaOf(0x58, {4, 40, 24, 8}), "ff 58",
         "Time sig: 4/2^40  (24 MIDI clocks per metronome tick; 8 32nds per MIDI quarter)",
         "[4]"},
        {"key sig of 1 byte", metaOf(0x59, {0xF9}), "ff 59", "Key sig: -7 major", "[1]"},
        {"key sig minor 3", metaOf(0x59, {0, 3}), "ff 59", "Key sig: 0 minor", "[2]"},
        {"smpte offset", metaOf(0x54, {0x60, 0x01, 0x02, 0x03, 0xFF}), "ff 54",
         "SMPTE offset: 60 01 02 03 ff", "[5]"},
        {"smpte of 1 byte", metaOf(0x54, {0x60}), "ff 54", "SMPTE offset: ", "[1]"},
        {"sequence number", metaOf(0x00, {0, 1}), "ff 00", "", "[2]"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(listing::messageBytesText(c.message), c.bytes) << c.name;
        EXPECT_EQ(listing::metaDescriptionText(c.message), c.description) << c.name;
        EXPECT_EQ(listing::dataLengthText(c.message), c.length) << c.name;
        EXPECT_EQ(listing::payloadText(c.message), "") << c.name;
    }
}

TEST_F(TextListingTest, requests_off_the_line_give_null_values) {
    auto s = open(twoTrackFile());
    const ListingSource source = sourceOf(*s, 0);
    TextListing listing;
    // Before set first.
    EXPECT_EQ(listing.lineType(source), -1);
    EXPECT_EQ(listing.textChunk(source, 2), nullptr);
    EXPECT_FALSE(listing.setNext(source));
    // Chunks that no line type has.
    ASSERT_TRUE(listing.setFirst(source));
    EXPECT_EQ(listing.textChunk(source, 0), nullptr);
    EXPECT_EQ(listing.textChunk(source, 7), nullptr);
    EXPECT_EQ(listing.textChunk(source, 65535), nullptr);
    ASSERT_TRUE(listing.setNext(source) && listing.setNext(source));
    EXPECT_EQ(listing.lineType(source), 3);
    EXPECT_EQ(listing.textChunk(source, 7), nullptr);
    // After the end.
    while (listing.setNext(source)) {
    }
    EXPECT_EQ(listing.lineType(source), -1);
    EXPECT_EQ(listing.textChunk(source, 2), nullptr);
    EXPECT_FALSE(listing.setNext(source));
    // The same through the exports on a fresh session.
    auto fresh = open(twoTrackFile());
    ::ImportSession* h = handleOf(fresh.get());
    EXPECT_EQ(VlMidiTextLineType(h), -1);
    EXPECT_EQ(VlMidiTextLineTextChunk(h, 2), nullptr);
    EXPECT_EQ(VlMidiTextLineSetNext(h), 0);
}

TEST_F(TextListingTest, a_cursor_left_on_an_event_does_not_survive_a_reread) {
    auto s = open(twoTrackFile());
    ::ImportSession* h = handleOf(s.get());
    ASSERT_EQ(VlMidiTextLineSetFirst(h), 1);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(VlMidiTextLineSetNext(h), 1);
    ASSERT_STREQ(VlMidiTextLineTextChunk(h, 2), "ff 58");

    // A shorter file on disk: the old events are freed by the reread, and the
    // new first track may well sit where the old one did.
    rewrite(SmfBuilder().format(0).track().noteOn(0, 0, 48, 80).endTrack().bytes());
    ASSERT_TRUE(s->reread());
    EXPECT_EQ(VlMidiTextLineType(h), -1);
    EXPECT_EQ(VlMidiTextLineTextChunk(h, 0), nullptr);
    EXPECT_EQ(VlMidiTextLineSetNext(h), 0);

    const auto lines = walkExports(h);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].chunks[2], "MThd, 6, Format=0, Tracks=1, Division=96");
    EXPECT_EQ(lines[2].chunks[2], "90 30 50");
}

TEST_F(TextListingTest, a_cursor_whose_track_is_gone_is_on_no_line) {
    auto s = open(twoTrackFile());
    TextListing listing;
    const ListingSource source = sourceOf(*s, 0);
    ASSERT_TRUE(listing.setFirst(source));
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(listing.setNext(source));
    ASSERT_EQ(listing.lineType(source), 3);
    s->tracks().tracks.pop_back();  // the cursor's track
    EXPECT_EQ(listing.lineType(source), -1);
    EXPECT_EQ(listing.textChunk(source, 2), nullptr);
    EXPECT_FALSE(listing.setNext(source));
}

}  // namespace
}  // namespace vl
