// Messages, their payload blocks and the events that carry them: lengths by status,
// note and channel rules, payload copies, and which annotations an event accepts.

#include "midi/midi_message.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "midi/midi_event.h"

namespace vl::test {
namespace {

TEST(MidiMessage, the_length_of_a_message_follows_from_its_status) {
    // One digit per status, rows of 16 from 0x00; 0 for data bytes and variable lengths.
    const std::string lengths = std::string(128, '0') + std::string(64, '3') +
                                std::string(32, '2') + std::string(16, '3') + "0232001010111010";
    for (int s = 0; s < 256; ++s)
        EXPECT_EQ(messageLength(static_cast<uint8_t>(s)), lengths[s] - '0') << "status " << s;
}

// Note kinds, channels and note matches are pinned by the marker event table.
TEST(MidiMessage, a_channel_wraps_into_the_low_nibble_and_only_meta_types_1_to_7_are_texts) {
    EXPECT_EQ(MidiMessage::channel(kind::NoteOn, 0x13, 60, 1).status, 0x93);
    EXPECT_EQ(MidiMessage::metaEvent(7, 0, nullptr).textKind(), 4102);
    EXPECT_EQ(MidiMessage::metaEvent(8, 0, nullptr).textKind(), textkind::None);
    EXPECT_EQ(MidiMessage::packed(0xF7).channel(), 255);
}

// Payloads inside the block and on the heap, at and around the boundary, copied,
// moved and reassigned, also from their own bytes.
TEST(MidiMessage, payload_copies_moves_and_reassignments_keep_the_bytes) {
    for (const size_t length : {size_t{1}, size_t{15}, size_t{16}, size_t{17}, size_t{300}}) {
        std::string text(length, 'a');
        for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i % 26);
        const MidiDataBlock original(text);
        MidiDataBlock copy(original);
        MidiDataBlock other(std::string_view("other payload longer than sixteen"));
        other = original;
        other = MidiDataBlock(std::move(copy));
        EXPECT_TRUE(copy.empty());  // NOLINT(bugprone-use-after-move): a moved-from block is empty
        other.assign(other.data() + 1, other.length() - 1);
        other = static_cast<const MidiDataBlock&>(other);
        EXPECT_EQ(other.text(), text.substr(1)) << length;
        EXPECT_EQ(original.byteAt(static_cast<int32_t>(length)), -1);
    }
    const uint8_t bytes[] = {9, 8};
    EXPECT_TRUE(MidiDataBlock(nullptr, 5).empty() && MidiDataBlock(bytes, -3).empty());
    EXPECT_EQ(MidiDataBlock(bytes, 2).byteAt(-1), -1);
}

TEST(MidiEvent, annotations_apply_only_where_they_belong_and_neutralising_clears_them) {
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

    MidiEvent note(40, 0x643C90u);
    ASSERT_TRUE(note.setStrand(2, true, true));
    EXPECT_TRUE(note.testFlags(flag::StrandSet | flag::ChordMember));
    ASSERT_TRUE(note.setStrand(2, false, true));
    EXPECT_FALSE(note.testFlags(flag::ChordMember));
    note.setRhythmMarks(flag::Triplet | 0x0003);
    note.setRhythmMarks(flag::Quintuplet);
    EXPECT_EQ(note.flags & flag::RhythmMarks, flag::Quintuplet);
    note.clearStrand();
    EXPECT_EQ(note.strand, -1);
    EXPECT_FALSE(note.testFlags(flag::StrandSet));
    note.setDurations(10, 20, true);
    note.neutralise();
    EXPECT_EQ(note.time, 40u);
    EXPECT_TRUE(note.message.isDeletedMarker());
    EXPECT_EQ(note.flags + note.duration1, 0);
}

}  // namespace
}  // namespace vl::test
