// Copying the first track's signatures into other tracks as meta markers, and
// removing them again. Every expectation lists the whole destination track
// with absolute times, so any change to an untouched event shows up.

#include "markers/meta_markers.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/track_text.h"
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
using test::trackFromText;
using test::trackText;

const char* const kTS34 = "KQVLMTA 58 03 02 18 08";
const char* const kKS2 = "KQVLMTA 59 02 00";

TEST(MetaMarkersInsert, LeadingDelayInSourceStillPlacesAtOwnTick) {
    // note: the source's first event has delta 40
    const MidiTrack source =
        trackFromText("40 TS 3 2, 130 KS 2 0");
    MidiTrack dest = trackFromText("0 on 0 60, 96 off 0 60, 96 on 0 62, 192 off 0 62");
    EXPECT_EQ(insertMetaMarkers(dest, source), 2u);
    EXPECT_EQ(trackText(dest),
              "0 on 0 60, 40 KQVLMTA 58 03 02 18 08, 96 off 0 60, 96 on 0 62, "
              "130 KQVLMTA 59 02 00, 192 off 0 62");
}

TEST(MetaMarkersInsert, SignatureAfterDestinationEndIsNotCopied) {
    const MidiTrack source = trackFromText("0 TS 3 2, 500 KS 2 0");
    MidiTrack dest = trackFromText("0 on 0 60, 96 off 0 60");
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
    const char* dest;
    const char* expected;
};

TEST(MetaMarkersInsert, PlacementInsideExistingTickGroups) {
    const auto text = [](const char* items) { return trackFromText(items); };
    std::vector<PlacementCase> cases = {
        {"time then key onto bar and note: bar, key, time, note", text("0 TS 3 2, 0 KS 2 0"),
         "0 KQVLBAR, 0 on 0 60, 96 off 0 60",
         "0 KQVLBAR, 0 KQVLMTA 59 02 00, 0 KQVLMTA 58 03 02 18 08, 0 on 0 60, 96 off 0 60"},
        {"key then time onto bar: time stands before key", text("0 KS 2 0, 0 TS 3 2"),
         "0 KQVLBAR, 0 on 0 60",
         "0 KQVLBAR, 0 KQVLMTA 58 03 02 18 08, 0 KQVLMTA 59 02 00, 0 on 0 60"},
        {"real time signature present: no copy, key goes right after it",
         text("0 TS 3 2, 0 KS 2 0"), "0 TS 3 2, 0 on 0 60",
         "0 TS 3 2, 0 KQVLMTA 59 02 00, 0 on 0 60"},
        {"bar then real time signature: key after the time signature", text("0 KS 2 0"),
         "0 KQVLBAR, 0 TS 3 2, 0 on 0 60", "0 KQVLBAR, 0 TS 3 2, 0 KQVLMTA 59 02 00, 0 on 0 60"},
        {"no bar: both go in front of the group, in reverse order", text("96 TS 3 2, 96 KS 2 0"),
         "0 on 0 60, 96 off 0 60, 96 on 0 62",
         "0 on 0 60, 96 KQVLMTA 59 02 00, 96 KQVLMTA 58 03 02 18 08, 96 off 0 60, 96 on 0 62"},
        {"group has a key signature already", text("96 KS 2 0"),
         "0 on 0 60, 96 KS 5 1, 96 off 0 60", "0 on 0 60, 96 KS 5 1, 96 off 0 60"},
        {"group has a time-signature marker already", text("96 TS 4 2"),
         "0 on 0 60, 96 KQVLMTA 58 03 02 18 08, 96 off 0 60",
         "0 on 0 60, 96 KQVLMTA 58 03 02 18 08, 96 off 0 60"},
        {"bar marker is the last event: markers join its tick at the end",
         text("96 TS 3 2, 96 KS 2 0"), "0 on 0 60, 96 off 0 60, 96 KQVLBAR",
         "0 on 0 60, 96 off 0 60, 96 KQVLBAR, 96 KQVLMTA 59 02 00, 96 KQVLMTA 58 03 02 18 08"},
        {"bar marker ends its tick group: markers stay on the bar's tick",
         text("96 TS 3 2, 96 KS 2 0"), "0 on 0 60, 96 KQVLBAR, 150 off 0 60",
         "0 on 0 60, 96 KQVLBAR, 96 KQVLMTA 59 02 00, 96 KQVLMTA 58 03 02 18 08, 150 off 0 60"},
        {"real time signature ends its tick group: key stays on its tick", text("96 KS 2 0"),
         "0 on 0 60, 96 TS 3 2, 150 off 0 60",
         "0 on 0 60, 96 TS 3 2, 96 KQVLMTA 59 02 00, 150 off 0 60"},
        {"between events, then a key at the same tick", text("48 TS 3 2, 48 KS 2 0"),
         "0 on 0 60, 96 off 0 60",
         "0 on 0 60, 48 KQVLMTA 59 02 00, 48 KQVLMTA 58 03 02 18 08, 96 off 0 60"},
        {"tempo and other events of the source are not copied",
         TrackBuilder()
             .at(0, metaBytes(0x51, {7, 0xA1, 0x20}))
             .at(0, noteOn(0, 1))
             .at(10, metaBytes(0x03, {'x'}))
             .take(),
         "0 on 0 60, 96 off 0 60", "0 on 0 60, 96 off 0 60"},
        {"signature bytes missing in the source are written as 0",
         TrackBuilder().at(0, metaBytes(0x59, {0xFE})).take(), "0 on 0 60",
         "0 KQVLMTA 59 fe 00, 0 on 0 60"},
    };
    for (PlacementCase& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack dest = trackFromText(c.dest);
        insertMetaMarkers(dest, c.source);
        EXPECT_EQ(trackText(dest), c.expected);
    }
}

TEST(MetaMarkersInsert, RepeatedSignaturesOnOneTickGiveOneMarkerEach) {
    TrackBuilder source;
    source.at(0, timeSig(3, 2));
    for (int i = 0; i < 1000; ++i) source.at(0, timeSig(4, 2)).at(0, keySig(1, 0));
    source.at(0, keySig(2, 0));
    MidiTrack dest = trackFromText("0 KQVLBAR, 0 on 0 60");
    EXPECT_EQ(insertMetaMarkers(dest, source.take()), 2u);
    EXPECT_EQ(trackText(dest),
              "0 KQVLBAR, 0 KQVLMTA 59 01 00, 0 KQVLMTA 58 03 02 18 08, 0 on 0 60");
}

TEST(MetaMarkersInsert, SecondInsertionAddsNothing) {
    const MidiTrack source = trackFromText("0 TS 3 2, 0 KS 2 0, 50 TS 6 3, 300 KS 0 0");
    MidiTrack dest = trackFromText("0 KQVLBAR, 0 on 1 60, 288 off 1 60, 288 KQVLBAR, 400 on 1 62");
    EXPECT_EQ(insertMetaMarkers(dest, source), 4u);
    const std::vector<Timed> once = listTrack(dest);
    EXPECT_EQ(insertMetaMarkers(dest, source), 0u);
    EXPECT_EQ(listTrack(dest), once);
}

TEST(MetaMarkersInsert, WholeSetCopiesFromTheFirstTrackOnly) {
    TrackSet one;
    one.appendTrack(trackFromText("0 TS 3 2, 0 on 0 60"));
    const std::vector<Timed> before = listTrack(one.tracks[0]);
    EXPECT_EQ(insertMetaMarkers(one), 0u);
    EXPECT_EQ(listTrack(one.tracks[0]), before);

    TrackSet set;
    set.appendTrack(trackFromText("0 TS 3 2, 10 on 0 60"));
    set.appendTrack(trackFromText("0 on 1 60, 20 off 1 60"));
    set.appendTrack(trackFromText("5 on 2 60, 20 KS 1 1"));
    const std::vector<Timed> first = listTrack(set.tracks[0]);
    EXPECT_EQ(insertMetaMarkers(set), 2u);
    EXPECT_EQ(listTrack(set.tracks[0]), first);
    EXPECT_EQ(listTrack(set.tracks[1]),
              (std::vector<Timed>{{0, kTS34}, {0, "on 1 60"}, {20, "off 1 60"}}));
    EXPECT_EQ(listTrack(set.tracks[2]),
              (std::vector<Timed>{{0, kTS34}, {5, "on 2 60"}, {20, "KS 1 1"}}));
}

TEST(MetaMarkersRemove, ErasesOnlyMetaMarkersKeepingTimes) {
    MidiTrack track = trackFromText("0 KQVLMTA 58 03 02 18 08, 0 on 0 60, 50 KQVLMTA 59 02 00, "
                                    "60 KQVLMTA 51 07 a1 20, 70 KQVLMTA 77 01, 96 KQVLBAR, "
                                    "96 off 0 60, 96 KQVLEVT 90 3c, 100 TS 3 2, "
                                    "120 KQVLMTA 58 03 02 18 08");
    EXPECT_EQ(removeMetaMarkers(track), 4u);
    EXPECT_EQ(trackText(track),
              "0 on 0 60, 70 KQVLMTA 77 01, 96 KQVLBAR, 96 off 0 60, 96 KQVLEVT 90 3c, 100 TS 3 2");
}

TEST(MetaMarkersRemove, UndoesInsertion) {
    TrackSet set;
    set.appendTrack(
        trackFromText("30 TS 3 2, 30 KS 2 0, 200 TS 2 2"));
    set.appendTrack(trackFromText("7 on 0 60, 30 off 0 60, 30 KQVLBAR, 250 on 0 61"));
    const std::vector<Timed> before = listTrack(set.tracks[1]);
    EXPECT_EQ(insertMetaMarkers(set), 3u);
    EXPECT_NE(listTrack(set.tracks[1]), before);
    EXPECT_EQ(removeMetaMarkers(set), 3u);
    EXPECT_EQ(listTrack(set.tracks[1]), before);
}

}  // namespace
}  // namespace vl
