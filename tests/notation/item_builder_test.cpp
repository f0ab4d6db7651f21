// Item building on tracks annotated by hand: the note and rest
// makers, one event's items, whole strand lists with chords, clef and bar
// rests, the guide strand, the start items, and the strand list checked
// against a literal event-by-event walk on random tracks.

#include "notation/item_builder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "markers/marker_events.h"
#include "markers/marker_text.h"
#include "notation/annotated_track.h"
#include "notation/item_list.h"

namespace vl {
namespace {

constexpr uint32_t kDivision = 96;  // 384 ticks to a 4/4 bar, 6 ticks to a 64th

using test::Annotated;
using test::It;
using test::itemsOf;
using test::meta;
using test::setOf;

// ---- Items as comparable values -------------------------------------------

It note(uint8_t key, uint8_t code, uint8_t flags = 0) { return {1, 1, key, code, flags, {}}; }
It chordCopy(uint8_t key, uint8_t code, uint8_t flags = 0) { return {1, 2, key, code, flags, {}}; }
It rest(uint8_t code, uint8_t flags = 0) { return {3, 1, 0, code, flags, {}}; }
It bar() { return {4, 1, 0, 0, 0, {}}; }
It wholeBarRest() { return rest(0x21); }
It timeSig(uint8_t nn, uint8_t dd) { return {5, 1, nn, dd, 0, {}}; }
It keySig(int8_t sf, uint8_t minor) { return {6, 1, static_cast<uint8_t>(sf), minor, 0, {}}; }
It tempoIt(uint16_t bpm) {
    return {7, 1, 3, static_cast<uint8_t>(bpm & 0xFF), static_cast<uint8_t>(bpm >> 8), {}};
}
It clef(uint8_t which) { return {8, 1, which, 0, 0, {}}; }
It program(uint8_t channel, uint8_t prog) { return {9, 1, channel, prog, 0, {}}; }
It swing(uint8_t amount) { return {10, 1, amount, 0, 0, {}}; }
It textIt(uint16_t type, std::string text) { return {type, 1, 0, 0, 0, std::move(text)}; }
constexpr uint8_t kTreble = 1;
constexpr uint8_t kBass = 2;

MidiMessage realNoteOff(uint8_t key) { return MidiMessage::channel(kind::NoteOff, 0, key, 0); }
MidiMessage text(uint8_t type, const std::string& s) {
    return MidiMessage::metaEvent(type, static_cast<int32_t>(s.size()),
                                  reinterpret_cast<const uint8_t*>(s.data()));
}
MidiMessage timeSigMeta(uint8_t nn, uint8_t dd) { return meta(0x58, {nn, dd, 24, 8}); }
MidiMessage keySigMeta(int8_t sf, uint8_t mi) { return meta(0x59, {static_cast<uint8_t>(sf), mi}); }
MidiMessage tempoMeta(uint32_t us) {
    return meta(0x51, {static_cast<uint8_t>(us >> 16), static_cast<uint8_t>(us >> 8),
                       static_cast<uint8_t>(us)});
}

std::vector<It> strandItems(MidiTrack track, uint32_t strand = 0) {
    TrackSet set = setOf({});
    set.appendTrack(std::move(track));
    return itemsOf(buildStrandItems(set, Strand{strand, 0, 0, {}}));
}

EventPos eventAt(MidiTrack& track, size_t index) {
    return std::next(track.begin(), static_cast<std::ptrdiff_t>(index));
}

// ---- The note and rest makers ----------------------------------------------

struct NoteCase {
    const char* name;
    int64_t p, L, M, gap;
    int key;
    uint16_t tupletFlags;
    std::vector<It> expected;
};

TEST(ItemBuilderMakers, a_note_is_fitted_split_tied_and_followed_by_its_rests) {
    const std::vector<NoteCase> cases = {
        {"crotchet exactly", 0, 96, 96, 0, 60, 0, {note(60, 0x03)}},
        // end moves 4 -> 8 -> 16 64ths within the limit of 16
        {"semiquaver lengthened to its limit", 0, 24, 96, 72, 60, 0, {note(60, 0x03)}},
        // the semiquaver rest at 64th 4 absorbs the quaver after it
        {"semiquaver kept by its limit", 0, 24, 24, 72, 60, 0, {note(60, 0x05), rest(0x0C)}},
        {"five 64ths tie two pieces", 0, 30, 30, 0, 60, 0,
         {note(60, 0x05), note(60, 0x07, 0x40)}},
        {"no length leaves only rests", 0, 0, 0, 96, 60, 0, {rest(0x03)}},
        {"placeholder key written as rests", 0, 30, 30, 0, 0xFE, 0,
         {rest(0x05), rest(0x07, 0x40)}},
        {"key 128 is still a note", 0, 96, 96, 0, 128, 0, {note(128, 0x03)}},
        {"triplet quaver", 0, 32, 32, 0, 60, 0x20, {note(60, 0x04, 0x10)}},
        // rests keep the tuplet byte (rhythm marks included) but never the tie
        {"triplet rest after a triplet note", 0, 32, 32, 32, 60, 0x21,
         {note(60, 0x04, 0x11), rest(0x04, 0x11)}},
        // 96 ticks of a quintuplet are written as 120: crotchet tied to semiquaver
        {"quintuplet with rhythm marks", 0, 96, 96, 0, 60, 0x43,
         {note(60, 0x03, 0x23), note(60, 0x05, 0x63)}},
        {"rhythm marks alone leave lengths unscaled", 0, 96, 96, 0, 60, 0x05,
         {note(60, 0x03, 0x05)}},
        {"triplet bit wins over quintuplet", 0, 32, 32, 0, 60, 0x60, {note(60, 0x04, 0x10)}},
    };
    for (const NoteCase& c : cases) {
        ItemList list(kDivision, 4, 2);
        addNote(list, c.p, c.L, c.M, c.gap, c.key, c.tupletFlags);
        EXPECT_EQ(itemsOf(list), c.expected) << c.name;
    }
}

struct GapCase {
    const char* name;
    uint8_t nn, dd;
    uint32_t division;
    int64_t gap;
    std::vector<It> expected;
};

TEST(ItemBuilderMakers, a_gap_of_a_whole_bar_is_one_whole_bar_rest_in_any_metre) {
    const std::vector<GapCase> cases = {
        {"4/4 bar", 4, 2, 96, 384, {wholeBarRest()}},
        {"3/4 bar", 3, 2, 96, 288, {wholeBarRest()}},
        {"6/8 bar", 6, 3, 96, 288, {wholeBarRest()}},
        {"4/4 bar at division 120", 4, 2, 120, 480, {wholeBarRest()}},
        {"part of a 4/4 bar", 4, 2, 96, 96, {rest(0x03)}},
        {"a 3/4 bar's length in 4/4", 4, 2, 96, 288, {rest(0x0A)}},
        {"no gap", 4, 2, 96, 0, {}},
        {"no division", 4, 2, 0, 384, {}},
        {"a denominator beyond the 64th", 4, 9, 96, 96, {rest(0x03)}},
    };
    for (const GapCase& c : cases) {
        ItemList list(c.division, c.nn, c.dd);
        addGapRests(list, c.gap);
        EXPECT_EQ(itemsOf(list), c.expected) << c.name;
    }
}

TEST(ItemBuilderMakers, an_absurd_gap_is_cut_and_a_full_list_takes_nothing_more) {
    ItemList list(1, 4, 2);  // division 1: every tick is 16 64ths
    addRests(list, 0, int64_t{1} << 40, 0);
    EXPECT_GT(list.size(), 0u);
    EXPECT_LE(list.size(), static_cast<size_t>(kMaxSpan64ths / 128 + 16));

    ItemList full(kDivision, 4, 2);
    while (full.add(ImportItem{itemtype::Rest, 1, 0, 0x03, 0, 0, 0})) {
    }
    EXPECT_EQ(full.size(), ItemList::kMaxItems);
    addNote(full, 0, 96, 96, 96, 60, 0);
    EXPECT_FALSE(full.addText(ImportItem{4096, 1, 0, 0, 0, 0, 0}, "late"));
    EXPECT_EQ(full.size(), ItemList::kMaxItems);
}

TEST(ItemBuilderList, text_is_answered_only_for_text_items) {
    ItemList list;
    list.addText(ImportItem{itemtype::TrackName, 1, 0, 0, 0, 0, 0}, "Violin");
    // A note whose arg2..reserved7 bytes read as index 0.
    const ImportItem noteItem{itemtype::MidiNote, 1, 60, 0, 0, 0, 0};
    ASSERT_NE(list.textOf(list.at(0)), nullptr);
    EXPECT_STREQ(list.textOf(list.at(0)), "Violin");
    EXPECT_EQ(list.textOf(noteItem), nullptr);
    ImportItem title{itemtype::Title, 1, 0, 0, 0, 0, 0};
    EXPECT_STREQ(list.textOf(title), "Violin");
    title.type = 4104;
    EXPECT_EQ(list.textOf(title), nullptr);
    ImportItem unknownIndex{itemtype::FirstText, 1, 0, 1, 0, 0, 0};
    EXPECT_EQ(list.textOf(unknownIndex), nullptr);
    ItemList copy;
    copy.addText(ImportItem{itemtype::Instrument, 1, 0, 0, 0, 0, 0}, "first");
    copy.addFrom(list, list.at(0));  // the text comes along under the new list's index
    EXPECT_EQ(ItemList::textIndexOf(copy.at(1)), 1u);
    EXPECT_STREQ(copy.textOf(copy.at(1)), "Violin");
}

// ---- One event's items ------------------------------------------------------

// bar | note at 0 (durations d1, d2) | next note of the strand at `next` | bar.
// Note-offs play no part in item building and are left out.
MidiTrack noteThenNext(uint16_t d1, uint16_t d2, int64_t next) {
    return Annotated().bar(0).on(0, 60, d1, d2).on(next, 62, 96, 96).bar(384).take();
}

struct EventCase {
    const char* name;
    uint16_t d1, d2;
    int64_t next;
    std::vector<It> expected;
};

TEST(ItemBuilderEvent, a_note_at_the_bar_start_takes_the_span_to_the_next_note) {
    const std::vector<EventCase> cases = {
        {"semiquaver that must stay short", 24, 24, 96, {note(60, 0x05), rest(0x0C)}},
        {"no duration: the rests up to the next note", 0, 0, 96, {rest(0x03)}},
        // a note-on of the strand met while the note still sounds does not end
        // the span: its rests run on to the bar line
        {"next note inside the sound", 192, 192, 96, {note(60, 0x02), rest(0x02)}},
    };
    for (const EventCase& c : cases) {
        MidiTrack track = noteThenNext(c.d1, c.d2, c.next);
        const EventItems ev = buildEventItems(track, eventAt(track, 1), 4, 2, 0);
        EXPECT_EQ(itemsOf(ev.items), c.expected) << c.name;
        EXPECT_TRUE(ev.chordPitches.empty()) << c.name;
        EXPECT_TRUE(eventAt(track, 1)->testFlags(flag::Output)) << c.name;
    }
}

TEST(ItemBuilderEvent, chord_mates_are_flagged_members_of_the_strand_within_the_sound) {
    MidiTrack track = Annotated()
                          .bar(0)
                          .on(0, 60, 30, 30)
                          .on(0, 64, 30, 30, 0, flag::ChordMember)
                          .on(0, 72, 30, 30, 1, flag::ChordMember)  // another strand
                          .on(0, 55, 30, 30)                        // not a chord member
                          .on(12, 67, 18, 18, 0, flag::ChordMember)
                          .on(30, 48, 30, 30, 0, flag::ChordMember)  // starts as 60 ends
                          .take();
    const EventItems ev = buildEventItems(track, eventAt(track, 1), 4, 2, 0);
    EXPECT_EQ(ev.chordPitches, (std::vector<uint8_t>{64, 67}));
    EXPECT_EQ(itemsOf(ev.items), (std::vector<It>{note(60, 0x05), note(60, 0x07, 0x40)}));
    std::vector<bool> output;
    for (const MidiEvent& e : track.events) output.push_back(e.testFlags(flag::Output));
    EXPECT_EQ(output, (std::vector<bool>{false, true, true, false, false, true, false}));

    // A chord member already written is not collected again.
    MidiTrack again = Annotated()
                          .on(0, 60, 96, 96)
                          .on(0, 64, 96, 96, 0, flag::ChordMember | flag::Output)
                          .take();
    EXPECT_TRUE(buildEventItems(again, again.begin(), 4, 2, 0).chordPitches.empty());
}

TEST(ItemBuilderEvent, a_proprietary_note_on_ties_its_first_piece_even_as_a_placeholder) {
    MidiTrack tied = Annotated().bar(0).markerOn(0, 60, 96, 96).bar(96).take();
    EXPECT_EQ(itemsOf(buildEventItems(tied, eventAt(tied, 1), 4, 2, 0).items),
              (std::vector<It>{note(60, 0x03, 0x40)}));

    // A triplet placeholder (key 0xFE) reaches the host as a triplet rest.
    MidiTrack placeholder =
        Annotated().bar(0).markerOn(0, 0xFE, 32, 32, 0, flag::Triplet).bar(32).take();
    EXPECT_EQ(itemsOf(buildEventItems(placeholder, eventAt(placeholder, 1), 4, 2, 0).items),
              (std::vector<It>{rest(0x04, 0x50)}));
}

TEST(ItemBuilderEvent, each_kind_of_event_gives_its_item) {
    MidiTrack track = Annotated()
                          .bar(0)
                          .at(0, MidiMessage::channel(kind::ProgramChange, 3, 41, 0))
                          .at(0, tempoMeta(500000))
                          .at(0, MidiMessage::markerText(tempoMarkerText(0x09, 0x27, 0xC0)))
                          .at(0, text(3, "Cello"))
                          .at(0, text(7, "cue"))
                          .at(0, MidiMessage::channel(kind::ControlChange, 0, 7, 100))
                          .at(0, realNoteOff(60))
                          .at(0, meta(0x21, {0}))  // MIDI port: nothing
                          .at(0, timeSignatureMarkerMessage(3, 2, 24, 8))
                          .bar(288)
                          .take();
    const std::vector<std::vector<It>> expected = {
        {bar()},  // its rests would stop at the time signature, at the same tick
        {program(3, 41)},
        {tempoIt(120)},
        {tempoIt(100)},
        {textIt(4098, "Cello")},
        {textIt(4102, "cue")},
        {},
        {},
        {},
        {timeSig(3, 2), wholeBarRest()},
        {bar()},
    };
    ASSERT_EQ(track.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        // The 3/4 in force for the time signature's rests comes from the caller.
        const uint8_t nn = i == 9 ? 3 : 4;
        const EventItems ev = buildEventItems(track, eventAt(track, i), nn, 2, 0);
        EXPECT_EQ(itemsOf(ev.items), expected[i]) << i;
    }
}

// ---- Whole strand lists -----------------------------------------------------

TEST(ItemBuilderStrand, a_chord_of_three_keys_copies_every_piece_of_the_leading_note) {
    const std::vector<It> items = strandItems(Annotated()
                                                  .bar(0)
                                                  .on(0, 60, 30, 30)
                                                  .on(0, 64, 30, 30, 0, flag::ChordMember)
                                                  .on(0, 67, 30, 30, 0, flag::ChordMember)
                                                  .off(30, 60)
                                                  .off(30, 64)
                                                  .off(30, 67)
                                                  .take());
    EXPECT_EQ(items, (std::vector<It>{clef(kTreble), bar(), note(60, 0x05), chordCopy(64, 0x05),
                                      chordCopy(67, 0x05), note(60, 0x07, 0x40),
                                      chordCopy(64, 0x07, 0x40), chordCopy(67, 0x07, 0x40)}));
}

TEST(ItemBuilderStrand, the_clef_follows_the_truncated_average_of_every_written_key) {
    const auto tenCrotchets = [](int lowKeys) {
        Annotated a;
        for (int i = 0; i < 10; ++i) a.on(i * 96, i < lowKeys ? 59 : 60, 96, 96);
        return a.take();
    };
    EXPECT_EQ(strandItems(tenCrotchets(1)).front(), clef(kBass)) << "599 over 10";
    EXPECT_EQ(strandItems(tenCrotchets(0)).front(), clef(kTreble)) << "600 over 10";

    // Placeholder rests do not count: one 0xFE and one 40 give a bass clef.
    const std::vector<It> withPlaceholder =
        strandItems(Annotated().markerOn(0, 0xFE, 96, 96).on(96, 40, 96, 96).take());
    EXPECT_EQ(withPlaceholder,
              (std::vector<It>{clef(kBass), rest(0x03, 0x40), note(40, 0x03)}));
}

TEST(ItemBuilderStrand, structural_events_are_shared_and_other_strands_left_out) {
    const std::vector<It> items =
        strandItems(Annotated()
                        .at(0, text(3, "Piano"))
                        .at(0, text(4, "Grand"))
                        .at(0, text(1, "a remark"))  // not structural, no strand
                        .at(0, MidiMessage::channel(kind::ProgramChange, 5, 0, 0))
                        .at(0, keySignatureMarkerMessage(0xFF, 1))
                        .bar(0)
                        .on(0, 72, 96, 96)
                        .on(0, 36, 384, 384, 1)  // strand 1
                        .on(96, 74, 288, 288)
                        .bar(384)
                        .take());
    EXPECT_EQ(items, (std::vector<It>{clef(kTreble), textIt(4098, "Piano"),
                                      textIt(4099, "Grand"), program(5, 0), keySig(-1, 1), bar(),
                                      note(72, 0x03), note(74, 0x0A), bar()}));
}

TEST(ItemBuilderStrand, written_notes_are_marked_and_a_second_pass_skips_them) {
    TrackSet set = setOf({Annotated().bar(0).on(0, 60, 96, 96).on(96, 62, 96, 96).take()});
    const Strand strand{0, 0, 0, {}};
    EXPECT_EQ(itemsOf(buildStrandItems(set, strand)),
              (std::vector<It>{clef(kTreble), bar(), note(60, 0x03), note(62, 0x03)}));
    // Without clearing flag 0x8000 the notes are gone, and with them the clef.
    EXPECT_EQ(itemsOf(buildStrandItems(set, strand)), (std::vector<It>{bar()}));
    EXPECT_TRUE(itemsOf(buildStrandItems(set, Strand{0, 1, 0, {}})).empty())
        << "track index outside the set";
}

TEST(ItemBuilderStrand, time_signatures_change_the_metre_of_the_following_bars) {
    ItemList list = [] {
        TrackSet set = setOf({Annotated()
                                  .bar(0)
                                  .on(0, 60, 384, 384)
                                  .bar(384)
                                  .at(384, timeSignatureMarkerMessage(6, 3, 24, 8))
                                  .bar(672)
                                  .on(672, 60, 288, 288)
                                  .bar(960)
                                  .take()});
        return buildStrandItems(set, Strand{0, 0, 0, {}});
    }();
    EXPECT_EQ(itemsOf(list), (std::vector<It>{clef(kTreble), bar(), note(60, 0x01), bar(),
                                              timeSig(6, 3), wholeBarRest(), bar(),
                                              note(60, 0x0A), bar()}));
    EXPECT_EQ(list.numerator, 6);
    EXPECT_EQ(list.denominatorExponent, 3);
}

// Many long notes of one strand over a crowd of other strands' events: each
// note's span and chord window covers the crowd, which a walk per note would
// cross again and again.
TEST(ItemBuilderStrand, long_overlapping_notes_over_a_crowd_of_events_are_all_written) {
    constexpr int kNotes = 2000;
    constexpr int kCrowd = 100000;
    Annotated a(960);
    a.bar(0);
    int crowd = 0;
    for (int t = 0; t < 60000; ++t) {
        if (t < kNotes) a.on(t, 60, 60000, 60000);
        while (crowd < kCrowd && static_cast<int64_t>(crowd) * 60000 / kCrowd <= t) {
            a.on(t, 50, 10, 10, 1, flag::ChordMember);
            ++crowd;
        }
    }
    a.bar(62000);
    TrackSet set = setOf({a.take()}, 960);
    const ItemList list = buildStrandItems(set, Strand{0, 0, 0, {}});
    int firstPieces = 0;
    for (const ImportItem& item : list.items())
        if (item.type == itemtype::MidiNote && (item.arg3 & noteflag::Tied) == 0) ++firstPieces;
    EXPECT_EQ(firstPieces, kNotes);
    for (const MidiEvent& e : set.tracks[0].events) {
        if (e.strand == 0) {
            ASSERT_TRUE(e.testFlags(flag::Output));
        }
    }
}

// ---- Against a literal walk --------------------------------------------------

// The strand list as a walk over the events from each note would build it:
// chord mates and spans found by walking forward event by event.
std::vector<It> literalStrandItems(MidiTrack& track, int16_t n) {
    ItemList list(track.division, 4, 2);
    int64_t sum = 0;
    int64_t count = 0;
    uint8_t nn = 4;
    uint8_t dd = 2;
    int64_t absTime = 0;
    int64_t barTime = track.empty() ? 0 : track.begin()->time;
    const auto isStrandOn = [n](const MidiEvent& e) {
        return e.strand == n && isNoteOnCombined(e);
    };
    // Ticks from e to the first event after it that stops.
    const auto spanTo = [&](EventPos e, auto stops) {
        int64_t s = 0;
        for (EventPos p = std::next(e); p != track.end(); ++p) {
            s += p->time;
            if (stops(*p, s)) return s;
        }
        return s;
    };
    for (EventPos e = track.begin(); e != track.end(); ++e) {
        absTime += e->time;
        if (e->message.isBarMarker()) barTime = absTime;
        if (e->strand != n && !isStructuralEvent(*e)) continue;
        const bool on = isNoteOnCombined(*e);
        if (!on && !e->message.isBarMarker() && isTimeSignatureCombined(*e)) {
            uint8_t cc = 0;
            uint8_t bb = 0;
            timeSignature(*e, nn, dd, cc, bb);
        }
        if (on && e->testFlags(flag::Output)) continue;
        ItemList ev(track.division, nn, dd);
        std::vector<uint8_t> pitches;
        const auto gapStops = [&](const MidiEvent& p, int64_t) {
            return isStrandOn(p) || isBarKeyOrTime(p);
        };
        if (e->message.isBarMarker()) {
            ev.add(ImportItem{4, 1, 0, 0, 0, 0, 0});
            addGapRests(ev, spanTo(e, gapStops));
        } else if (on && e->strand == n) {
            int64_t s = 0;
            for (EventPos p = std::next(e); p != track.end(); ++p) {
                s += p->time;
                if (s >= e->duration2) break;
                if (isStrandOn(*p) && p->testFlags(flag::ChordMember) &&
                    !p->testFlags(flag::Output)) {
                    pitches.push_back(static_cast<uint8_t>(keyOf(*p)));
                    p->orFlags(flag::Output);
                }
            }
            const int64_t L = e->duration2;
            const int64_t S = spanTo(e, [&](const MidiEvent& p, int64_t sumSoFar) {
                return isBarKeyOrTime(p) || (isStrandOn(p) && L - sumSoFar < 1);
            });
            addNote(ev, absTime - barTime, L, e->duration1, S - L, keyOf(*e), e->flags & 0x6F);
            e->orFlags(flag::Output);
            if (!ev.empty() && isProprietaryNoteOn(*e)) ev.at(0).arg3 |= 0x40;
            if (!ev.empty() && !isProprietaryNoteOn(*e)) ev.at(0).arg3 &= 0xBF;
        } else if (isTimeSignatureCombined(*e)) {
            ev.add(ImportItem{5, 1, nn, dd, 0, 0, 0});
            addGapRests(ev, spanTo(e, gapStops));
        } else if (isKeySignatureCombined(*e)) {
            uint8_t sf = 0;
            uint8_t mi = 0;
            keySignature(*e, sf, mi);
            ev.add(ImportItem{6, 1, sf, mi, 0, 0, 0});
            addGapRests(ev, spanTo(e, gapStops));
        }
        for (const ImportItem& item : ev.items()) {
            list.add(item);
            if (item.type != 1) continue;
            sum += item.arg1;
            ++count;
            for (uint8_t pitch : pitches) {
                ImportItem copy = item;
                copy.action = 2;
                copy.arg1 = pitch;
                list.add(copy);
                sum += pitch;
                ++count;
            }
        }
    }
    if (count > 0) {
        const uint8_t which = sum / count < 60 ? kBass : kTreble;
        list.insertFront(ImportItem{8, 1, which, 0, 0, 0, 0});
    }
    return itemsOf(list);
}

// Random notes of three strands (chords, overlaps, proprietary notes, zero
// durations), bar markers and signatures, at non-decreasing times.
MidiTrack randomTrack(std::mt19937& rng) {
    Annotated a;
    std::uniform_int_distribution<int> kind(0, 19);
    std::uniform_int_distribution<int> step(0, 3);
    std::uniform_int_distribution<int> strand(0, 2);
    std::uniform_int_distribution<int> key(36, 84);
    std::uniform_int_distribution<int> duration(0, 500);
    int64_t t = 0;
    a.bar(0);
    for (int i = 0; i < 300; ++i) {
        t += step(rng) * 24;
        const int k = kind(rng);
        const auto d2 = static_cast<uint16_t>(duration(rng));
        const auto d1 = static_cast<uint16_t>(d2 + duration(rng));
        const auto s = static_cast<int16_t>(strand(rng));
        const uint16_t chord = (k % 3 == 0) ? flag::ChordMember : 0;
        const uint16_t tuplet = (k == 1) ? flag::Triplet : (k == 2 ? flag::Quintuplet : 0);
        if (k < 12) {
            a.on(t, static_cast<uint8_t>(key(rng)), d1, d2, s, chord | tuplet);
        } else if (k < 14) {
            a.markerOn(t, static_cast<uint8_t>(key(rng)), d1, d2, s, chord);
        } else if (k < 17) {
            a.bar(t);
        } else if (k == 17) {
            a.at(t, timeSigMeta(static_cast<uint8_t>(2 + step(rng)), 2));
        } else if (k == 18) {
            a.at(t, keySigMeta(static_cast<int8_t>(step(rng) - 1), 0));
        } else {
            a.off(t, 60);
        }
    }
    return a.take();
}

TEST(ItemBuilderStrand, strand_lists_match_a_literal_walk_on_random_tracks) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 40; ++round) {
        const MidiTrack original = randomTrack(rng);
        TrackSet set = setOf({original});
        MidiTrack literal = original;
        for (uint32_t s = 0; s < 3; ++s) {
            const std::vector<It> expected = literalStrandItems(literal, static_cast<int16_t>(s));
            ASSERT_EQ(itemsOf(buildStrandItems(set, Strand{s, 0, 0, {}})), expected)
                << "round " << round << " strand " << s;
        }
        // Both ways mark the same notes.
        auto a = set.tracks[0].events.begin();
        for (const MidiEvent& e : literal.events) ASSERT_EQ((a++)->flags, e.flags);
    }
}

// ---- Guide strand -----------------------------------------------------------

TEST(ItemBuilderGuide, two_bars_of_3_4_give_bar_lines_with_bar_rests) {
    const MidiTrack track = Annotated()
                                .at(0, tempoMeta(500000))
                                .at(0, timeSigMeta(3, 2))
                                .at(0, keySigMeta(1, 0))
                                .bar(0)
                                .on(0, 60, 96, 96)
                                .off(96, 60)
                                .bar(288)
                                .on(384, 62, 96, 96)
                                .off(480, 62)
                                .bar(576)
                                .take();
    const ItemList list = buildGuideItems(track);
    EXPECT_EQ(itemsOf(list), (std::vector<It>{tempoIt(120), timeSig(3, 2), bar(), rest(0x0A),
                                              bar(), rest(0x0A), bar()}));
    EXPECT_EQ(list.numerator, 3);
    EXPECT_EQ(list.division, kDivision);
}

TEST(ItemBuilderGuide, tempo_changes_split_the_rests_and_key_signatures_only_end_them) {
    const MidiTrack track = Annotated()
                                .bar(0)
                                .at(192, MidiMessage::markerText(tempoMarkerText(0x0F, 0x42, 0x40)))
                                .bar(384)
                                .at(576, keySigMeta(-2, 0))
                                .bar(768)
                                .at(840, realNoteOff(60))
                                .take();
    // 1000000 us: 60 beats per minute; after the last bar line 72 ticks remain
    EXPECT_EQ(itemsOf(buildGuideItems(track)),
              (std::vector<It>{bar(), rest(0x02), tempoIt(60), rest(0x02), bar(), rest(0x02),
                               bar(), rest(0x0C)}));
    EXPECT_TRUE(itemsOf(buildGuideItems(MidiTrack(96))).empty());
}

// ---- Start items ------------------------------------------------------------

TEST(ItemBuilderStart, a_bare_file_gets_c_major_4_4_at_120_and_its_swing_byte) {
    TrackSet set = setOf({Annotated().on(0, 60, 96, 96).off(96, 60).take()});
    set.swingDetected = 7;
    const ItemList list = buildStartItems(set);
    EXPECT_EQ(itemsOf(list),
              (std::vector<It>{keySig(0, 0), timeSig(4, 2), tempoIt(120), swing(7)}));
    EXPECT_EQ(list.division, kDivision);
    EXPECT_TRUE(itemsOf(buildStartItems(TrackSet{})).size() == 4u) << "no tracks at all";
}

TEST(ItemBuilderStart, values_in_force_where_the_music_starts_and_the_texts) {
    TrackSet set = setOf({
        Annotated()
            .at(0, text(3, "Sonata"))
            .at(0, keySigMeta(-3, 1))
            .at(0, tempoMeta(600000))
            .at(0, text(2, "(c) 1799"))
            .at(48, keySigMeta(4, 0))     // after the first note-on of the set: too late
            .at(48, tempoMeta(1000000))   // too late as well
            .at(480, timeSigMeta(6, 3))   // the first time signature counts wherever it is
            .take(),
        Annotated().at(0, text(3, "Right hand")).at(0, keySigMeta(5, 0)).on(24, 60, 96, 96).take(),
        Annotated()
            .at(0, text(3, ""))
            .at(0, text(2, "second notice"))
            .at(1000, meta(0x2F, {}))
            .take(),
    });
    EXPECT_EQ(itemsOf(buildStartItems(set)),
              (std::vector<It>{keySig(-3, 1), timeSig(6, 3), tempoIt(100), swing(0),
                               textIt(4103, "Sonata"), textIt(4097, "(c) 1799")}));
}

TEST(ItemBuilderStart, later_tracks_supply_what_earlier_ones_lack_and_markers_do_not_count) {
    TrackSet set = setOf({
        Annotated().at(0, keySignatureMarkerMessage(2, 0)).at(0, tempoMeta(0)).take(),
        Annotated()
            .at(0, text(3, "Melody"))
            .at(0, keySigMeta(2, 0))
            .at(0, keySigMeta(3, 0))  // the last one before the music counts
            .on(0, 60, 96, 96)
            .at(0, timeSigMeta(2, 2))  // after the track's first note-on: not looked at
            .take(),
    });
    EXPECT_EQ(itemsOf(buildStartItems(set)),
              (std::vector<It>{keySig(3, 0), timeSig(4, 2), tempoIt(120), swing(0)}))
        << "a track with notes gives no title when the set has more than one";

    TrackSet single = setOf({Annotated().at(0, text(3, "Solo")).on(0, 60, 96, 96).take()});
    EXPECT_EQ(itemsOf(buildStartItems(single)).back(), textIt(4103, "Solo"));
}

}  // namespace
}  // namespace vl
