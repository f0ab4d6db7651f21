// Item building on tracks annotated by hand: the note and rest makers, one
// event's items, whole strand lists (chords, clef, shared structural events,
// metre changes), the guide strand and the start items. Cases and their item
// lists are in tests/data/cases/notation/ (items as in item_text.h).

#include "notation/item_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "notation/item_text.h"
#include "support/case_file.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

MidiTrack trackOf(const Case& c) {
    return trackFromText(c.oneLine("in"), static_cast<uint32_t>(c.number("division", 96)));
}

TrackSet setOf(MidiTrack track) {
    TrackSet set;
    set.division = track.division;
    set.appendTrack(std::move(track));
    return set;
}

// A meta event the track text cannot state, put after the first `after`
// events of the text, at the time of the last of them.
struct Meta {
    size_t after;
    uint8_t type;
    std::string bytes;
};

MidiTrack withMetas(const std::string& text, const std::vector<Meta>& metas) {
    MidiTrack track = trackFromText(text);
    for (auto m = metas.rbegin(); m != metas.rend(); ++m) {
        const EventPos pos = std::next(track.begin(), static_cast<std::ptrdiff_t>(m->after));
        track.events.insert(pos, MidiEvent(0, m->type, static_cast<int32_t>(m->bytes.size()),
                                           reinterpret_cast<const uint8_t*>(m->bytes.data())));
    }
    return track;
}

// note: p L M gap key flags, or gap: ticks with metre: nn dd division.
TEST(ItemBuilder, notes_are_fitted_split_tied_and_followed_by_rests_and_gaps_filled) {
    for (const Case& c : readCases("notation/item_makers")) {
        int nn = 4, dd = 2, division = 96;
        std::istringstream(c.has("metre") ? c["metre"] : "") >> nn >> dd >> division;
        ItemList list(static_cast<uint32_t>(division), uint8_t(nn), uint8_t(dd));
        if (c.has("note")) {
            int64_t p = 0, L = 0, M = 0, gap = 0;
            int key = 0, flags = 0;
            std::istringstream(c["note"]) >> p >> L >> M >> gap >> key >> std::hex >> flags;
            addNote(list, p, L, M, gap, key, static_cast<uint16_t>(flags));
        } else {
            addGapRests(list, c.number("gap"));
        }
        EXPECT_EQ(itemsText(list), c.oneLine("items")) << where("item_makers", c);
    }
}

TEST(ItemBuilder, an_absurd_gap_is_cut_and_a_full_list_takes_nothing_more) {
    ItemList list(1, 4, 2);  // division 1: every tick is 16 64ths
    addRests(list, 0, int64_t{1} << 40, 0);
    EXPECT_GT(list.size(), 0u);
    EXPECT_LE(list.size(), static_cast<size_t>(kMaxSpan64ths / 128 + 16));

    ItemList full(96, 4, 2);
    while (full.add(ImportItem{itemtype::Rest, 1, 0, 0x03, 0, 0, 0})) {
    }
    EXPECT_EQ(full.size(), ItemList::kMaxItems);
    addNote(full, 0, 96, 96, 96, 60, 0);
    EXPECT_FALSE(full.addText(ImportItem{4096, 1, 0, 0, 0, 0, 0}, "late"));
    EXPECT_EQ(full.size(), ItemList::kMaxItems);
}

// in, at (the event's index), metre (nn dd, default 4 2), items, chord (the
// chord pitches collected), out (the track after, with its output flags).
TEST(ItemBuilder, one_events_items_chord_pitches_and_output_marks) {
    for (const Case& c : readCases("notation/item_events")) {
        SCOPED_TRACE(where("item_events", c));
        MidiTrack track = trackOf(c);
        int nn = 4, dd = 2;
        std::istringstream(c.has("metre") ? c["metre"] : "") >> nn >> dd;
        const EventItems ev = buildEventItems(
            track, std::next(track.begin(), c.number("at")), uint8_t(nn), uint8_t(dd), 0);
        EXPECT_EQ(itemsText(ev.items), c.oneLine("items"));
        std::string chord;
        for (uint8_t key : ev.chordPitches)
            chord += (chord.empty() ? "" : " ") + std::to_string(key);
        EXPECT_EQ(chord, c.has("chord") ? c["chord"] : "");
        if (c.has("out")) {
            EXPECT_EQ(trackText(track, true), c.oneLine("out"));
        }
    }
}

TEST(ItemBuilder, meta_events_give_their_items) {
    MidiTrack track = withMetas("0 KQVLBAR, 96 KQVLBAR", {{1, 0x51, std::string("\x07\xa1\x20", 3)},
                                                          {1, 0x03, "Cello"},
                                                          {1, 0x07, "cue"},
                                                          {1, 0x21, {0}}});
    std::string all;
    for (EventPos e = std::next(track.begin()); std::next(e) != track.end(); ++e)
        all += itemsText(buildEventItems(track, e, 4, 2, 0).items) + "; ";
    EXPECT_EQ(all, "7 03 78 00; 4098 \"Cello\"; 4102 \"cue\"; ; ");
}

// in, strand (default 0) or guide, items, metre (the list's nn dd at the end).
TEST(ItemBuilder, strand_and_guide_lists) {
    for (const Case& c : readCases("notation/strand_items")) {
        SCOPED_TRACE(where("strand_items", c));
        TrackSet set = setOf(trackOf(c));
        const Strand strand{uint32_t(c.number("strand")), 0, 0, {}};
        const ItemList list =
            c.has("guide") ? buildGuideItems(set.tracks[0]) : buildStrandItems(set, strand);
        EXPECT_EQ(itemsText(list), c.oneLine("items"));
        const std::string metre =
            std::to_string(list.numerator) + " " + std::to_string(list.denominatorExponent);
        EXPECT_EQ(metre, c.has("metre") ? c["metre"] : "4 2");
    }
}

TEST(ItemBuilder, strand_lists_share_the_named_structural_events) {
    TrackSet set = setOf(withMetas("0 st c5 00, 0 KQVLMTA 59 ff 01, 0 KQVLBAR, "
                                   "0 on 0 72 [s0 d96/96], 0 on 0 36 [s1 d384/384], "
                                   "96 on 0 74 [s0 d288/288], 384 KQVLBAR",
                                   {{0, 3, "Piano"}, {0, 4, "Grand"}, {0, 1, "a remark"}}));
    EXPECT_EQ(itemsText(buildStrandItems(set, Strand{0, 0, 0, {}})),
              "8 01 00 00, 4098 \"Piano\", 4099 \"Grand\", 9 05 00 00, 6 ff 01 00, 4 00 00 00, "
              "1 48 03 00, 1 4a 0a 00, 4 00 00 00");
}

TEST(ItemBuilder, written_notes_are_marked_and_a_second_pass_skips_them) {
    TrackSet set = setOf(trackFromText("0 KQVLBAR, 0 on 0 60 [s0 d96/96], 96 on 0 62 [s0 d96/96]"));
    const Strand strand{0, 0, 0, {}};
    EXPECT_EQ(itemsText(buildStrandItems(set, strand)),
              "8 01 00 00, 4 00 00 00, 1 3c 03 00, 1 3e 03 00");
    // Without clearing flag 0x8000 the notes are gone, and with them the clef.
    EXPECT_EQ(itemsText(buildStrandItems(set, strand)), "4 00 00 00");
    const ItemList none = buildStrandItems(set, Strand{0, 1, 0, {}});  // no such track
    EXPECT_TRUE(none.empty() && none.numerator == 4 && none.denominatorExponent == 2);
}

// Many long notes of one strand over a crowd of other strands' events: each
// note's span and chord window covers the crowd, which a walk per note would
// cross again and again.
TEST(ItemBuilder, long_overlapping_notes_over_a_crowd_of_events_are_all_written) {
    std::string text = "0 KQVLBAR";
    for (int t = 0, crowd = 0; t < 60000; ++t) {
        if (t < 2000) text += ", " + std::to_string(t) + " on 0 60 [s0 d60000/60000]";
        for (; crowd < 100000 && crowd * 3 / 5 <= t; ++crowd)
            text += ", " + std::to_string(t) + " on 0 50 [s1 f80 d10/10]";
    }
    TrackSet set = setOf(trackFromText(text, 960));
    const ItemList list = buildStrandItems(set, Strand{0, 0, 0, {}});
    EXPECT_EQ(std::count_if(list.items().begin(), list.items().end(),
                            [](const ImportItem& i) {
                                return i.type == itemtype::MidiNote && !(i.arg3 & noteflag::Tied);
                            }),
              2000);
}

TEST(ItemBuilder, start_items_of_a_bare_file_are_c_major_4_4_at_120_and_the_swing_byte) {
    TrackSet set = setOf(trackFromText("0 on 0 60 [s0 d96/96], 96 off 0 60"));
    set.swingDetected = 7;
    EXPECT_EQ(itemsText(buildStartItems(set)), "6 00 00 00, 5 04 02 00, 7 03 78 00, 10 07 00 00");
    EXPECT_EQ(itemsText(buildStartItems(TrackSet{})),
              "6 00 00 00, 5 04 02 00, 7 03 78 00, 10 00 00 00");
}

TEST(ItemBuilder, start_items_take_the_values_in_force_where_the_music_starts_and_the_texts) {
    TrackSet set = setOf(withMetas("0 KS 253 1, 48 KS 4 0, 480 TS 6 3",
                                   {{0, 0x03, "Sonata"}, {1, 0x51, "\x09\x27\xc0"},
                                    {1, 0x02, "(c) 1799"}, {2, 0x51, {15, 0x42, 0x40}}}));
    // the key signature and tempo at 48 come after the set's first note-on: too late
    set.appendTrack(withMetas("0 KS 5 0, 24 on 0 60 [s0 d96/96]", {{0, 0x03, "Right hand"}}));
    set.appendTrack(withMetas("", {{0, 0x03, ""}, {0, 0x02, "second notice"}}));
    EXPECT_EQ(itemsText(buildStartItems(set)),
              "6 fd 01 00, 5 06 03 00, 7 03 64 00, 10 00 00 00, 4103 \"Sonata\", "
              "4097 \"(c) 1799\"");
}

TEST(ItemBuilder, start_items_come_from_later_tracks_when_earlier_ones_lack_them) {
    TrackSet set = setOf(withMetas("0 KQVLMTA 59 02 00", {{1, 0x51, {0, 0, 0}}}));
    // the last key signature before the music counts; a time signature after it does not
    set.appendTrack(withMetas("0 KS 2 0, 0 KS 3 0, 0 on 0 60 [s0 d96/96], 0 TS 2 2",
                              {{0, 0x03, "Melody"}}));
    EXPECT_EQ(itemsText(buildStartItems(set)), "6 03 00 00, 5 04 02 00, 7 03 78 00, 10 00 00 00")
        << "a track with notes gives no title when the set has more than one";
    TrackSet single = setOf(withMetas("0 on 0 60 [s0 d96/96]", {{0, 0x03, "Solo"}}));
    EXPECT_EQ(itemText(buildStartItems(single).items().back(), "Solo"), "4103 \"Solo\"");
}

}  // namespace
}  // namespace vl::test
