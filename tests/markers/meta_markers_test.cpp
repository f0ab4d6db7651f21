// Copying the first track's signatures into other tracks as meta markers, and
// removing them again. Every expectation lists the whole destination track
// with absolute times, so any change to an untouched event shows up.

#include "markers/meta_markers.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/track_listing.h"

namespace vl {
namespace {

using test::keySig;
using test::listTrack;
using test::metaBytes;
using test::noteOff;
using test::noteOn;
using test::Timed;
using test::timeSig;
using test::TrackBuilder;

const char* const kTS34 = "KQVLMTA 58 03 02 18 08";
const char* const kKS2 = "KQVLMTA 59 02 00";

TEST(MetaMarkersInsert, LeadingDelayInSourceStillPlacesAtOwnTick) {
    // note: the source's first event has delta 40
    const MidiTrack source =
        TrackBuilder().at(40, timeSig(3, 2)).at(130, keySig(2, 0)).take();
    MidiTrack dest = TrackBuilder()
                         .at(0, noteOn(0, 60))
                         .at(96, noteOff(0, 60))
                         .at(96, noteOn(0, 62))
                         .at(192, noteOff(0, 62))
                         .take();
    EXPECT_EQ(insertMetaMarkers(dest, source), 2u);
    const std::vector<Timed> expected = {{0, "on 0 60"}, {40, kTS34},     {96, "off 0 60"},
                                         {96, "on 0 62"}, {130, kKS2},    {192, "off 0 62"}};
    EXPECT_EQ(listTrack(dest), expected);
}

TEST(MetaMarkersInsert, SignatureAfterDestinationEndIsNotCopied) {
    const MidiTrack source = TrackBuilder().at(0, timeSig(3, 2)).at(500, keySig(2, 0)).take();
    MidiTrack dest = TrackBuilder().at(0, noteOn(0, 60)).at(96, noteOff(0, 60)).take();
    EXPECT_EQ(insertMetaMarkers(dest, source), 1u);
    const std::vector<Timed> expected = {{0, kTS34}, {0, "on 0 60"}, {96, "off 0 60"}};
    EXPECT_EQ(listTrack(dest), expected);

    MidiTrack empty(96);
    EXPECT_EQ(insertMetaMarkers(empty, source), 0u);
    EXPECT_TRUE(empty.empty());
}

struct PlacementCase {
    const char* name;
    MidiTrack source;
    MidiTrack dest;
    std::vector<Timed> expected;
};

TEST(MetaMarkersInsert, PlacementInsideExistingTickGroups) {
    const MidiMessage ts = timeSig(3, 2);
    const MidiMessage ks = keySig(2, 0);
    const MidiMessage on = noteOn(0, 60);
    const MidiMessage off = noteOff(0, 60);
    const MidiMessage tempo = metaBytes(0x51, {7, 0xA1, 0x20});
    const auto T = [] { return TrackBuilder(); };
    std::vector<PlacementCase> cases;
    cases.push_back({"time then key onto bar and note: bar, key, time, note",
                     T().at(0, ts).at(0, ks).take(),
                     T().marker(0, "KQVLBAR").at(0, on).at(96, off).take(),
                     {{0, "KQVLBAR"}, {0, kKS2}, {0, kTS34}, {0, "on 0 60"}, {96, "off 0 60"}}});
    cases.push_back({"key then time onto bar: time stands before key",
                     T().at(0, ks).at(0, ts).take(),
                     T().marker(0, "KQVLBAR").at(0, on).take(),
                     {{0, "KQVLBAR"}, {0, kTS34}, {0, kKS2}, {0, "on 0 60"}}});
    cases.push_back({"real time signature present: no copy, key goes right after it",
                     T().at(0, ts).at(0, ks).take(),
                     T().at(0, ts).at(0, on).take(),
                     {{0, "TS 3 2"}, {0, kKS2}, {0, "on 0 60"}}});
    cases.push_back({"bar then real time signature: key after the time signature",
                     T().at(0, ks).take(),
                     T().marker(0, "KQVLBAR").at(0, ts).at(0, on).take(),
                     {{0, "KQVLBAR"}, {0, "TS 3 2"}, {0, kKS2}, {0, "on 0 60"}}});
    cases.push_back({"no bar: both go in front of the group, in reverse order",
                     T().at(96, ts).at(96, ks).take(),
                     T().at(0, on).at(96, off).at(96, noteOn(0, 62)).take(),
                     {{0, "on 0 60"}, {96, kKS2}, {96, kTS34}, {96, "off 0 60"}, {96, "on 0 62"}}});
    cases.push_back({"group has a key signature already",
                     T().at(96, ks).take(),
                     T().at(0, on).at(96, keySig(5, 1)).at(96, off).take(),
                     {{0, "on 0 60"}, {96, "KS 5 1"}, {96, "off 0 60"}}});
    cases.push_back({"group has a time-signature marker already",
                     T().at(96, timeSig(4, 2)).take(),
                     T().at(0, on).marker(96, kTS34).at(96, off).take(),
                     {{0, "on 0 60"}, {96, kTS34}, {96, "off 0 60"}}});
    cases.push_back({"bar marker is the last event: markers join its tick at the end",
                     T().at(96, ts).at(96, ks).take(),
                     T().at(0, on).at(96, off).marker(96, "KQVLBAR").take(),
                     {{0, "on 0 60"}, {96, "off 0 60"}, {96, "KQVLBAR"}, {96, kKS2}, {96, kTS34}}});
    cases.push_back({"bar marker ends its tick group: markers stay on the bar's tick",
                     T().at(96, ts).at(96, ks).take(),
                     T().at(0, on).marker(96, "KQVLBAR").at(150, off).take(),
                     {{0, "on 0 60"}, {96, "KQVLBAR"}, {96, kKS2}, {96, kTS34},
                      {150, "off 0 60"}}});
    cases.push_back({"real time signature ends its tick group: key stays on its tick",
                     T().at(96, ks).take(),
                     T().at(0, on).at(96, ts).at(150, off).take(),
                     {{0, "on 0 60"}, {96, "TS 3 2"}, {96, kKS2}, {150, "off 0 60"}}});
    cases.push_back({"between events, then a key at the same tick",
                     T().at(48, ts).at(48, ks).take(),
                     T().at(0, on).at(96, off).take(),
                     {{0, "on 0 60"}, {48, kKS2}, {48, kTS34}, {96, "off 0 60"}}});
    cases.push_back({"tempo and other events of the source are not copied",
                     T().at(0, tempo).at(0, noteOn(0, 1)).at(10, metaBytes(0x03, {'x'})).take(),
                     T().at(0, on).at(96, off).take(),
                     {{0, "on 0 60"}, {96, "off 0 60"}}});
    cases.push_back({"signature bytes missing in the source are written as 0",
                     T().at(0, metaBytes(0x59, {0xFE})).take(),
                     T().at(0, on).take(),
                     {{0, "KQVLMTA 59 fe 00"}, {0, "on 0 60"}}});
    for (PlacementCase& c : cases) {
        SCOPED_TRACE(c.name);
        insertMetaMarkers(c.dest, c.source);
        EXPECT_EQ(listTrack(c.dest), c.expected);
    }
}

TEST(MetaMarkersInsert, RepeatedSignaturesOnOneTickGiveOneMarkerEach) {
    TrackBuilder source;
    source.at(0, timeSig(3, 2));
    for (int i = 0; i < 1000; ++i) source.at(0, timeSig(4, 2)).at(0, keySig(1, 0));
    source.at(0, keySig(2, 0));
    MidiTrack dest = TrackBuilder().marker(0, "KQVLBAR").at(0, noteOn(0, 60)).take();
    EXPECT_EQ(insertMetaMarkers(dest, source.take()), 2u);
    const std::vector<Timed> expected = {
        {0, "KQVLBAR"}, {0, "KQVLMTA 59 01 00"}, {0, kTS34}, {0, "on 0 60"}};
    EXPECT_EQ(listTrack(dest), expected);
}

TEST(MetaMarkersInsert, SecondInsertionAddsNothing) {
    const MidiTrack source = TrackBuilder()
                                 .at(0, timeSig(3, 2))
                                 .at(0, keySig(2, 0))
                                 .at(50, timeSig(6, 3))
                                 .at(300, keySig(0, 0))
                                 .take();
    MidiTrack dest = TrackBuilder()
                         .marker(0, "KQVLBAR")
                         .at(0, noteOn(1, 60))
                         .at(288, noteOff(1, 60))
                         .marker(288, "KQVLBAR")
                         .at(400, noteOn(1, 62))
                         .take();
    EXPECT_EQ(insertMetaMarkers(dest, source), 4u);
    const std::vector<Timed> once = listTrack(dest);
    EXPECT_EQ(insertMetaMarkers(dest, source), 0u);
    EXPECT_EQ(listTrack(dest), once);
}

TEST(MetaMarkersInsert, WholeSetCopiesFromTheFirstTrackOnly) {
    TrackSet one;
    one.appendTrack(TrackBuilder().at(0, timeSig(3, 2)).at(0, noteOn(0, 60)).take());
    const std::vector<Timed> before = listTrack(one.tracks[0]);
    EXPECT_EQ(insertMetaMarkers(one), 0u);
    EXPECT_EQ(listTrack(one.tracks[0]), before);

    TrackSet set;
    set.appendTrack(TrackBuilder().at(0, timeSig(3, 2)).at(10, noteOn(0, 60)).take());
    set.appendTrack(TrackBuilder().at(0, noteOn(1, 60)).at(20, noteOff(1, 60)).take());
    set.appendTrack(TrackBuilder().at(5, noteOn(2, 60)).at(20, keySig(1, 1)).take());
    const std::vector<Timed> first = listTrack(set.tracks[0]);
    EXPECT_EQ(insertMetaMarkers(set), 2u);
    EXPECT_EQ(listTrack(set.tracks[0]), first);
    EXPECT_EQ(listTrack(set.tracks[1]),
              (std::vector<Timed>{{0, kTS34}, {0, "on 1 60"}, {20, "off 1 60"}}));
    EXPECT_EQ(listTrack(set.tracks[2]),
              (std::vector<Timed>{{0, kTS34}, {5, "on 2 60"}, {20, "KS 1 1"}}));
}

TEST(MetaMarkersRemove, ErasesOnlyMetaMarkersKeepingTimes) {
    MidiTrack track = TrackBuilder()
                          .marker(0, kTS34)
                          .at(0, noteOn(0, 60))
                          .marker(50, kKS2)
                          .marker(60, "KQVLMTA 51 07 a1 20")
                          .marker(70, "KQVLMTA 77 01")
                          .marker(96, "KQVLBAR")
                          .at(96, noteOff(0, 60))
                          .marker(96, "KQVLEVT 90 3c")
                          .at(100, timeSig(3, 2))
                          .marker(120, kTS34)
                          .take();
    EXPECT_EQ(removeMetaMarkers(track), 4u);
    const std::vector<Timed> expected = {{0, "on 0 60"},   {70, "KQVLMTA 77 01"},
                                         {96, "KQVLBAR"},  {96, "off 0 60"},
                                         {96, "KQVLEVT 90 3c"}, {100, "TS 3 2"}};
    EXPECT_EQ(listTrack(track), expected);
}

TEST(MetaMarkersRemove, UndoesInsertion) {
    TrackSet set;
    set.appendTrack(
        TrackBuilder().at(30, timeSig(3, 2)).at(30, keySig(2, 0)).at(200, timeSig(2, 2)).take());
    set.appendTrack(TrackBuilder()
                        .at(7, noteOn(0, 60))
                        .at(30, noteOff(0, 60))
                        .marker(30, "KQVLBAR")
                        .at(250, noteOn(0, 61))
                        .take());
    const std::vector<Timed> before = listTrack(set.tracks[1]);
    EXPECT_EQ(insertMetaMarkers(set), 3u);
    EXPECT_NE(listTrack(set.tracks[1]), before);
    EXPECT_EQ(removeMetaMarkers(set), 3u);
    EXPECT_EQ(listTrack(set.tracks[1]), before);
}

}  // namespace
}  // namespace vl
