// Messages, their payload blocks and the events that carry them: lengths by status,
// note and channel rules, payload copies, and which annotations an event accepts.

#include "midi/midi_message.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "midi/midi_event.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

TEST(MidiMessage, the_length_of_a_message_follows_from_its_status) {
    // One digit per status, rows of 16 from 0x00; 0 for data bytes and variable lengths.
    const std::string lengths = std::string(128, '0') + std::string(64, '3') +
                                std::string(32, '2') + std::string(16, '3') + "0232001010111010";
    for (int s = 0; s < 256; ++s)
        EXPECT_EQ(messageLength(static_cast<uint8_t>(s)), lengths[s] - '0') << "status " << s;
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
    EXPECT_TRUE(MidiDataBlock(nullptr, 5).empty() && MidiDataBlock(bytes, -3).empty() &&
                MidiDataBlock(bytes, 2).byteAt(-1) == -1);
}

// A bar marker keeps no second duration and no output flag; other events take no
// annotations; rhythm marks replace each other; neutralising keeps only the delta.
TEST(MidiEvent, annotations_apply_only_where_they_belong_and_neutralising_clears_them) {
    MidiEvent bar(0, kBarMarkerText), cc(0, 0x000007B0u);
    bar.orFlags(flag::Output);
    EXPECT_TRUE(bar.setDurations(7, 9, false));
    EXPECT_FALSE(cc.setDurations(7, 9, false) || cc.setStrand(2, false, false));
    MidiEvent chord(0, 0x643C90u), note(40, 0x643C91u), gone(7, 0x643C92u);
    EXPECT_TRUE(chord.setStrand(2, true, true) && note.setStrand(2, true, true) &&
                note.setStrand(3, false, true) && gone.setStrand(4, true, true));
    note.setRhythmMarks(flag::Triplet | 0x0003);
    note.setRhythmMarks(flag::Quintuplet);
    MidiEvent cleared = note;
    cleared.clearStrand();
    gone.setDurations(10, 20, true);
    gone.neutralise();
    MidiTrack t(96);
    for (const MidiEvent* e : {&bar, &cc, &chord, &note, &cleared, &gone}) t.append(*e);
    EXPECT_EQ(trackText(t, true), "0 KQVLBAR [d7/0], 0 st b0 07, 0 on 0 60 [s2 f4080], "
                                  "40 on 1 60 [s3 f4040], 80 on 1 60 [f40], 87 KQVLZZZ");
}

}  // namespace
}  // namespace vl::test
