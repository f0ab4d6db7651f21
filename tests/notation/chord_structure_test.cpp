// Chord structure: chords pulled onto one onset with one set of tuplet bits,
// the chord-member flags, the sounding-note table across strands and
// channels, re-running, the strands left alone, progress and cancel, and a
// randomised run that must end cleanly on any arrangement of notes.

#include "notation/chord_structure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis/duration_assessment.h"
#include "analysis/track_operations.h"
#include "markers/marker_events.h"
#include "session/progress_reporter.h"
#include "support/fake_host.h"
#include "support/track_listing.h"

namespace vl {
namespace {

using test::kBar;
using test::noteOff;
using test::noteOn;
using test::Timed;
using test::TrackBuilder;

// One note-on as the step leaves it: absolute time, key, strand, chord flag,
// rhythm marks and the two duration words.
struct NoteState {
    int64_t time = 0;
    int key = 0;
    int strand = -1;
    bool member = false;
    uint16_t marks = 0;
    uint16_t duration1 = 0;
    uint16_t duration2 = 0;
    bool operator==(const NoteState&) const = default;
};

std::ostream& operator<<(std::ostream& os, const NoteState& n) {
    return os << "{t" << n.time << " k" << n.key << " s" << n.strand
              << (n.member ? " member" : "") << " marks 0x" << std::hex << n.marks << std::dec
              << " d1 " << n.duration1 << " d2 " << n.duration2 << "}";
}

std::vector<NoteState> noteOns(const MidiTrack& track) {
    std::vector<NoteState> out;
    int64_t t = 0;
    for (const MidiEvent& e : track.events) {
        t += e.time;
        if (!isNoteOnCombined(e)) continue;
        out.push_back({t, keyOf(e), e.strand, e.testFlags(flag::ChordMember),
                       static_cast<uint16_t>(e.flags & flag::RhythmMarks), e.duration1,
                       e.duration2});
    }
    return out;
}

// The annotations strand assignment and the triplet pass would have left:
// note-on i (list order) gets strands[i] and flags[i] (0 when missing); then
// every note is measured with its strand known.
void annotate(MidiTrack& track, const std::vector<int16_t>& strands,
              const std::vector<uint16_t>& flags = {}) {
    computeChannelMask(track);
    size_t i = 0;
    for (MidiEvent& e : track.events) {
        if (!isNoteOnCombined(e)) continue;
        e.setStrand(i < strands.size() ? strands[i] : int16_t{-1}, false, true);
        if (i < flags.size()) e.orFlags(flags[i]);
        ++i;
    }
    for (EventPos p = track.begin(); p != track.end(); ++p) assessNote(track, p);
}

// Three notes of strand 0 starting at 0, 2 and 3, each 96 long, then a note
// at 192, in one 4/4 bar.
MidiTrack spreadChord() {
    MidiTrack track = TrackBuilder()
                          .marker(0, kBar)
                          .at(0, noteOn(0, 60))
                          .at(2, noteOn(0, 64))
                          .at(3, noteOn(0, 67))
                          .at(96, noteOff(0, 60))
                          .at(98, noteOff(0, 64))
                          .at(99, noteOff(0, 67))
                          .at(192, noteOn(0, 72))
                          .at(288, noteOff(0, 72))
                          .marker(384, kBar)
                          .take();
    annotate(track, {0, 0, 0, 0});
    return track;
}

TEST(ChordStructure, MembersMoveOntoTheLeaderAndTheBarIsMeasuredAgain) {
    MidiTrack track = spreadChord();
    // Before: the note at 2 ends at 98, so its gap to the note at 192 is 94.
    ASSERT_EQ(noteOns(track)[1].duration1, 190);

    EXPECT_EQ(confirmStrandChords(track, 0, 0, true), 0);

    const std::vector<NoteState> expected{
        {0, 60, 0, false, 0, 192, 96},
        {0, 64, 0, true, 0, 192, 96},
        {0, 67, 0, true, 0, 192, 96},
        {192, 72, 0, false, 0, 192, 96},
    };
    EXPECT_EQ(noteOns(track), expected);
    // Moved earlier, the members keep their lengths: their note-offs follow.
    const std::vector<Timed> offs = test::listTrackWithout(
        track, {kBar, "on 0 60", "on 0 64", "on 0 67", "on 0 72", "off 0 72"});
    const std::vector<Timed> expectedOffs{{96, "off 0 60"}, {96, "off 0 64"}, {96, "off 0 67"}};
    EXPECT_EQ(offs, expectedOffs);
}

TEST(ChordStructure, ATripletMemberGivesTheChordItsOnsetAndBits) {
    // Plain leader at 0; a triplet member (0x23) at 1; a plain member at 2.
    MidiTrack track = TrackBuilder()
                          .marker(0, kBar)
                          .at(0, noteOn(0, 60))
                          .at(1, noteOn(0, 64))
                          .at(2, noteOn(0, 67))
                          .at(96, noteOff(0, 60))
                          .at(97, noteOff(0, 64))
                          .at(98, noteOff(0, 67))
                          .marker(384, kBar)
                          .take();
    annotate(track, {0, 0, 0}, {0, 0x23, 0});

    EXPECT_EQ(confirmStrandChords(track, 0, 0, true), 0);

    // The leader moved later keeps its note-off: 95 ticks remain. The member
    // from 2 moved earlier keeps its 96. Each d1 runs to the bar line.
    const std::vector<NoteState> expected{
        {1, 60, 0, false, 0x23, 383, 95},
        {1, 64, 0, true, 0x23, 383, 96},
        {1, 67, 0, true, 0x23, 383, 96},
    };
    EXPECT_EQ(noteOns(track), expected);
}

TEST(ChordStructure, ATripletLeaderKeepsItsOwnOnsetAndBits) {
    MidiTrack track = TrackBuilder()
                          .at(0, noteOn(0, 60))
                          .at(1, noteOn(0, 64))
                          .at(96, noteOff(0, 60))
                          .at(97, noteOff(0, 64))
                          .take();
    annotate(track, {0, 0}, {0x23, 0x25});

    confirmStrandChords(track, 0, 0, true);

    const std::vector<NoteState> notes = noteOns(track);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].time, 0);
    EXPECT_EQ(notes[0].marks, 0x23);
    EXPECT_EQ(notes[1].time, 0);
    EXPECT_EQ(notes[1].marks, 0x23);
    EXPECT_TRUE(notes[1].member);
}

TEST(ChordStructure, ANoteAtTheLeadersNoteOffTimeIsNoMember) {
    struct Case {
        const char* name;
        bool offListedFirst;
        bool member;  // the chord flag the note at 96 ends with
    };
    const Case cases[] = {
        // note-off, then note-on, at 96: nothing sounds, the note leads.
        {"off first", true, false},
        // note-on, then note-off, at 96: the leader's key still sounds.
        {"on first", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrackBuilder b;
        b.at(0, noteOn(0, 60));
        if (c.offListedFirst)
            b.at(96, noteOff(0, 60)).at(96, noteOn(0, 64));
        else
            b.at(96, noteOn(0, 64)).at(96, noteOff(0, 60));
        b.at(192, noteOff(0, 64));
        MidiTrack track = b.take();
        annotate(track, {0, 0});

        confirmStrandChords(track, 0, 0, true);

        const std::vector<NoteState> notes = noteOns(track);
        ASSERT_EQ(notes.size(), 2u);
        EXPECT_EQ(notes[0].time, 0);
        EXPECT_FALSE(notes[0].member);
        EXPECT_EQ(notes[1].time, 96);
        EXPECT_EQ(notes[1].member, c.member);
    }
}

TEST(ChordStructure, NotesOfAnotherStrandAreNeverMembers) {
    // Strand 1's note at 4 lies inside strand 0's chord window on the same
    // channel; strand 0's own member at 3 is pulled in.
    MidiTrack track = TrackBuilder()
                          .at(0, noteOn(0, 60))
                          .at(3, noteOn(0, 64))
                          .at(4, noteOn(0, 62))
                          .at(96, noteOff(0, 60))
                          .at(99, noteOff(0, 64))
                          .at(100, noteOff(0, 62))
                          .take();
    annotate(track, {0, 0, 1}, {0, 0, 0x23});

    confirmStrandChords(track, 0, 0, true);

    const std::vector<NoteState> notes = noteOns(track);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[1].key, 64);
    EXPECT_EQ(notes[1].time, 0);
    EXPECT_TRUE(notes[1].member);
    EXPECT_EQ(notes[2].key, 62);
    EXPECT_EQ(notes[2].time, 4);
    EXPECT_FALSE(notes[2].member);
    EXPECT_EQ(notes[2].marks, 0x23);  // its triplet bits neither lead nor change
}

// With lead false only the sounding table decides the chord flags, which
// shows what releases a key and what is entered in the table.
TEST(ChordStructure, TheSoundingTableAcrossStrandsAndChannels) {
    struct Case {
        const char* name;
        std::vector<std::pair<int64_t, MidiMessage>> others;  // events of no strand 0 note
        std::vector<int16_t> strands;
        bool member;  // the chord flag of strand 0's note at 48
    };
    const Case cases[] = {
        {"the leader's key still sounds", {}, {0, 0}, true},
        {"a note-off of another channel releases the key",
         {{10, noteOn(1, 60)}, {40, noteOff(1, 60)}},
         {0, 1, 0},
         false},
        {"another strand's note-on is not entered",
         {{10, noteOn(0, 62)}, {40, noteOff(0, 60)}, {60, noteOff(0, 62)}},
         {0, 1, 0},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrackBuilder b;
        b.at(0, noteOn(0, 60));
        bool ownOffWritten = false;
        for (const auto& [time, message] : c.others) {
            if (message.isNoteOff() && message.data1 == 60) ownOffWritten = true;
            b.at(time, message);
        }
        b.at(48, noteOn(0, 64));
        if (!ownOffWritten) b.at(96, noteOff(0, 60));
        b.at(144, noteOff(0, 64));
        MidiTrack track = b.take();
        annotate(track, c.strands);
        const std::vector<Timed> before = test::listTrack(track);

        confirmStrandChords(track, 0, 0, false);

        EXPECT_EQ(test::listTrack(track), before);
        const std::vector<NoteState> notes = noteOns(track);
        EXPECT_FALSE(notes.front().member);
        EXPECT_EQ(notes.back().key, 64);
        EXPECT_EQ(notes.back().member, c.member);
    }
}

TEST(ChordStructure, AMemberMovedLaterByItsWholeLengthIsRemoved) {
    // The note at 0 (2 ticks long) lies between the plain leader and the
    // triplet member at 4: moved later by 4 it would have no length left.
    MidiTrack track = TrackBuilder()
                          .at(0, noteOn(0, 60))
                          .at(0, noteOn(0, 62))
                          .at(2, noteOff(0, 62))
                          .at(4, noteOn(0, 64))
                          .at(96, noteOff(0, 60))
                          .at(100, noteOff(0, 64))
                          .take();
    annotate(track, {0, 0, 0}, {0, 0, 0x23});

    confirmStrandChords(track, 0, 0, true);

    const std::vector<Timed> expected{
        {4, "on 0 60"}, {4, "on 0 64"}, {96, "off 0 60"}, {100, "off 0 64"}};
    EXPECT_EQ(test::listTrack(track), expected);  // no deleted-event marker is left
}

TEST(ChordStructure, AlignChordReportsAMoveAndStandsOnTheLeader) {
    MidiTrack track = spreadChord();
    TrackCursor cursor(track);
    cursor.advance();
    EXPECT_TRUE(alignChord(cursor));
    ASSERT_FALSE(cursor.atEnd());
    EXPECT_EQ(cursor.time(), 0);
    EXPECT_EQ(keyOf(cursor.event()), 60);
    EXPECT_FALSE(cursor.event().testFlags(flag::ChordMember));
    // The chord is aligned now: a second look moves nothing.
    TrackCursor again(track);
    again.advance();
    EXPECT_FALSE(alignChord(again));
    EXPECT_EQ(keyOf(again.event()), 60);
}

TEST(ChordStructure, StrandsThatCannotBeWalkedAreLeftAlone) {
    struct Case {
        const char* name;
        uint8_t channel;
        int32_t number;
        int32_t result;
    };
    const Case cases[] = {
        {"channel not in the mask", 5, 0, -1},
        {"no strand number", 0, -1, -1},
        {"a number no event can carry", 0, 40000, 40000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack track = spreadChord();
        const std::vector<Timed> events = test::listTrack(track);
        const std::vector<NoteState> notes = noteOns(track);
        EXPECT_EQ(confirmStrandChords(track, c.channel, c.number, true), c.result);
        EXPECT_EQ(test::listTrack(track), events);
        EXPECT_EQ(noteOns(track), notes);
    }
}

TEST(ChordStructure, ManyPlaceholderLeadersAtOneTick) {
    // Placeholder rests (key 0xFE) never sound, so each of them leads a chord
    // whose window holds all the others: windows that overlap.
    constexpr int kCount = 3000;
    TrackBuilder b;
    for (int i = 0; i < kCount; ++i) b.at(0, test::propOn(0, 0xFE));
    for (int i = 0; i < kCount; ++i) b.at(60000, test::propOff(0, 0xFE));
    MidiTrack track = b.take();
    computeChannelMask(track);
    for (MidiEvent& e : track.events) {
        if (!isNoteOnCombined(e)) continue;
        e.setStrand(0, true, true);
        e.duration2 = 60000;
    }

    confirmStrandChords(track, 0, 0, true);

    const std::vector<NoteState> notes = noteOns(track);
    ASSERT_EQ(notes.size(), size_t{kCount});
    for (const NoteState& n : notes) {
        EXPECT_EQ(n.time, 0);
        EXPECT_FALSE(n.member);  // nothing sounds before any of them
    }
}

// ---- The whole step -----------------------------------------------------------

TrackSet twoSpreadChords() {
    TrackSet set;
    set.appendTrack(spreadChord());
    set.appendTrack(spreadChord());
    return set;
}

TEST(ChordStructureStep, ReportsEachStrandAndEndsWithABlankDetailLine) {
    test::FakeHost host;
    TrackSet set = twoSpreadChords();
    // The middle record names a track that does not exist: skipped, not reported.
    const std::vector<Strand> strands{{0, 0, 0, {}}, {7, 9, 0, {}}, {0, 1, 0, {}}};

    EXPECT_TRUE(confirmChords(set, strands, host.progress));

    EXPECT_EQ(host.stepCaptions(), std::vector<std::string>{"Confirming chord structure..."});
    const std::vector<std::string> details{"Strand 1 of 3", "Strand 1 of 3", "Strand 1 of 3",
                                           " "};
    EXPECT_EQ(host.detailTexts(), details);
    ASSERT_FALSE(host.reports().empty());
    const test::HostReport& last = host.reports().back();
    EXPECT_EQ(last.line, 2);
    EXPECT_EQ(last.percent, 0);
    EXPECT_EQ(last.text, " ");
    for (MidiTrack& track : set.tracks) EXPECT_EQ(noteOns(track)[2].time, 0);
}

TEST(ChordStructureStep, ACancelStopsBetweenStrands) {
    test::FakeHost host;
    host.cancelAtDetail("Strand 2 of 2");
    TrackSet set = twoSpreadChords();
    const std::vector<Strand> strands{{0, 0, 0, {}}, {1, 1, 0, {}}};
    for (MidiEvent& e : set.tracks[1].events)
        if (e.strand == 0) e.strand = 1;
    const std::vector<NoteState> untouched = noteOns(set.tracks[1]);

    EXPECT_TRUE(confirmChords(set, strands, host.progress));

    EXPECT_EQ(noteOns(set.tracks[0])[2].time, 0);  // the first strand was aligned
    EXPECT_EQ(noteOns(set.tracks[1]), untouched);
}

// ---- Any arrangement ends cleanly -----------------------------------------------

TEST(ChordStructure, RandomArrangementsKeepTheTrackWellFormed) {
    // Strand 0 on channel 0 (never two sounding notes of one key, some of
    // them triplets) among notes of channel 1, whose note-offs release keys
    // in the table too; bar markers now and then.
    std::mt19937 random(20261206);
    size_t membersChecked = 0;
    size_t notesRemoved = 0;
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        TrackBuilder b;
        int64_t t = 0;
        std::vector<int16_t> strands;
        std::vector<uint16_t> flags;
        std::vector<std::pair<int64_t, MidiMessage>> pendingOffs;
        const int count = 1 + static_cast<int>(random() % 60);
        for (int i = 0; i < count; ++i) {
            t += random() % 3 == 0 ? 0 : random() % 40;
            std::stable_sort(pendingOffs.begin(), pendingOffs.end(),
                             [](const auto& x, const auto& y) { return x.first < y.first; });
            while (!pendingOffs.empty() && pendingOffs.front().first <= t) {
                b.at(pendingOffs.front().first, pendingOffs.front().second);
                pendingOffs.erase(pendingOffs.begin());
            }
            if (random() % 16 == 0) b.marker(t, kBar);
            const uint8_t channel = random() % 4 == 0 ? 1 : 0;
            uint8_t key = static_cast<uint8_t>(60 + random() % 12);
            const auto sounds = [&](uint8_t k) {
                return std::any_of(pendingOffs.begin(), pendingOffs.end(), [&](const auto& p) {
                    return p.second.channel() == channel && p.second.data1 == k;
                });
            };
            while (sounds(key)) ++key;
            b.at(t, noteOn(channel, key));
            strands.push_back(channel == 0 ? 0 : 1);
            flags.push_back(random() % 3 == 0 ? 0x23 : 0);
            pendingOffs.push_back({t + 1 + random() % 120, noteOff(channel, key)});
        }
        std::stable_sort(pendingOffs.begin(), pendingOffs.end(),
                         [](const auto& x, const auto& y) { return x.first < y.first; });
        for (const auto& [time, message] : pendingOffs) b.at(time, message);
        MidiTrack track = b.take();
        annotate(track, strands, flags);
        const auto countNotes = [&] {
            std::pair<size_t, size_t> n{0, 0};
            for (const MidiEvent& e : track.events) {
                EXPECT_FALSE(e.message.isDeletedMarker());
                n.first += isNoteOnCombined(e);
                n.second += isNoteOffCombined(e);
            }
            return n;
        };
        const auto [onsBefore, offsBefore] = countNotes();

        EXPECT_EQ(confirmStrandChords(track, 0, 0, true), track.usesChannel(0) ? 0 : -1);

        // Only whole notes are removed, never half of one.
        const auto [ons, offs] = countNotes();
        EXPECT_LE(ons, onsBefore);
        EXPECT_EQ(onsBefore - ons, offsBefore - offs);
        notesRemoved += onsBefore - ons;
        // Every note of the strand inside a leader's length starts with it,
        // with its bits.
        const std::vector<NoteState> notes = noteOns(track);
        const NoteState* leader = nullptr;
        for (const NoteState& n : notes) {
            if (n.strand != 0) continue;
            if (!n.member) {
                leader = &n;
            } else if (leader != nullptr && n.time < leader->time + leader->duration2) {
                EXPECT_EQ(n.time, leader->time);
                EXPECT_EQ(n.marks, leader->marks);
                ++membersChecked;
            }
        }
        // And running again finds every chord aligned.
        const std::vector<Timed> events = test::listTrack(track);
        confirmStrandChords(track, 0, 0, true);
        EXPECT_EQ(test::listTrack(track), events);
        EXPECT_EQ(noteOns(track), notes);
    }
    // The arrangements did make chords, and moves that removed notes.
    EXPECT_GT(membersChecked, 1000u);
    EXPECT_GT(notesRemoved, 10u);
}

}  // namespace
}  // namespace vl
