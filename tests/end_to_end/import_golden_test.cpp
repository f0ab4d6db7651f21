// Whole imports through the C interface, compared with hand-checked dumps.
// Each case builds a small MIDI file, opens it by name, transcribes it and
// walks the start items, the guide strand and every strand (see item_dump.h
// for the line format); most cases compare only the sections that show what
// they are about. The expected dumps were worked out by hand from what
// a musician would write for the music and from the transcription rules;
// they are not regenerated from the library's output.
//
// Every case keeps its notes inside bar lines: notes that sound across a bar
// line are split into ties by a step of their own and are tested there.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "end_to_end/item_dump.h"
#include "session/import_filter_app.h"
#include "support/smf_builder.h"

namespace vl::test {
namespace {

struct Note {
    uint32_t on;
    uint32_t off;
    uint8_t key;
    uint8_t channel = 0;
};

// One performance of a piece, for cases that feed several to one expectation.
struct Take {
    const char* name;
    std::vector<Note> notes;
};

// Writes the notes into the builder's current track and ends it at endTick.
// Events are ordered by tick; at one tick note-offs come first, and otherwise
// the order of the list is kept (so a chord's members follow its first note).
void addNotes(SmfBuilder& b, const std::vector<Note>& notes, uint32_t endTick) {
    struct Event {
        uint32_t tick;
        bool on;
        const Note* note;
    };
    std::vector<Event> events;
    for (const Note& n : notes) {
        events.push_back({n.on, true, &n});
        events.push_back({n.off, false, &n});
    }
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : (!a.on && b.on);
    });
    uint32_t now = 0;
    for (const Event& e : events) {
        if (e.on)
            b.noteOn(e.tick - now, e.note->channel, e.note->key, 80);
        else
            b.noteOff(e.tick - now, e.note->channel, e.note->key);
        now = e.tick;
    }
    b.endTrack(endTick - now);
}

// Format 0, one track: name, 4/4, C major, crotchet = 120, piano, then notes.
Bytes oneTrackIn44(const std::vector<Note>& notes, uint32_t endTick) {
    SmfBuilder b;
    b.format(0).division(96).track().trackName(0, "Scale");
    b.timeSignature(0, 4, 2).keySignature(0, 0).tempo(0, 500000).programChange(0, 0, 0);
    addNotes(b, notes, endTick);
    return b.bytes();
}

class ImportGolden : public ::testing::Test {
protected:
    // The file settings as a fresh store gives them (triplets and swing on,
    // finest beat a 1/64), whatever store the test run happens to see.
    void SetUp() override {
        ResolutionSettings& files = ImportFilterApp::instance().rhythmResolution();
        saved_ = files;
        files.triplets = 1;
        files.swing = 1;
        files.quantisationBeat = 7;
    }
    void TearDown() override { ImportFilterApp::instance().rhythmResolution() = saved_; }

    static std::string dumpOf(const Bytes& smf) {
        const TempFile file = writeTempFile(smf);
        return importDump(file.path());
    }
    // The lines of one section of a dump: its header line (the first one that
    // starts with `header`) and the indented item lines under it.
    static std::string sectionOf(const std::string& dump, const std::string& header) {
        size_t at = dump.compare(0, header.size(), header) == 0 ? 0 : dump.find("\n" + header);
        if (at == std::string::npos) return "no section " + header + "\n";
        if (at != 0) ++at;
        size_t end = dump.find('\n', at);
        while (end != std::string::npos && dump.compare(end + 1, 2, "  ") == 0)
            end = dump.find('\n', end + 1);
        return dump.substr(at, end == std::string::npos ? std::string::npos : end + 1 - at);
    }

private:
    ResolutionSettings saved_;
};

// C major scale, one octave up, in crotchets over two bars of 4/4.
const std::string kScaleDump = R"(strands 1
start
  keysig 1 0 00 00 | Key signature: 0
  timesig 1 4 02 00 | Time signature: 4/4
  tempo 1 3 78 00 |  Crotchet = 120
  swingstyle 1 0 00 00 | Totally unknown item
  title 1 "Scale" | Totally unknown item
guide
  timesig 1 4 02 00 | Time signature: 4/4
  tempo 1 3 78 00 |  Crotchet = 120
  barline 1 0 00 00 | Barline
  rest 1 0 01 00 |  Semibreve rest
  barline 1 0 00 00 | Barline
  rest 1 0 01 00 |  Semibreve rest
  barline 1 0 00 00 | Barline
strand 0 voicing progchange 1 0 00 00 | Totally unknown item
  clef 1 1 00 00 | Totally unknown item
  trackname 1 "Scale" | Totally unknown item
  timesig 1 4 02 00 | Time signature: 4/4
  keysig 1 0 00 00 | Key signature: 0
  tempo 1 3 78 00 |  Crotchet = 120
  progchange 1 0 00 00 | Totally unknown item
  barline 1 0 00 00 | Barline
  midinote 1 60 03 00 |  Crotchet 3c
  midinote 1 62 03 00 |  Crotchet 3e
  midinote 1 64 03 00 |  Crotchet 40
  midinote 1 65 03 00 |  Crotchet 41
  barline 1 0 00 00 | Barline
  midinote 1 67 03 00 |  Crotchet 43
  midinote 1 69 03 00 |  Crotchet 45
  midinote 1 71 03 00 |  Crotchet 47
  midinote 1 72 03 00 |  Crotchet 48
  barline 1 0 00 00 | Barline
)";

// Played, the onsets come up to 5 ticks early or late (under one 6-tick grid
// step, so each snaps to its beat), releases a little early, A is held a few
// ticks into B (legato) and G, played 3 ticks before the bar line, belongs to
// bar 2.
TEST_F(ImportGolden, scale_crotchets_exact_and_played) {
    std::vector<Note> exact;
    const uint8_t keys[] = {60, 62, 64, 65, 67, 69, 71, 72};
    for (uint32_t i = 0; i < 8; ++i) exact.push_back({i * 96, i * 96 + 96, keys[i]});
    const std::vector<Note> played = {
        {0, 91, 60},    {99, 186, 62},  {190, 285, 64}, {291, 383, 65},
        {381, 470, 67}, {478, 580, 69}, {575, 667, 71}, {670, 765, 72},
    };
    for (const Take& take : {Take{"exact", exact}, Take{"played", played}}) {
        SCOPED_TRACE(take.name);
        EXPECT_EQ(dumpOf(oneTrackIn44(take.notes, 768)), kScaleDump);
    }
}

// Left-hand triads in minims, I-IV-V-I: the first note of each chord leads,
// the others follow as cluster copies, and the low register gives a bass clef.
// Played, the chords are rolled upwards by up to 4 ticks and released
// unevenly, one note (E in the first chord) overlapping the next chord by a
// few ticks; after quantising they are the same chords.
TEST_F(ImportGolden, chords_triads_in_minims) {
    const uint8_t chords[4][3] = {{48, 52, 55}, {48, 53, 57}, {47, 50, 55}, {48, 52, 55}};
    std::vector<Note> exact;
    for (uint32_t c = 0; c < 4; ++c)
        for (uint8_t key : chords[c]) exact.push_back({c * 192, c * 192 + 192, key});
    const std::vector<Note> played = {
        {0, 180, 48},   {1, 195, 52},   {3, 188, 55},   {193, 370, 48}, {194, 378, 53},
        {196, 381, 57}, {385, 560, 47}, {386, 572, 50}, {387, 570, 55}, {577, 760, 48},
        {578, 765, 52}, {580, 766, 55},
    };
    for (const Take& take : {Take{"exact", exact}, Take{"played", played}}) {
        SCOPED_TRACE(take.name);
        SmfBuilder b;
        b.format(0).division(96).track().trackName(0, "Chords").timeSignature(0, 4, 2);
        addNotes(b, take.notes, 768);
        const std::string dump = dumpOf(b.bytes());
        EXPECT_EQ(dump.substr(0, 9), "strands 1");
        EXPECT_EQ(sectionOf(dump, "strand 0"),
                  R"(strand 0 voicing progchange 1 0 ff 00 | Totally unknown item
  clef 1 2 00 00 | Totally unknown item
  trackname 1 "Chords" | Totally unknown item
  timesig 1 4 02 00 | Time signature: 4/4
  barline 1 0 00 00 | Barline
  midinote 1 48 02 00 |  Minim 30
  midinote 2 52 02 00 |  Minim 34
  midinote 2 55 02 00 |  Minim 37
  midinote 1 48 02 00 |  Minim 30
  midinote 2 53 02 00 |  Minim 35
  midinote 2 57 02 00 |  Minim 39
  barline 1 0 00 00 | Barline
  midinote 1 47 02 00 |  Minim 2f
  midinote 2 50 02 00 |  Minim 32
  midinote 2 55 02 00 |  Minim 37
  midinote 1 48 02 00 |  Minim 30
  midinote 2 52 02 00 |  Minim 34
  midinote 2 55 02 00 |  Minim 37
  barline 1 0 00 00 | Barline
)");
    }
}

// One piano channel: a crotchet melody over semibreves held in the bass. The
// bass note comes first in the file at each bar, yet the melody, whose notes
// end sooner, becomes the first strand and the bass the second.
TEST_F(ImportGolden, voices_melody_over_held_bass) {
    const std::vector<Note> notes = {
        {0, 384, 48},   {0, 96, 64},    {96, 192, 62},  {192, 288, 60}, {288, 384, 62},
        {384, 768, 43}, {384, 480, 64}, {480, 576, 64}, {576, 768, 64},
    };
    SmfBuilder b;
    b.format(0).division(96).track().trackName(0, "Piano").programChange(0, 0, 0);
    addNotes(b, notes, 768);
    const std::string dump = dumpOf(b.bytes());
    EXPECT_EQ(dump.substr(0, 9), "strands 2");
    EXPECT_EQ(sectionOf(dump, "strand 0") + sectionOf(dump, "strand 1"),
              R"(strand 0 voicing progchange 1 0 00 00 | Totally unknown item
  clef 1 1 00 00 | Totally unknown item
  trackname 1 "Piano" | Totally unknown item
  progchange 1 0 00 00 | Totally unknown item
  barline 1 0 00 00 | Barline
  midinote 1 64 03 00 |  Crotchet 40
  midinote 1 62 03 00 |  Crotchet 3e
  midinote 1 60 03 00 |  Crotchet 3c
  midinote 1 62 03 00 |  Crotchet 3e
  barline 1 0 00 00 | Barline
  midinote 1 64 03 00 |  Crotchet 40
  midinote 1 64 03 00 |  Crotchet 40
  midinote 1 64 02 00 |  Minim 40
  barline 1 0 00 00 | Barline
strand 1 voicing progchange 1 0 00 00 | Totally unknown item
  clef 1 2 00 00 | Totally unknown item
  trackname 1 "Piano" | Totally unknown item
  progchange 1 0 00 00 | Totally unknown item
  barline 1 0 00 00 | Barline
  midinote 1 48 01 00 |  Semibreve 30
  barline 1 0 00 00 | Barline
  midinote 1 43 01 00 |  Semibreve 2b
  barline 1 0 00 00 | Barline
)");
}

// A bass guitar on channel 1 and a drum kit on channel 10 in one track. The
// drums get their own strand on channel index 9, with no program. Each drum
// hit lasts 12 ticks: it may be written at most four times as long (a quaver
// on the beat) and the rest of the beat becomes a quaver rest. Kick and snare
// come first in the file, so they lead their chords with the hi-hat. The
// bass guitar's program change is shared by every strand of the track.
TEST_F(ImportGolden, drums_channel_ten_get_their_own_strand) {
    std::vector<Note> notes;
    const uint8_t bass[] = {36, 36, 43, 43};
    for (uint32_t beat = 0; beat < 4; ++beat) {
        const uint32_t t = beat * 96;
        notes.push_back({t, t + 84, bass[beat], 0});
        notes.push_back({t, t + 12, static_cast<uint8_t>(beat % 2 == 0 ? 36 : 38), 9});
        notes.push_back({t, t + 12, 42, 9});
    }
    SmfBuilder b;
    b.format(0).division(96).track().trackName(0, "Groove").programChange(0, 0, 33);
    addNotes(b, notes, 384);
    const std::string dump = dumpOf(b.bytes());
    EXPECT_EQ(dump.substr(0, 9), "strands 2");
    EXPECT_NE(dump.find("\nstrand 0 voicing progchange 1 0 21 00 |"), std::string::npos);
    EXPECT_EQ(sectionOf(dump, "strand 1"),
              R"(strand 1 voicing progchange 1 9 ff 00 | Totally unknown item
  clef 1 2 00 00 | Totally unknown item
  trackname 1 "Groove" | Totally unknown item
  progchange 1 0 21 00 | Totally unknown item
  barline 1 0 00 00 | Barline
  midinote 1 36 04 00 |  Quaver 24
  midinote 2 42 04 00 |  Quaver 2a
  rest 1 0 04 00 |  Quaver rest
  midinote 1 38 04 00 |  Quaver 26
  midinote 2 42 04 00 |  Quaver 2a
  rest 1 0 04 00 |  Quaver rest
  midinote 1 36 04 00 |  Quaver 24
  midinote 2 42 04 00 |  Quaver 2a
  rest 1 0 04 00 |  Quaver rest
  midinote 1 38 04 00 |  Quaver 26
  midinote 2 42 04 00 |  Quaver 2a
  rest 1 0 04 00 |  Quaver rest
  barline 1 0 00 00 | Barline
)");
}

// A jig in 6/8: values grouped by the dotted-crotchet beat. Bar 2: crotchet,
// quaver, dotted crotchet. Bar 3: quaver, quaver, a crotchet across the
// middle of the bar (written as two tied quavers), crotchet. Bar 4: dotted
// minim. The first bar, before any note, is one whole-bar rest.
TEST_F(ImportGolden, jig_six_eight_groups_by_dotted_crotchets) {
    const std::vector<Note> notes = {
        {288, 384, 74}, {384, 432, 76}, {432, 576, 78}, {576, 624, 79},
        {624, 672, 81}, {672, 768, 83}, {768, 864, 81}, {864, 1152, 79},
    };
    SmfBuilder b;
    b.format(0).division(96).track().trackName(0, "Jig").timeSignature(0, 6, 3);
    addNotes(b, notes, 1152);
    EXPECT_EQ(sectionOf(dumpOf(b.bytes()), "strand 0"),
              R"(strand 0 voicing progchange 1 0 ff 00 | Totally unknown item
  clef 1 1 00 00 | Totally unknown item
  trackname 1 "Jig" | Totally unknown item
  timesig 1 6 03 00 | Time signature: 6/8
  barline 1 0 00 00 | Barline
  rest 1 0 21 00 |  Semibreve rest
  barline 1 0 00 00 | Barline
  midinote 1 74 03 00 |  Crotchet 4a
  midinote 1 76 04 00 |  Quaver 4c
  midinote 1 78 0b 00 | Dotted Crotchet 4e
  barline 1 0 00 00 | Barline
  midinote 1 79 04 00 |  Quaver 4f
  midinote 1 81 04 00 |  Quaver 51
  midinote 1 83 04 00 |  Quaver 53
  midinote 1 83 04 40 |  Quaver 53
  midinote 1 81 03 00 |  Crotchet 51
  barline 1 0 00 00 | Barline
  midinote 1 79 0a 00 | Dotted Minim 4f
  barline 1 0 00 00 | Barline
)");
}

// Files without notes: no strand, and the start items fall back to C major,
// 4/4 and crotchet = 120. A track of nothing but its end gets no bar line;
// two silent bars give the guide two bars of rest.
TEST_F(ImportGolden, silence_empty_track_and_two_named_bars) {
    SmfBuilder empty;
    empty.format(0).division(96).track().endTrack(0);
    EXPECT_EQ(dumpOf(empty.bytes()), R"(strands 0
start
  keysig 1 0 00 00 | Key signature: 0
  timesig 1 4 02 00 | Time signature: 4/4
  tempo 1 3 78 00 |  Crotchet = 120
  swingstyle 1 0 00 00 | Totally unknown item
guide
)");

    SmfBuilder b;
    b.format(0).division(96).track().trackName(0, "Tacet").text(0, 0x02, "(c) nobody");
    b.endTrack(768);
    const std::string dump = dumpOf(b.bytes());
    EXPECT_EQ(dump.substr(0, 9), "strands 0");
    EXPECT_NE(dump.find("\n  title 1 \"Tacet\" | Totally unknown item\n"
                        "  notice 1 \"(c) nobody\" | Totally unknown item\n"),
              std::string::npos);
    EXPECT_EQ(sectionOf(dump, "guide"), R"(guide
  barline 1 0 00 00 | Barline
  rest 1 0 01 00 |  Semibreve rest
  barline 1 0 00 00 | Barline
  rest 1 0 01 00 |  Semibreve rest
  barline 1 0 00 00 | Barline
)");
}

// Format 1 at division 480: a conductor track (name, 4/4, F major, crotchet =
// 100, slowing to 80 at bar 2) and a violin melody. The guide strand shows the
// tempo change; the melody strand carries the conductor's signatures (key
// first) but no tempo, and the conductor's name is the title.
TEST_F(ImportGolden, conductor_tempo_change_in_guide) {
    const std::vector<Note> melody = {
        {0, 480, 65},     {480, 960, 69},   {960, 1920, 72},
        {1920, 2640, 70}, {2640, 2880, 69}, {2880, 3840, 67},
    };
    SmfBuilder b;
    b.format(1).division(480).track().trackName(0, "Song");
    b.timeSignature(0, 4, 2).keySignature(0, -1).tempo(0, 600000).tempo(1920, 750000);
    b.endTrack(1920);
    b.track().trackName(0, "Violin").programChange(0, 0, 40);
    addNotes(b, melody, 3840);
    EXPECT_EQ(dumpOf(b.bytes()), R"(strands 1
start
  keysig 1 255 00 00 | Key signature: -1
  timesig 1 4 02 00 | Time signature: 4/4
  tempo 1 3 64 00 |  Crotchet = 100
  swingstyle 1 0 00 00 | Totally unknown item
  title 1 "Song" | Totally unknown item
guide
  timesig 1 4 02 00 | Time signature: 4/4
  tempo 1 3 64 00 |  Crotchet = 100
  barline 1 0 00 00 | Barline
  rest 1 0 01 00 |  Semibreve rest
  barline 1 0 00 00 | Barline
  tempo 1 3 50 00 |  Crotchet = 80
  rest 1 0 01 00 |  Semibreve rest
  barline 1 0 00 00 | Barline
strand 0 voicing progchange 1 0 28 00 | Totally unknown item
  clef 1 1 00 00 | Totally unknown item
  keysig 1 255 00 00 | Key signature: -1
  timesig 1 4 02 00 | Time signature: 4/4
  trackname 1 "Violin" | Totally unknown item
  progchange 1 0 28 00 | Totally unknown item
  barline 1 0 00 00 | Barline
  midinote 1 65 03 00 |  Crotchet 41
  midinote 1 69 03 00 |  Crotchet 45
  midinote 1 72 02 00 |  Minim 48
  barline 1 0 00 00 | Barline
  midinote 1 70 0b 00 | Dotted Crotchet 46
  midinote 1 69 04 00 |  Quaver 45
  midinote 1 67 02 00 |  Minim 43
  barline 1 0 00 00 | Barline
)");
}

}  // namespace
}  // namespace vl::test
