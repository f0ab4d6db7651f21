// Strand assignment: the chord-mate test, the strands and chord flags of small
// tracks, the progress texts and cancelling, the bounds on hostile input, and
// the fast assignment checked against a slow step-by-step one on random tracks
// and on real files.

#include "notation/strand_assignment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "analysis/bar_line_location.h"
#include "analysis/track_operations.h"
#include "analysis/track_set_operations.h"
#include "markers/marker_events.h"
#include "markers/marker_text.h"
#include "midi/midi_file_header.h"
#include "midi/midi_file_reader.h"
#include "session/progress_reporter.h"
#include "support/fake_host.h"
#include "support/track_listing.h"
#include "support/source_path.h"

namespace vl {
namespace {

using test::cc;
using test::kBar;
using test::noteOff;
using test::noteOn;
using test::TrackBuilder;

constexpr std::string_view kCaption = "Assigning strands...";

TrackSet setOf(std::vector<MidiTrack> tracks) {
    TrackSet set;
    for (MidiTrack& t : tracks) {
        computeChannelMask(t);
        set.appendTrack(std::move(t));
    }
    return set;
}

int32_t assignQuietly(TrackSet& set, std::vector<Strand>& strands,
                      const ResolutionSettings& settings = ResolutionSettings{}) {
    ProgressReporter quiet;  // no host window: nothing is sent, never cancelled
    return assignStrands(set, strands, quiet, kCaption, settings);
}

// Strand index and chord flag of one note-on.
struct Placed {
    int strand;
    bool chordMember = false;
    bool operator==(const Placed&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Placed& p) {
    return os << "{" << p.strand << (p.chordMember ? ", chord" : "") << "}";
}

// Note-ons in list order; a note-on without flag 0x4000 shows as strand -1.
std::vector<Placed> placedNotes(const MidiTrack& track) {
    std::vector<Placed> out;
    for (const MidiEvent& e : track.events) {
        if (!isNoteOnCombined(e)) continue;
        if (!e.testFlags(flag::StrandSet))
            out.push_back({-1});
        else
            out.push_back({e.strand, e.testFlags(flag::ChordMember)});
    }
    return out;
}

// ---- The chord-mate test -----------------------------------------------------

TEST(StrandChordMate, StartsEndsAndNextOnsets) {
    ResolutionSettings strict;
    strict.chordEndTolerance = 10;
    strict.chordStartTolerance = 5;
    const ResolutionSettings defaults;
    struct Case {
        const char* name;
        NoteSpan best;
        NoteSpan candidate;
        bool mate;
        const ResolutionSettings* settings = nullptr;  // the defaults when null
    };
    const Case cases[] = {
        {"same start and end", {0, 96, 96}, {0, 96, 96}, true},
        {"best ends after the candidate's next onset", {0, 96, 200}, {0, 48, 72}, false},
        {"ends 95 apart within a longer length of 191", {0, 96, 300}, {0, 191, 300}, true},
        // start gap 23 of a length 96: 2300 < 25 x 96
        {"starts 23 apart in 96", {0, 96, 200}, {23, 96, 200}, true},
        {"starts 24 apart in 96", {0, 96, 200}, {24, 96, 200}, false},
        {"length 0 beside a note: the end gap equals the longer length",
         {0, 0, 96},
         {0, 96, 96},
         false},
        // 100 x 30,000,000 does not fit 32 bits and wraps below 0
        {"tolerance products wrap at 32 bits",
         {0, 30000000, 30000000},
         {0, 30000000, 30000000},
         false},
        // ends 20 apart in 200: 2000 < 100 x 200, not below 10 x 200
        {"end tolerance from the settings", {0, 200, 400}, {0, 180, 400}, false, &strict},
        {"the same ends with the default tolerance", {0, 200, 400}, {0, 180, 400}, true},
        // starts 10 apart in 200: 1000 < 25 x 200, not below 5 x 200
        {"start tolerance from the settings", {0, 200, 400}, {10, 200, 400}, false, &strict},
    };
    for (const Case& c : cases) {
        const ResolutionSettings& settings = c.settings != nullptr ? *c.settings : defaults;
        EXPECT_EQ(isChordMate(c.best, c.candidate, settings), c.mate) << c.name;
    }
}

// ---- Strands of small tracks ---------------------------------------------------

struct StrandCase {
    const char* name;
    MidiTrack track;
    std::vector<Placed> expected;  // per note-on, in list order
    int32_t strands;
};

TEST(StrandAssignment, StrandsAndChordFlagsOfSmallTracks) {
    std::vector<StrandCase> cases;
    cases.push_back({"two overlapping notes go to consecutive strands",
                     TrackBuilder()
                         .at(0, noteOn(0, 60))
                         .at(48, noteOn(0, 64))
                         .at(96, noteOff(0, 60))
                         .at(144, noteOff(0, 64))
                         .take(),
                     {{0}, {1}},
                     2});
    cases.push_back(
        {"same start and end make a chord; the walk goes on after the first "
         "note's note-off",
         TrackBuilder()
             .at(0, noteOn(0, 60))
             .at(0, noteOn(0, 64))
             .at(96, noteOff(0, 60))
             .at(96, noteOff(0, 64))
             .at(96, noteOn(0, 67))
             .at(192, noteOff(0, 67))
             .take(),
         {{0}, {0, true}, {0}},
         1});
    // A (0-96), B (0-288), C (96-192), D (288-384): B ends after A's next onset
    cases.push_back({"notes A B C D at division 96",
                     TrackBuilder()
                         .at(0, noteOn(0, 60))
                         .at(0, noteOn(0, 64))
                         .at(96, noteOff(0, 60))
                         .at(96, noteOn(0, 62))
                         .at(192, noteOff(0, 62))
                         .at(288, noteOff(0, 64))
                         .at(288, noteOn(0, 65))
                         .at(384, noteOff(0, 65))
                         .take(),
                     {{0}, {1}, {0}, {0}},
                     2});
    // E (0-192) is passed over for N (48-96), whose next onset (144) comes first
    cases.push_back({"a later note that ends sooner is taken first",
                     TrackBuilder()
                         .at(0, noteOn(0, 60))
                         .at(48, noteOn(0, 62))
                         .at(96, noteOff(0, 62))
                         .at(144, noteOn(0, 64))
                         .at(192, noteOff(0, 60))
                         .at(240, noteOff(0, 64))
                         .marker(384, kBar)
                         .take(),
                     {{1}, {0}, {0}},
                     2});
    cases.push_back({"a bar marker between two notes of one tick keeps them apart",
                     TrackBuilder()
                         .at(0, noteOn(0, 60))
                         .marker(0, kBar)
                         .at(0, noteOn(0, 64))
                         .at(96, noteOff(0, 60))
                         .at(96, noteOff(0, 64))
                         .marker(384, kBar)
                         .take(),
                     {{0}, {1}},
                     2});
    cases.push_back({"a chord's members after the first get 0x80, the best note included",
                     TrackBuilder()
                         .at(0, noteOn(0, 60))
                         .at(0, noteOn(0, 64))
                         .at(0, noteOn(0, 67))
                         .at(96, noteOff(0, 64))
                         .at(100, noteOff(0, 60))
                         .at(100, noteOff(0, 67))
                         .marker(384, kBar)
                         .take(),
                     // 64 ends first, so it is the best note; 60 opens the chord
                     {{0}, {0, true}, {0, true}},
                     1});

    for (StrandCase& c : cases) {
        TrackSet set = setOf({std::move(c.track)});
        std::vector<Strand> strands;
        EXPECT_EQ(assignQuietly(set, strands), c.strands) << c.name;
        EXPECT_EQ(placedNotes(set.tracks[0]), c.expected) << c.name;
        ASSERT_EQ(strands.size(), static_cast<size_t>(std::max(c.strands, 0))) << c.name;
        for (size_t i = 0; i < strands.size(); ++i) EXPECT_EQ(strands[i].number, i) << c.name;
    }
}

TEST(StrandAssignment, RecordsFollowTracksThenChannels) {
    TrackSet set = setOf({TrackBuilder()
                              .at(0, noteOn(3, 60))
                              .at(0, noteOn(1, 60))
                              .at(48, noteOn(1, 62))
                              .at(96, noteOff(1, 60))
                              .at(96, noteOff(1, 62))
                              .at(96, noteOff(3, 60))
                              .take(),
                          TrackBuilder().take(),
                          TrackBuilder().at(0, noteOn(0, 50)).at(96, noteOff(0, 50)).take()});
    std::vector<Strand> strands{Strand{99, 9, 9, {}}};  // emptied first
    ASSERT_EQ(assignQuietly(set, strands), 4);
    const std::vector<Strand> expected{{0, 0, 1, {}}, {1, 0, 1, {}}, {2, 0, 3, {}}, {3, 2, 0, {}}};
    EXPECT_EQ(strands, expected);
}

// ---- Progress and cancel -------------------------------------------------------

std::vector<std::string> strandDetailTexts(const test::FakeHost& host) {
    std::vector<std::string> out;
    for (const std::string& text : host.detailTexts())
        if (text.find(" - MIDI channel ") != std::string::npos) out.push_back(text);
    return out;
}

// Every attempt at a strand is reported, the one that finds no note too; a
// channel of the mask with no note-on costs one attempt.
TEST(StrandAssignmentProgress, DetailTextsForEachAttempt) {
    struct Case {
        std::vector<MidiTrack> tracks;
        int32_t strands;
        std::vector<std::string> details;
    };
    std::vector<Case> cases;
    cases.push_back({{TrackBuilder()
                          .at(0, noteOn(0, 60))
                          .at(0, noteOn(9, 36))
                          .at(96, noteOff(0, 60))
                          .at(96, noteOff(9, 36))
                          .at(96, noteOn(0, 62))
                          .at(192, noteOff(0, 62))
                          .take()},
                     2,
                     {"Track 1 of 1 - MIDI channel 1 - Strand 1",
                      "Track 1 of 1 - MIDI channel 1 - Strand 2",
                      "Track 1 of 1 - MIDI channel 10 - Strand 2",
                      "Track 1 of 1 - MIDI channel 10 - Strand 3"}});
    cases.push_back({{TrackBuilder()
                          .at(0, cc(3, 7, 90))
                          .at(0, noteOn(0, 60))
                          .at(96, noteOff(0, 60))
                          .at(96, noteOff(4, 60))
                          .take(),
                      TrackBuilder().at(0, test::timeSig(3, 2)).take()},
                     1,
                     {"Track 1 of 2 - MIDI channel 1 - Strand 1",
                      "Track 1 of 2 - MIDI channel 1 - Strand 2",
                      "Track 1 of 2 - MIDI channel 4 - Strand 2",
                      "Track 1 of 2 - MIDI channel 5 - Strand 2"}});
    for (Case& c : cases) {
        test::FakeHost host;
        TrackSet set = setOf(std::move(c.tracks));
        std::vector<Strand> strands;
        EXPECT_EQ(assignStrands(set, strands, host.progress, kCaption, ResolutionSettings{}), c.strands);
        EXPECT_EQ(host.stepCaptions(), std::vector<std::string>{std::string(kCaption)});
        EXPECT_EQ(strandDetailTexts(host), c.details);
    }
}

MidiTrack melody(int notes, uint8_t channel = 0) {
    TrackBuilder b;
    for (int i = 0; i < notes; ++i)
        b.at(i * 96, noteOn(channel, 60)).at(i * 96 + 90, noteOff(channel, 60));
    return b.take();
}

TEST(StrandAssignmentProgress, CancelAtATrackKeepsTheStrandsMadeSoFar) {
    test::FakeHost host;
    host.cancelAtDetail("Track 2 of 2");
    TrackSet set = setOf({TrackBuilder()
                              .at(0, noteOn(0, 60))
                              .at(48, noteOn(0, 64))
                              .at(96, noteOff(0, 60))
                              .at(144, noteOff(0, 64))
                              .take(),
                          melody(3)});
    std::vector<Strand> strands;
    EXPECT_EQ(assignStrands(set, strands, host.progress, kCaption, ResolutionSettings{}), -1);
    const std::vector<Strand> kept{{0, 0, 0, {}}, {1, 0, 0, {}}};
    EXPECT_EQ(strands, kept);
    EXPECT_EQ(placedNotes(set.tracks[1]), (std::vector<Placed>{{-1}, {-1}, {-1}}));
}

TEST(StrandAssignmentProgress, CancelInsideAWalkEndsItWithWhatTheStrandGot) {
    // 20 events: place 9, the fifth note's note-off, reports 50 percent
    test::FakeHost host;
    host.cancelFromPercent(50);
    TrackSet set = setOf({melody(10), melody(2)});
    std::vector<Strand> strands;
    EXPECT_EQ(assignStrands(set, strands, host.progress, kCaption, ResolutionSettings{}), -1);
    EXPECT_EQ(strands, (std::vector<Strand>{{0, 0, 0, {}}}));
    std::vector<Placed> expected(10, Placed{-1});
    std::fill_n(expected.begin(), 5, Placed{0});
    EXPECT_EQ(placedNotes(set.tracks[0]), expected);
}

// ---- Hostile input ---------------------------------------------------------------

// Every note-on first, then one note-off per key and nothing after: no note
// has a next onset after its end, so each one needs a strand of its own.
MidiTrack simultaneousNotes(int notes) {
    TrackBuilder b;
    for (int i = 0; i < notes; ++i) b.at(0, noteOn(0, static_cast<uint8_t>(i % 128)));
    for (int key = 0; key < std::min(notes, 128); ++key)
        b.at(96, noteOff(0, static_cast<uint8_t>(key)));
    return b.take();
}

TEST(StrandAssignmentBounds, ThousandsOfSimultaneousNotesStopAtTheWorkAllowance) {
    constexpr int kNotes = 30000;  // a strand for every note would take about 9e8 note visits
    TrackSet set = setOf({simultaneousNotes(kNotes)});
    std::vector<Strand> strands;
    const int32_t n = assignQuietly(set, strands);
    ASSERT_GT(n, 100);
    ASSERT_LT(n, kNotes / 10);
    ASSERT_EQ(strands.size(), static_cast<size_t>(n));
    // The strands made are the ones of the full assignment: note k alone in strand k.
    const std::vector<Placed> placed = placedNotes(set.tracks[0]);
    for (int i = 0; i < kNotes; ++i) {
        const Placed want = i < n ? Placed{i} : Placed{-1};
        ASSERT_EQ(placed[static_cast<size_t>(i)], want) << "note " << i;
    }
}

TEST(StrandAssignmentBounds, StrandNumbersEndAt32767) {
    // 4097 tracks of 8 notes that each need a strand of their own: 32776 strands
    std::vector<MidiTrack> tracks;
    for (int t = 0; t < 4097; ++t) tracks.push_back(simultaneousNotes(8));
    TrackSet set = setOf(std::move(tracks));
    std::vector<Strand> strands;
    ASSERT_EQ(assignQuietly(set, strands), 32768);
    ASSERT_EQ(strands.size(), 32768u);
    EXPECT_EQ(strands.back(), (Strand{32767, 4095, 0, {}}));
    EXPECT_EQ(placedNotes(set.tracks[4095]).back(), Placed{32767});
    EXPECT_EQ(placedNotes(set.tracks[4096]), std::vector<Placed>(8, Placed{-1}));
}

TEST(StrandAssignmentBounds, AMelodyCostsAFewVisitsPerNote) {
    MidiTrack track = melody(5000);
    StrandNoteIndex index(track);
    ChannelStrandBuilder builder(index, 0, ResolutionSettings{});
    ProgressReporter quiet;
    EXPECT_TRUE(builder.buildStrand(0, quiet));
    EXPECT_FALSE(builder.buildStrand(1, quiet));
    // each note: once as a walk's start, and once in the search for a better
    // first note and once in the chord test of the note before it
    EXPECT_LE(builder.work(), 3u * 5000);
}

// ---- Against the step-by-step assignment -----------------------------------------

// Strand assignment done literally: every walk goes through the whole track,
// every span is found by searching forward from its note-on. Slow, plain, and
// the yardstick for the real one.
class LiteralStrandAssignment {
public:
    explicit LiteralStrandAssignment(const ResolutionSettings& settings) : settings_(settings) {}

    int32_t run(TrackSet& tracks, std::vector<Strand>& strands) {
        strands.clear();
        uint32_t n = 0;
        for (size_t t = 0; t < tracks.size(); ++t) {
            MidiTrack& track = tracks.tracks[t];
            load(track);
            for (MidiEvent& e : track.events) e.clearFlags(flag::StrandSet);
            for (uint8_t ch = 0; ch < 16; ++ch) {
                if (!track.usesChannel(ch)) continue;
                while (buildStrand(ch, static_cast<int16_t>(n))) {
                    strands.push_back(Strand{n, static_cast<uint32_t>(t), ch, {}});
                    ++n;
                }
            }
        }
        return static_cast<int32_t>(n);
    }

private:
    struct At {
        MidiEvent* event;
        int64_t time;
    };

    void load(MidiTrack& track) {
        events_.clear();
        int64_t time = 0;
        for (MidiEvent& e : track.events) {
            time += e.time;
            events_.push_back({&e, time});
        }
    }
    const MidiMessage& message(size_t i) const { return events_[i].event->message; }
    bool strandSet(size_t i) const { return events_[i].event->testFlags(flag::StrandSet); }
    bool isRealNoteOnOf(size_t i, uint8_t ch) const {
        const MidiMessage& m = message(i);
        return m.isChannelMessage() && m.isNoteOn() && m.channel() == ch;
    }
    // Place of the matching note-off, or the note-on's own place without one.
    size_t noteOffOf(size_t on) const {
        const int ch = channelOf(message(on));
        const int key = keyOf(message(on));
        for (size_t j = on + 1; j < events_.size(); ++j) {
            const MidiMessage& m = message(j);
            if (isNoteOffCombined(m) && channelOf(m) == ch && keyOf(m) == key) return j;
        }
        return on;
    }
    NoteSpan span(size_t on) const {
        const int64_t start = events_[on].time;
        NoteSpan s{start, start, start};
        const size_t off = noteOffOf(on);
        s.end = events_[off].time;
        for (size_t j = off + 1; j < events_.size(); ++j) {
            if (isNoteOnCombined(message(j)) || message(j).isBarMarker()) {
                s.next = events_[j].time;
                break;
            }
        }
        return s;
    }
    bool mates(const NoteSpan& b, const NoteSpan& k) const {
        if (b.end > k.next || k.end > b.next) return false;
        const int64_t longer = std::max(b.end - b.start, k.end - k.start);
        return std::abs(b.end - k.end) * 100 < settings_.chordEndTolerance * longer &&
               std::abs(b.start - k.start) * 100 < settings_.chordStartTolerance * longer;
    }

    bool buildStrand(uint8_t ch, int16_t n) {
        bool placed = false;
        size_t cursor = 0;
        while (cursor < events_.size()) {
            while (cursor < events_.size() && strandSet(cursor)) ++cursor;
            if (cursor == events_.size()) break;
            if (placeNote(cursor, ch, n)) placed = true;
            if (cursor < events_.size()) ++cursor;
        }
        return placed;
    }

    bool placeNote(size_t& cursor, uint8_t ch, int16_t n) {
        if (strandSet(cursor) || !isNoteOnOf(message(cursor), ch, kAnyKey)) return false;
        const size_t origin = cursor;
        size_t best = origin;
        NoteSpan b = span(origin);
        for (size_t j = origin + 1; j < events_.size() && events_[j].time < b.end; ++j) {
            if (!isRealNoteOnOf(j, ch) || strandSet(j)) continue;
            const NoteSpan k = span(j);
            if (k.next < b.next || (k.next == b.next && k.end < b.end)) {
                best = j;
                b = k;
            }
        }
        events_[best].event->setStrand(n, false, true);
        bool seen = false;
        for (size_t j = origin; j < events_.size() && events_[j].time < b.end; ++j) {
            if (message(j).isBarMarker()) break;
            if (!isRealNoteOnOf(j, ch)) continue;
            if (j == best) {
                if (seen) events_[j].event->orFlags(flag::ChordMember);
                seen = true;
            } else if (!strandSet(j) && mates(b, span(j))) {
                events_[j].event->setStrand(n, seen, true);
                seen = true;
            }
        }
        cursor = noteOffOf(best);
        return true;
    }

    const ResolutionSettings& settings_;
    std::vector<At> events_;
};

std::string dump(const MidiTrack& track) {
    std::ostringstream os;
    for (const test::Timed& t : test::listTrack(track)) os << t << "\n";
    return os.str();
}

// Strand index and flags of every event of every track.
std::vector<std::pair<int, int>> annotations(const TrackSet& set) {
    std::vector<std::pair<int, int>> out;
    for (const MidiTrack& track : set.tracks)
        for (const MidiEvent& e : track.events) out.emplace_back(e.strand, e.flags);
    return out;
}

MidiTrack randomTrack(std::mt19937& rng) {
    auto below = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::vector<std::pair<int64_t, MidiMessage>> items;
    const int notes = 1 + below(14);
    for (int i = 0; i < notes; ++i) {
        const auto ch = static_cast<uint8_t>(below(3));
        const auto key = static_cast<uint8_t>(60 + below(4));
        const int64_t start = below(17) * 12;
        const int64_t length = below(9) * 12;
        const bool proprietary = below(8) == 0;
        items.emplace_back(start,
                           proprietary ? proprietaryNoteMessage(true, ch, key) : noteOn(ch, key));
        if (below(10) == 0) continue;  // no note-off
        MidiMessage off = proprietary     ? proprietaryNoteMessage(false, ch, key)
                          : below(2) == 0 ? noteOff(ch, key)
                                          : noteOn(ch, key, 0);
        items.emplace_back(start + length, off);
    }
    for (int bar = 0; bar < 3; ++bar)
        if (below(2) == 0) items.emplace_back(bar * 96, barMarkerMessage());
    if (below(3) == 0)
        items.emplace_back(below(17) * 12, cc(static_cast<uint8_t>(below(4)), 7, 90));
    std::shuffle(items.begin(), items.end(), rng);
    std::stable_sort(items.begin(), items.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    TrackBuilder builder;
    for (auto& [time, m] : items) builder.at(time, std::move(m));
    MidiTrack track = builder.take();
    // Leftovers of an earlier assignment, which a new one must not trip over.
    for (MidiEvent& e : track.events) {
        if (below(6) != 0) continue;
        e.orFlags(flag::StrandSet | flag::ChordMember);
        e.strand = 7;
    }
    return track;
}

TEST(StrandAssignmentLiteral, RandomTracksGiveTheSameStrands) {
    std::mt19937 rng(20240611);
    const ResolutionSettings defaults;
    ResolutionSettings strict;
    strict.chordEndTolerance = 20;
    strict.chordStartTolerance = 5;
    ResolutionSettings loose;
    loose.chordEndTolerance = 300;
    loose.chordStartTolerance = 150;
    const ResolutionSettings* settingsChoice[] = {&defaults, &strict, &loose};
    for (int round = 0; round < 4000; ++round) {
        std::vector<MidiTrack> tracks{randomTrack(rng)};
        if (rng() % 3 == 0) tracks.push_back(randomTrack(rng));
        const ResolutionSettings& settings = *settingsChoice[rng() % 3];
        TrackSet fast = setOf(std::move(tracks));
        TrackSet slow = fast;
        std::vector<Strand> fastStrands;
        std::vector<Strand> slowStrands;
        const int32_t expected = LiteralStrandAssignment(settings).run(slow, slowStrands);
        ASSERT_EQ(assignQuietly(fast, fastStrands, settings), expected) << "round " << round << "\n"
                                                                        << dump(slow.tracks[0]);
        ASSERT_EQ(fastStrands, slowStrands) << "round " << round;
        ASSERT_EQ(annotations(fast), annotations(slow)) << "round " << round << "\n"
                                                        << dump(slow.tracks[0]);
    }
}

// Every readable file of the corpus, with bar markers placed, as the pipeline
// would hand it over (bar markers end chords and count as onsets).
TEST(StrandAssignmentLiteral, RealFilesGiveTheSameStrands) {
    const std::filesystem::path corpus = test::sourcePath("../shared/corpus");
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    const ResolutionSettings settings;
    int compared = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().string();
        MidiFileHeader header;
        TrackSet fast;
        if (!readMidiFile(name, header, fast)) continue;
        computeChannelMasks(fast);
        ProgressReporter quiet;
        locateBarLines(fast, false, quiet, "");
        TrackSet slow = fast;
        std::vector<Strand> fastStrands;
        std::vector<Strand> slowStrands;
        const int32_t expected = LiteralStrandAssignment(settings).run(slow, slowStrands);
        EXPECT_EQ(assignQuietly(fast, fastStrands, settings), expected) << name;
        EXPECT_EQ(fastStrands, slowStrands) << name;
        EXPECT_TRUE(annotations(fast) == annotations(slow)) << name;
        ++compared;
    }
    EXPECT_GT(compared, 0);
}

}  // namespace
}  // namespace vl
