// The per-track index the item walk builds once for all strands of a track:
// what it lists, that one index serves a track's strands in turn exactly as a
// fresh build per strand does, that the session rebuilds it when the track
// changed under it, and the progress class the analysis walks report through
// (one report per percentage, a cancel only at a reported event).

#include "notation/strand_walk_index.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "analysis/track_set_operations.h"
#include "analysis/track_step_driver.h"
#include "markers/marker_events.h"
#include "markers/marker_text.h"
#include "notation/annotated_track.h"
#include "notation/item_builder.h"
#include "platform/host_messages.h"
#include "session/import_session.h"
#include "support/fake_host.h"

namespace vl {
namespace {

using test::Annotated;
using test::itemsOf;
using test::meta;
using test::setOf;

constexpr uint32_t kDivision = 96;

MidiMessage noteOnMessage(uint8_t channel, uint8_t key) {
    return MidiMessage::channel(kind::NoteOn, channel, key, 100);
}
MidiMessage noteOffMessage(uint8_t channel, uint8_t key) {
    return MidiMessage::channel(kind::NoteOff, channel, key, 0);
}

std::vector<size_t> indicesOf(const std::vector<WalkEvent>& events) {
    std::vector<size_t> out;
    for (const WalkEvent& e : events) out.push_back(e.index);
    return out;
}
std::vector<size_t> indicesOf(const std::vector<WalkStop>& stops) {
    std::vector<size_t> out;
    for (const WalkStop& s : stops) out.push_back(s.index);
    return out;
}

// ---- What the index lists ----------------------------------------------------

TEST(StrandWalkIndex, lists_each_strands_events_the_shared_ones_and_the_stops) {
    Annotated w;
    w.at(0, meta(0x03, {'P', 'n', 'o'}))                       // 0 track name: shared
        .bar(0)                                                // 1 bar: shared, a stop
        .at(0, noteOnMessage(0, 60), 0)                        // 2 strand 0
        .at(0, noteOnMessage(0, 64), 0, flag::ChordMember)     // 3 strand 0, chord member
        .at(0, noteOnMessage(0, 48), 1)                        // 4 strand 1
        .at(96, noteOffMessage(0, 60))                         // 5 no strand: in no list
        .at(96, noteOffMessage(0, 64))                         // 6
        .at(96, meta(0x51, {7, 0xA1, 0x20}))                   // 7 tempo: shared, not a stop
        .at(192, noteOffMessage(0, 48))                        // 8
        .at(384, meta(0x58, {3, 2, 24, 8}))                    // 9 time signature: a stop
        .bar(384)                                              // 10
        .at(384, proprietaryNoteMessage(true, 0, 50), 1)       // 11 strand 1, proprietary
        .at(400, meta(0x59, {1, 0}))                           // 12 key signature: a stop
        .at(480, MidiMessage::channel(kind::ControlChange, 0, 7, 90), 1);  // 13 strand 1
    MidiTrack track = w.take();
    const StrandWalkIndex index(track, 0);

    EXPECT_EQ(index.eventCount(), 14u);
    EXPECT_EQ(index.lastTime(), 480);
    EXPECT_EQ(indicesOf(index.structural()), (std::vector<size_t>{0, 1, 7, 9, 10, 12}));
    EXPECT_EQ(indicesOf(index.stops()), (std::vector<size_t>{1, 9, 10, 12}));
    EXPECT_EQ(index.stops()[1].time, 384);

    const StrandWalkEvents& s0 = index.strand(0);
    EXPECT_EQ(indicesOf(s0.own), (std::vector<size_t>{2, 3}));
    EXPECT_EQ(indicesOf(s0.onsets), (std::vector<size_t>{2, 3}));
    EXPECT_EQ(indicesOf(s0.mates), (std::vector<size_t>{3}));
    EXPECT_EQ(&*s0.mates[0].position, &*std::next(track.begin(), 3));

    const StrandWalkEvents& s1 = index.strand(1);
    EXPECT_EQ(indicesOf(s1.own), (std::vector<size_t>{4, 11, 13}));
    EXPECT_EQ(indicesOf(s1.onsets), (std::vector<size_t>{4, 11}));
    EXPECT_EQ(s1.onsets[1].time, 384);
    EXPECT_TRUE(s1.mates.empty());

    const StrandWalkEvents& none = index.strand(7);
    EXPECT_TRUE(none.own.empty() && none.onsets.empty() && none.mates.empty());
}

TEST(StrandWalkIndex, notices_a_track_that_grew_shrank_or_is_another_one) {
    MidiTrack track = Annotated().on(0, 60, 96, 96).at(96, noteOffMessage(0, 60)).take();
    MidiTrack other = track;
    MidiTrack empty(kDivision);
    const StrandWalkIndex index(track, 0);
    const StrandWalkIndex emptyIndex(empty, 1);

    EXPECT_TRUE(index.stillDescribes(track));
    EXPECT_FALSE(index.stillDescribes(other));
    EXPECT_TRUE(emptyIndex.stillDescribes(empty));
    EXPECT_FALSE(emptyIndex.stillDescribes(track));

    track.append(MidiEvent(0, barMarkerMessage()));
    EXPECT_FALSE(index.stillDescribes(track));
    track.events.pop_back();
    EXPECT_TRUE(index.stillDescribes(track));
    track.events.pop_front();
    EXPECT_FALSE(index.stillDescribes(track));
}

// ---- One index for every strand of a track ------------------------------------

// Notes of strands 0 to 3 (chords, long notes, proprietary notes), bar markers,
// signatures, tempo, program changes and texts on two channels.
MidiTrack randomTrack(std::mt19937& rng) {
    Annotated w;
    std::uniform_int_distribution<int> what(0, 23);
    std::uniform_int_distribution<int> step(0, 3);
    std::uniform_int_distribution<int> strand(0, 3);
    std::uniform_int_distribution<int> key(36, 84);
    std::uniform_int_distribution<int> duration(0, 600);
    int64_t t = 0;
    w.bar(0);
    for (int i = 0; i < 400; ++i) {
        t += step(rng) * 24;
        const int k = what(rng);
        const auto s = static_cast<int16_t>(strand(rng));
        const auto channel = static_cast<uint8_t>(s / 2);
        const auto d2 = static_cast<uint16_t>(duration(rng));
        const uint16_t chord = (k % 3 == 0) ? flag::ChordMember : 0;
        const auto k8 = static_cast<uint8_t>(key(rng));
        if (k < 12) {
            w.at(t, noteOnMessage(channel, k8), s, chord).lasting(d2 + 24, d2);
        } else if (k < 14) {
            w.at(t, proprietaryNoteMessage(true, channel, k8), s, chord).lasting(d2 + 24, d2);
        } else if (k < 17) {
            w.bar(t);
        } else if (k == 17) {
            w.at(t, meta(0x58, {static_cast<uint8_t>(2 + step(rng)), 2, 24, 8}));
        } else if (k == 18) {
            w.at(t, meta(0x59, {static_cast<uint8_t>(step(rng)), 0}));
        } else if (k == 19) {
            w.at(t, meta(0x51, {7, 0xA1, 0x20}));
        } else if (k == 20) {
            w.at(t, MidiMessage::channel(kind::ProgramChange, channel, k8, 0), s);
        } else if (k == 21) {
            w.at(t, meta(0x04, {'V', 'n'}));
        } else {
            w.at(t, noteOffMessage(channel, k8));
        }
    }
    return w.take();
}

TEST(StrandWalkIndex, one_index_gives_every_strand_the_list_and_marks_of_a_fresh_build) {
    std::mt19937 rng(61206);
    for (int round = 0; round < 30; ++round) {
        const MidiTrack original = randomTrack(rng);
        TrackSet fresh = setOf({original});
        TrackSet shared = setOf({original});
        const StrandWalkIndex index(shared.tracks[0], 0);
        for (uint32_t s = 0; s < 5; ++s) {
            const Strand strand{s, 0, static_cast<uint8_t>(s / 2), {}};
            ASSERT_EQ(itemsOf(buildStrandItems(shared, strand, index)),
                      itemsOf(buildStrandItems(fresh, strand)))
                << "round " << round << " strand " << s;
        }
        auto a = shared.tracks[0].events.begin();
        for (const MidiEvent& e : fresh.tracks[0].events) ASSERT_EQ((a++)->flags, e.flags);
    }
}

// ---- The session's walk ----------------------------------------------------------

// A live session of two tracks: a chord melody on channel 1 over a bass on
// channel 2 in the first track, a line in the second; several strands per track.
std::unique_ptr<ImportSession> transcribedLiveSession() {
    std::unique_ptr<ImportSession> session = ImportSession::fromLiveInput(kDivision, 2);
    MidiTrack& first = session->tracks().tracks[0];
    MidiTrack& second = session->tracks().tracks[1];
    for (uint32_t beat = 0; beat < 32; ++beat) {
        const uint32_t delta = beat == 0 ? 0 : 48;
        const auto top = static_cast<uint8_t>(67 + beat % 5);
        first.append(MidiEvent(delta, noteOnMessage(0, top)));
        first.append(MidiEvent(0, noteOnMessage(0, static_cast<uint8_t>(top - 4))));
        first.append(MidiEvent(0, noteOnMessage(1, static_cast<uint8_t>(40 + beat % 3))));
        first.append(MidiEvent(48, noteOffMessage(0, top)));
        first.append(MidiEvent(0, noteOffMessage(0, static_cast<uint8_t>(top - 4))));
        first.append(MidiEvent(0, noteOffMessage(1, static_cast<uint8_t>(40 + beat % 3))));
        second.append(MidiEvent(delta, noteOnMessage(2, static_cast<uint8_t>(55 + beat % 7))));
        second.append(MidiEvent(48, noteOffMessage(2, static_cast<uint8_t>(55 + beat % 7))));
    }
    EXPECT_GT(session->initialise(), 2);
    return session;
}

std::vector<test::It> walkedItems(ImportSession& session) {
    std::vector<test::It> items;
    ImportItem item{};
    for (bool more = session.getFirstItem(&item); more; more = session.getNextItem(&item))
        items.push_back(test::itOf(item, session.itemText(item)));
    return items;
}

TEST(StrandWalkIndexSession, the_walk_matches_a_fresh_build_of_every_strand_in_turn) {
    std::unique_ptr<ImportSession> session = transcribedLiveSession();
    const std::vector<Strand> strands = session->strands();
    TrackSet copy = session->tracks();
    clearOutputMarks(copy);

    size_t walked = 0;
    for (bool more = session->getFirstStrand(); more; more = session->getNextStrand(), ++walked) {
        ASSERT_LT(walked, strands.size());
        EXPECT_EQ(walkedItems(*session), itemsOf(buildStrandItems(copy, strands[walked])))
            << "strand " << walked;
    }
    EXPECT_EQ(walked, strands.size());
    // A second walk starts from unmarked notes again and gives the same first list.
    ASSERT_TRUE(session->getFirstStrand());
    TrackSet again = session->tracks();
    clearOutputMarks(again);
    EXPECT_EQ(walkedItems(*session), itemsOf(buildStrandItems(again, strands[0])));
}

TEST(StrandWalkIndexSession, events_appended_during_the_walk_are_seen_by_the_next_strand) {
    std::unique_ptr<ImportSession> session = transcribedLiveSession();
    const std::vector<Strand> strands = session->strands();
    ASSERT_GE(strands.size(), 2u);
    ASSERT_EQ(strands[1].trackIndex, strands[0].trackIndex);
    ASSERT_TRUE(session->getFirstStrand());
    // A new bar marker at the end of the first strand's track: the kept index
    // no longer describes the track, so the next strand's list is built anew.
    MidiTrack& track = session->tracks().tracks[strands[0].trackIndex];
    track.append(MidiEvent(960, barMarkerMessage()));

    TrackSet copy = session->tracks();
    ASSERT_TRUE(session->getNextStrand());
    // The copy carries the first strand's output marks, as the session's tracks do.
    EXPECT_EQ(walkedItems(*session), itemsOf(buildStrandItems(copy, strands[1])));
    const std::vector<test::It> items = walkedItems(*session);
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.back().type, itemtype::Barline);
}

TEST(StrandWalkIndexSession, an_edit_during_the_walk_ends_it) {
    std::unique_ptr<ImportSession> session = transcribedLiveSession();
    ASSERT_TRUE(session->getFirstStrand());
    session->rerunFirstQuantising();
    ImportItem item{};
    EXPECT_FALSE(session->getFirstItem(&item));
    EXPECT_FALSE(session->getNextStrand());
    // A new walk works on the edited tracks.
    ASSERT_TRUE(session->getFirstStrand());
    EXPECT_FALSE(walkedItems(*session).empty());
}

// ---- Progress over events ------------------------------------------------------

using EventProgressTest = test::HostTest;

// Reports a walk over `count` events visiting `indices` through reporter;
// the indices reported (host answers "cancel" to any report meanwhile).
std::vector<size_t> reportedIndices(test::FakeHost& host, ProgressReporter& reporter,
                                    size_t count, const std::vector<size_t>& indices) {
    std::vector<size_t> reported;
    host.cancelFromPercent(0);
    EventProgress events(reporter, count);
    for (const size_t i : indices)
        if (events.cancelledAt(i)) reported.push_back(i);
    host.stopCancelling();
    return reported;
}

std::vector<size_t> upTo(size_t n) {
    std::vector<size_t> out;
    for (size_t i = 0; i < n; ++i) out.push_back(i);
    return out;
}

TEST_F(EventProgressTest, reports_every_event_to_a_listening_host_and_nothing_otherwise) {
    const std::vector<size_t> jumps = {0, 5, 9, 10, 250, 251, 999, 100};
    EXPECT_EQ(reportedIndices(host, reporter, 1000, jumps), jumps);
    EXPECT_EQ(reportedIndices(host, reporter, 1, {0}), std::vector<size_t>{0});
    EXPECT_EQ(reportedIndices(host, reporter, 100000, upTo(100000)).size(), 100000u);

    ProgressReporter noWindow;
    noWindow.setTarget(nullptr, test::FakeHost::kMessage);
    EXPECT_TRUE(reportedIndices(host, noWindow, 1000, jumps).empty());
    setHostMessageHandler(nullptr);
    EXPECT_TRUE(reportedIndices(host, reporter, 1000, jumps).empty());
}

TEST_F(EventProgressTest, a_cancel_stops_the_walk_at_the_event_whose_percentage_asked_it) {
    host.cancelFromPercent(37);
    WalkProgress walk(reporter, 1000);
    size_t stoppedAt = 0;
    for (size_t i = 0; i < 1000; ++i) {
        if (walk.cancelledAtNext()) {
            stoppedAt = i;
            break;
        }
    }
    // (i + 1) x 100 / 1000 first reaches 37 at i = 369.
    EXPECT_EQ(stoppedAt, 369u);
}

}  // namespace
}  // namespace vl
