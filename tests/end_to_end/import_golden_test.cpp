// Whole imports through the C interface, compared with golden dumps. Each
// case builds a small MIDI file, opens it by name, transcribes it and walks
// the start items, the guide strand and every strand (see item_dump.h for the
// line format); the dump must equal tests/data/golden/<case>.txt. The strand
// sections of those files were first worked out by hand from what a musician
// would write for the music; a case with a played take must give the same
// dump as the exact one.
//
// Every case keeps its notes inside bar lines: notes that sound across a bar
// line are split into ties by a step of their own and are tested there.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "end_to_end/item_dump.h"
#include "session/import_filter_app.h"
#include "support/golden.h"
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

private:
    ResolutionSettings saved_;
};

// Format 0, one named track, optional time signature, then the notes.
Bytes namedTrack(const char* name, const std::vector<Note>& notes, uint32_t endTick,
                 int numerator = 0, int denominatorPower = 2, int program = -1) {
    SmfBuilder b;
    b.format(0).division(96).track().trackName(0, name);
    if (numerator > 0)
        b.timeSignature(0, static_cast<uint8_t>(numerator), static_cast<uint8_t>(denominatorPower));
    if (program >= 0) b.programChange(0, 0, static_cast<uint8_t>(program));
    addNotes(b, notes, endTick);
    return b.bytes();
}

// C major scale, one octave up, in crotchets over two bars of 4/4. Played,
// the onsets come up to 5 ticks early or late (under one 6-tick grid step, so
// each snaps to its beat), releases a little early, A is held a few ticks
// into B (legato) and G, played 3 ticks before the bar line, belongs to bar 2.
std::vector<Take> scale() {
    std::vector<Note> exact;
    const uint8_t keys[] = {60, 62, 64, 65, 67, 69, 71, 72};
    for (uint32_t i = 0; i < 8; ++i) exact.push_back({i * 96, i * 96 + 96, keys[i]});
    return {{"exact", exact},
            {"played",
             {{0, 91, 60}, {99, 186, 62}, {190, 285, 64}, {291, 383, 65},
              {381, 470, 67}, {478, 580, 69}, {575, 667, 71}, {670, 765, 72}}}};
}

// Left-hand triads in minims, I-IV-V-I: the first note of each chord leads,
// the others follow as cluster copies, and the low register gives a bass clef.
// Played, the chords are rolled upwards by up to 4 ticks and released
// unevenly, one note (E in the first chord) overlapping the next chord by a
// few ticks; after quantising they are the same chords.
std::vector<Take> triads() {
    const uint8_t chords[4][3] = {{48, 52, 55}, {48, 53, 57}, {47, 50, 55}, {48, 52, 55}};
    std::vector<Note> exact;
    for (uint32_t c = 0; c < 4; ++c)
        for (uint8_t key : chords[c]) exact.push_back({c * 192, c * 192 + 192, key});
    return {{"exact", exact},
            {"played",
             {{0, 180, 48}, {1, 195, 52}, {3, 188, 55}, {193, 370, 48}, {194, 378, 53},
              {196, 381, 57}, {385, 560, 47}, {386, 572, 50}, {387, 570, 55}, {577, 760, 48},
              {578, 765, 52}, {580, 766, 55}}}};
}

// A bass guitar on channel 1 and a drum kit on channel 10 in one track. The
// drums get their own strand on channel index 9, with no program. Each drum
// hit lasts 12 ticks: it may be written at most four times as long (a quaver
// on the beat) and the rest of the beat becomes a quaver rest. Kick and snare
// come first in the file, so they lead their chords with the hi-hat. The
// bass guitar's program change is shared by every strand of the track.
std::vector<Note> groove() {
    std::vector<Note> notes;
    const uint8_t bass[] = {36, 36, 43, 43};
    for (uint32_t beat = 0; beat < 4; ++beat) {
        const uint32_t t = beat * 96;
        notes.push_back({t, t + 84, bass[beat], 0});
        notes.push_back({t, t + 12, static_cast<uint8_t>(beat % 2 == 0 ? 36 : 38), 9});
        notes.push_back({t, t + 12, 42, 9});
    }
    return notes;
}

// Format 1 at division 480: a conductor track (name, 4/4, F major, crotchet =
// 100, slowing to 80 at bar 2) and a violin melody. The guide strand shows the
// tempo change; the melody strand carries the conductor's signatures (key
// first) but no tempo, and the conductor's name is the title.
Bytes conductorAndViolin() {
    SmfBuilder b;
    b.format(1).division(480).track().trackName(0, "Song");
    b.timeSignature(0, 4, 2).keySignature(0, -1).tempo(0, 600000).tempo(1920, 750000);
    b.endTrack(1920);
    b.track().trackName(0, "Violin").programChange(0, 0, 40);
    addNotes(b,
             {{0, 480, 65}, {480, 960, 69}, {960, 1920, 72}, {1920, 2640, 70}, {2640, 2880, 69},
              {2880, 3840, 67}},
             3840);
    return b.bytes();
}

// Files without notes: no strand, and the start items fall back to C major,
// 4/4 and crotchet = 120. A track of nothing but its end gets no bar line;
// two silent bars with a name and a notice give the guide two bars of rest.
Bytes emptyTrack() {
    SmfBuilder b;
    b.format(0).division(96).track().endTrack(0);
    return b.bytes();
}

Bytes twoSilentBars() {
    SmfBuilder b;
    b.format(0).division(96).track().trackName(0, "Tacet").text(0, 0x02, "(c) nobody");
    b.endTrack(768);
    return b.bytes();
}

TEST_F(ImportGolden, every_case_gives_its_golden_dump) {
    struct Case {
        std::string golden;
        std::vector<std::pair<std::string, Bytes>> takes;  // each must give the golden dump
    };
    auto takesOf = [](const std::vector<Take>& takes, auto fileOf) {
        std::vector<std::pair<std::string, Bytes>> out;
        for (const Take& t : takes) out.emplace_back(t.name, fileOf(t.notes));
        return out;
    };
    const std::vector<Case> cases = {
        {"scale_crotchets.txt",
         takesOf(scale(), [](const std::vector<Note>& n) { return oneTrackIn44(n, 768); })},
        {"triads_in_minims.txt", takesOf(triads(), [](const std::vector<Note>& n) {
             return namedTrack("Chords", n, 768, 4);
         })},
        // One piano channel: a crotchet melody over semibreves held in the
        // bass. The bass note comes first in the file at each bar, yet the
        // melody, whose notes end sooner, becomes the first strand.
        {"melody_over_held_bass.txt",
         {{"", namedTrack("Piano",
                          {{0, 384, 48}, {0, 96, 64}, {96, 192, 62}, {192, 288, 60},
                           {288, 384, 62}, {384, 768, 43}, {384, 480, 64}, {480, 576, 64},
                           {576, 768, 64}},
                          768, 0, 2, 0)}}},
        {"drums_get_their_own_strand.txt", {{"", namedTrack("Groove", groove(), 384, 0, 2, 33)}}},
        // A jig in 6/8: values grouped by the dotted-crotchet beat. Bar 2:
        // crotchet, quaver, dotted crotchet. Bar 3: quaver, quaver, a crotchet
        // across the middle of the bar (two tied quavers), crotchet. Bar 4:
        // dotted minim. The first bar, before any note, is one whole-bar rest.
        {"jig_in_six_eight.txt",
         {{"", namedTrack("Jig",
                          {{288, 384, 74}, {384, 432, 76}, {432, 576, 78}, {576, 624, 79},
                           {624, 672, 81}, {672, 768, 83}, {768, 864, 81}, {864, 1152, 79}},
                          1152, 6, 3)}}},
        {"empty_track.txt", {{"", emptyTrack()}}},
        {"two_silent_bars.txt", {{"", twoSilentBars()}}},
        {"conductor_tempo_change.txt", {{"", conductorAndViolin()}}},
    };
    for (const Case& c : cases) {
        for (const auto& [take, smf] : c.takes) {
            SCOPED_TRACE(c.golden + " " + take);
            const TempFile file = writeTempFile(smf);
            expectGolden(c.golden, importDump(file.path()));
        }
    }
}

}  // namespace
}  // namespace vl::test
