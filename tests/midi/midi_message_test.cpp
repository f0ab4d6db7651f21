#include "midi/midi_message.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

#include "midi/midi_event.h"

namespace vl {
namespace {

TEST(MidiMessageTest, MessageLengthCoversEveryStatus) {
    for (int s = 0; s < 256; ++s) {
        int expected = 0;
        if (s >= 0x80 && s <= 0xBF) expected = 3;
        if (s >= 0xC0 && s <= 0xDF) expected = 2;
        if (s >= 0xE0 && s <= 0xEF) expected = 3;
        if (s == 0xF1 || s == 0xF3) expected = 2;
        if (s == 0xF2) expected = 3;
        if (s == 0xF6 || s == 0xF8 || s == 0xFA || s == 0xFB || s == 0xFC || s == 0xFE)
            expected = 1;
        EXPECT_EQ(messageLength(static_cast<uint8_t>(s)), expected) << "status " << s;
    }
}

TEST(MidiMessageTest, NoteClassification) {
    const struct {
        uint32_t packed;
        bool note, on, off;
    } cases[] = {
        {0x643C90, true, true, false},   // note-on, velocity 100
        {0x003C90, true, false, true},   // velocity 0 is a note-off, still a note
        {0x403C80, true, false, true},   // note-off
        {0x403C8F, true, false, true},   // note-off on channel 16
        {0x403CA0, false, false, false}, // key pressure
        {0x00002F, false, false, false}, // data byte as status
    };
    for (const auto& c : cases) {
        const MidiMessage m = MidiMessage::packed(c.packed);
        EXPECT_EQ(m.isNote(), c.note) << std::hex << c.packed;
        EXPECT_EQ(m.isNoteOn(), c.on) << std::hex << c.packed;
        EXPECT_EQ(m.isNoteOff(), c.off) << std::hex << c.packed;
    }
}

TEST(MidiMessageTest, ChannelIsLowNibbleBelow0xF0Else255) {
    EXPECT_EQ(MidiMessage::channel(kind::NoteOn, 9, 60, 1).channel(), 9);
    EXPECT_EQ(MidiMessage::channel(kind::PitchBend, 15, 0, 64).channel(), 15);
    EXPECT_EQ(MidiMessage::metaEvent(meta::Tempo, 0, nullptr).channel(), 255);
    EXPECT_EQ(MidiMessage::packed(0xF0).channel(), 255);
    EXPECT_EQ(MidiMessage::packed(0xF7).channel(), 255);
    // A channel above 15 wraps into the nibble rather than spilling into the kind.
    const MidiMessage m = MidiMessage::channel(kind::NoteOn, 0x13, 60, 1);
    EXPECT_EQ(m.status, 0x93);
}

TEST(MidiMessageTest, PackedRoundTripKeepsByteOrder) {
    const MidiMessage m = MidiMessage::packed(0x78563412);
    EXPECT_EQ(m.status, 0x12);
    EXPECT_EQ(m.data1, 0x34);
    EXPECT_EQ(m.data2, 0x56);
    EXPECT_EQ(m.spare, 0x78);
    EXPECT_EQ(m.pack(), 0x78563412u);
    EXPECT_TRUE(m.payload.empty());
}

TEST(MidiMessageTest, MetaEventOfLengthZeroHasNoPayload) {
    const uint8_t bytes[] = {1, 2, 3};
    const MidiMessage none = MidiMessage::metaEvent(meta::Tempo, 0, bytes);
    EXPECT_TRUE(none.isTempoMeta());
    EXPECT_TRUE(none.payload.empty());
    const MidiMessage some = MidiMessage::metaEvent(meta::Tempo, 3, bytes);
    ASSERT_EQ(some.payload.length(), 3);
    EXPECT_EQ(some.payload.byteAt(2), 3);
    EXPECT_EQ(some.payload.byteAt(3), -1);
    EXPECT_EQ(some.payload.byteAt(-1), -1);
}

TEST(MidiMessageTest, MetaQueries) {
    const struct {
        uint8_t type;
        bool eot, timeSig, keySig, tempo, marker;
    } cases[] = {
        {0x2F, true, false, false, false, false}, {0x58, false, true, false, false, false},
        {0x59, false, false, true, false, false}, {0x51, false, false, false, true, false},
        {0x7F, false, false, false, false, true}, {0x01, false, false, false, false, false},
    };
    for (const auto& c : cases) {
        const MidiMessage m = MidiMessage::metaEvent(c.type, 0, nullptr);
        EXPECT_TRUE(m.isMeta());
        EXPECT_EQ(m.metaType(), c.type);
        EXPECT_EQ(m.isEndOfTrack(), c.eot) << int(c.type);
        EXPECT_EQ(m.isTimeSignatureMeta(), c.timeSig) << int(c.type);
        EXPECT_EQ(m.isKeySignatureMeta(), c.keySig) << int(c.type);
        EXPECT_EQ(m.isTempoMeta(), c.tempo) << int(c.type);
        EXPECT_EQ(m.isMarkerText(), c.marker) << int(c.type);
    }
    // The same data1 on a channel message means nothing.
    const MidiMessage cc = MidiMessage::channel(kind::ControlChange, 0, 0x2F, 0);
    EXPECT_FALSE(cc.isMeta());
    EXPECT_FALSE(cc.isEndOfTrack());
    EXPECT_EQ(cc.metaType(), -1);
}

TEST(MidiMessageTest, OnlyMetaTypesOneToSevenAreTexts) {
    const struct {
        uint8_t type;
        int kind;
    } cases[] = {{0, textkind::None}, {1, 4096}, {3, 4098}, {7, 4102}, {8, textkind::None}};
    for (const auto& c : cases)
        EXPECT_EQ(MidiMessage::metaEvent(c.type, 0, nullptr).textKind(), c.kind) << int{c.type};
    EXPECT_EQ(MidiMessage::channel(kind::NoteOn, 0, 3, 1).textKind(), textkind::None);
}

TEST(MidiMessageTest, MarkersCompareTheWholeText) {
    EXPECT_TRUE(MidiMessage::markerText(kBarMarkerText).isBarMarker());
    EXPECT_FALSE(MidiMessage::markerText("KQVLBARX").isBarMarker());
    EXPECT_FALSE(MidiMessage::markerText("KQVLBA").isBarMarker());
    EXPECT_TRUE(MidiMessage::markerText(kDeletedMarkerText).isDeletedMarker());
    EXPECT_FALSE(MidiMessage::markerText(kDeletedMarkerText).isBarMarker());
    // Same text on another meta type is not a marker.
    const MidiMessage text = MidiMessage::metaEvent(
        1, 7, reinterpret_cast<const uint8_t*>(kBarMarkerText.data()));
    EXPECT_FALSE(text.isBarMarker());
    const MidiMessage empty = MidiMessage::markerText("");
    EXPECT_TRUE(empty.isMarkerText());
    EXPECT_TRUE(empty.payload.empty());
}

TEST(MidiMessageTest, NoteOfChannelAndKey) {
    const MidiMessage on = MidiMessage::channel(kind::NoteOn, 3, 60, 90);
    EXPECT_TRUE(on.isNoteOfChannelKey(3, 60));
    EXPECT_TRUE(on.isNoteOfChannelKey(3, 255));  // any key
    EXPECT_FALSE(on.isNoteOfChannelKey(4, 60));
    EXPECT_FALSE(on.isNoteOfChannelKey(3, 61));
    EXPECT_FALSE(MidiMessage::channel(kind::ControlChange, 3, 60, 0).isNoteOfChannelKey(3, 60));
}

TEST(MidiMessageTest, CopyDeepCopiesThePayload) {
    MidiMessage a = MidiMessage::markerText("KQVLBAR");
    MidiMessage b = a;
    a.payload.assign(reinterpret_cast<const uint8_t*>("X"), 1);
    EXPECT_EQ(b.payloadText(), "KQVLBAR");
    EXPECT_EQ(a.payloadText(), "X");
}

TEST(MidiDataBlockTest, SourceWithoutBytesOrLengthBelowOneGivesEmptyBlock) {
    const uint8_t bytes[] = {9, 8};
    EXPECT_TRUE(MidiDataBlock(nullptr, 5).empty());
    EXPECT_TRUE(MidiDataBlock(bytes, 0).empty());
    EXPECT_TRUE(MidiDataBlock(bytes, -3).empty());
    MidiDataBlock block(bytes, 2);
    EXPECT_EQ(block.length(), 2);
    block.assign(bytes, -1);
    EXPECT_TRUE(block.empty());
}

// Payloads that stay inside the block and payloads that go to the heap, at
// and around the boundary, through every way a block is copied or replaced.
TEST(MidiDataBlockTest, CopiesMovesAndReassignmentsKeepTheBytes) {
    for (const size_t length : {size_t{1}, size_t{15}, size_t{16}, size_t{17}, size_t{300}}) {
        SCOPED_TRACE(length);
        std::string text(length, 'a');
        for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i % 26);
        const MidiDataBlock original(text);
        ASSERT_EQ(original.text(), text);

        MidiDataBlock copy(original);
        EXPECT_EQ(copy.text(), text);
        MidiDataBlock moved(std::move(copy));
        EXPECT_EQ(moved.text(), text);
        EXPECT_TRUE(copy.empty());  // NOLINT(bugprone-use-after-move): a moved-from block is empty

        MidiDataBlock other(std::string_view("other payload longer than sixteen"));
        other = original;
        EXPECT_EQ(other.text(), text);
        other = MidiDataBlock(std::string_view("short"));
        EXPECT_EQ(other.text(), "short");
        other = std::move(moved);
        EXPECT_EQ(other.text(), text);

        // Assigned from its own bytes: a prefix of itself.
        other.assign(other.data() + 1, other.length() - 1);
        EXPECT_EQ(other.text(), text.substr(1));
        const MidiDataBlock& self = other;
        other = self;
        EXPECT_EQ(other.text(), text.substr(1));
        EXPECT_EQ(original.byteAt(static_cast<int32_t>(length) - 1),
                  static_cast<uint8_t>(text.back()));
        EXPECT_EQ(original.byteAt(static_cast<int32_t>(length)), -1);
    }
}

TEST(MidiEventTest, ConstructionAndNeutraliseKeepTheDelta) {
    MidiEvent e(40, 0x643C90u);
    EXPECT_EQ(e.time, 40u);
    EXPECT_EQ(e.strand, -1);
    EXPECT_EQ(e.flags, 0);
    e.setStrand(3, true, true);
    e.setDurations(10, 20, true);
    e.neutralise();
    EXPECT_EQ(e.time, 40u);
    EXPECT_TRUE(e.message.isDeletedMarker());
    EXPECT_EQ(e.strand, -1);
    EXPECT_EQ(e.flags, 0);
    EXPECT_EQ(e.duration1, 0);
}

TEST(MidiEventTest, AnnotationsApplyOnlyWhereTheyBelong) {
    MidiEvent bar(0, kBarMarkerText);
    bar.orFlags(flag::Output);
    EXPECT_TRUE(bar.setDurations(7, 9, false));
    EXPECT_EQ(bar.duration1, 7);
    EXPECT_EQ(bar.duration2, 0);  // a bar marker keeps no second duration
    EXPECT_FALSE(bar.testFlags(flag::Output));

    MidiEvent cc(0, 0x000007B0u);
    EXPECT_FALSE(cc.setDurations(7, 9, false));
    EXPECT_FALSE(cc.setStrand(2, false, false));
    EXPECT_EQ(cc.strand, -1);

    MidiEvent note(0, 0x643C90u);
    ASSERT_TRUE(note.setStrand(2, true, true));
    EXPECT_TRUE(note.testFlags(flag::StrandSet | flag::ChordMember));
    ASSERT_TRUE(note.setStrand(2, false, true));
    EXPECT_FALSE(note.testFlags(flag::ChordMember));
    note.setRhythmMarks(flag::Triplet | 0x0003);
    note.setRhythmMarks(flag::Quintuplet);
    EXPECT_EQ(note.flags & flag::RhythmMarks, flag::Quintuplet);
    EXPECT_TRUE(note.testFlags(flag::StrandSet));
    note.clearStrand();
    EXPECT_EQ(note.strand, -1);
    EXPECT_FALSE(note.testFlags(flag::StrandSet));
}

}  // namespace
}  // namespace vl
