// First quantising: note-ons and tempo changes onto the grid, zero-length
// notes, and the trimming of small overlaps and bar-line overhangs. Tracks are
// written and compared as text listings of absolute times ("0 on 0 60, 54 bar"),
// so a wrong delta or a wrong order anywhere shows up.

#include "analysis/first_quantising.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/quantisation_settings.h"
#include "analysis/track_operations.h"
#include "markers/marker_events.h"
#include "markers/marker_text.h"
#include "support/fake_host.h"
#include "session/progress_reporter.h"
#include "settings/resolution_settings.h"

namespace vl {
namespace {

// ---- Track notation --------------------------------------------------------
// Items "time what", comma-separated, times non-decreasing. what: "on c k",
// "on-v0 c k" (velocity 0), "off c k", "pon c k" / "poff c k" (proprietary),
// "bar", "cc n" (channel 0), "tempo", "mtempo" (tempo marker), "TS" (4/4).

MidiMessage parseMessage(std::istringstream& in) {
    std::string what;
    int a = 0;
    int b = 0;
    in >> what;
    const auto ch = [&] { return static_cast<uint8_t>(a); };
    const auto key = [&] { return static_cast<uint8_t>(b); };
    if (what == "bar") return MidiMessage::markerText(kBarMarkerText);
    if (what == "tempo") {
        const uint8_t bytes[] = {0x07, 0xA1, 0x20};
        return MidiMessage::metaEvent(meta::Tempo, 3, bytes);
    }
    if (what == "mtempo") return MidiMessage::markerText(tempoMarkerText(0x07, 0xA1, 0x20));
    if (what == "TS") return timeSignatureMarkerMessage(4, 2, 24, 8);
    if (what == "cc") {
        in >> a;
        return MidiMessage::channel(kind::ControlChange, 0, static_cast<uint8_t>(a), 0);
    }
    in >> a >> b;
    if (what == "on") return MidiMessage::channel(kind::NoteOn, ch(), key(), 100);
    if (what == "on-v0") return MidiMessage::channel(kind::NoteOn, ch(), key(), 0);
    if (what == "off") return MidiMessage::channel(kind::NoteOff, ch(), key(), 0);
    if (what == "pon" || what == "poff") return proprietaryNoteMessage(what == "pon", ch(), key());
    ADD_FAILURE() << "unknown item " << what;
    return {};
}

MidiTrack parseTrack(const std::string& items, uint32_t division = 96) {
    MidiTrack track(division);
    std::istringstream all(items);
    std::string item;
    int64_t last = 0;
    while (std::getline(all, item, ',')) {
        std::istringstream in(item);
        int64_t time = 0;
        in >> time;
        track.append(MidiEvent(static_cast<uint32_t>(time - last), parseMessage(in)));
        last = time;
    }
    computeChannelMask(track);
    return track;
}

std::string describe(const MidiMessage& m) {
    std::ostringstream out;
    if (m.isBarMarker()) return "bar";
    if (m.isDeletedMarker()) return "deleted";
    if (isTempoMarker(m)) return "mtempo";
    if (isTimeSignatureMarker(m)) return "TS";
    if (const auto p = readProprietaryNote(m)) {
        out << (p->isOn() ? "pon " : "poff ") << int{p->channel()} << ' ' << int{p->key};
    } else if (m.isTempoMeta()) {
        out << "tempo";
    } else if (m.isControlChange()) {
        out << "cc " << int{m.data1};
    } else if (m.isNote()) {
        const char* what = m.isNoteOn() ? "on " : m.kind() == kind::NoteOn ? "on-v0 " : "off ";
        out << what << int{m.channel()} << ' ' << int{m.data1};
    } else {
        out << "other";
    }
    return out.str();
}

std::string listing(const MidiTrack& track) {
    std::string out;
    int64_t time = 0;
    for (const MidiEvent& e : track.events) {
        time += e.time;
        out += (out.empty() ? "" : ", ") + std::to_string(time) + ' ' + describe(e.message);
    }
    return out;
}

// Flags of the first event with this description.
uint16_t flagsOf(const MidiTrack& track, const std::string& what) {
    for (const MidiEvent& e : track.events)
        if (describe(e.message) == what) return e.flags;
    ADD_FAILURE() << "no event " << what;
    return 0xFFFF;
}

QuantisationSettings makeGrid(uint32_t division, uint8_t beat, bool triplets) {
    return QuantisationSettings(division, beat, 0, triplets ? kQuantiseTriplets : 0);
}

// Division 96, beat 7, triplets: plain step 6 (= minStep), triplet step 8.
const QuantisationSettings kGrid = makeGrid(96, 7, true);

// ---- Note-ons and tempo changes onto the grid ------------------------------

struct OnsetCase {
    const char* name;
    uint32_t division;
    uint8_t beat;
    bool triplets;
    int64_t on;
    int64_t movedOn;
    int64_t movedOff;  // the note-off lies at 300 before the move
    bool tripletFlag;
};

TEST(FirstQuantisingOnsets, NoteOnsMoveToTheirGridPoints) {
    const std::vector<OnsetCase> cases = {
        {"4 goes to the stronger 0", 96, 7, true, 4, 0, 296, false},
        {"7 goes to the stronger 12", 96, 7, true, 7, 12, 300, false},
        {"8 is a triplet point", 96, 7, true, 8, 8, 300, true},
        {"9 to the triplet point 8, nearer than 6", 96, 7, true, 9, 8, 299, true},
        {"17 back to 12", 96, 7, true, 17, 12, 295, false},
        {"19 on to 24", 96, 7, true, 19, 24, 300, false},
        {"a plain grid point stays", 96, 7, true, 6, 6, 300, false},
        {"triplets off: 8 goes to 12", 96, 7, false, 8, 12, 300, false},
        // Beat 5: plain step 24, triplet step 32.
        {"beat 5: 30 to the triplet point 32", 96, 5, true, 30, 32, 300, true},
        {"beat 5: 40 to the stronger 48", 96, 5, true, 40, 48, 300, false},
        // Beat 3: every off-beat note-on goes back to its beat.
        {"beat 3: 50 back to the beat", 96, 3, false, 50, 0, 250, false},
        {"beat 3: the next beat stays", 96, 3, false, 96, 96, 300, false},
        // Division 120 limits the level to 6: plain step 15, triplet step 20.
        {"division 120: 18 to the triplet point 20", 120, 7, true, 18, 20, 300, true},
        {"division 120: the plain point 45 stays", 120, 7, true, 45, 45, 300, false},
    };
    ProgressReporter progress;
    for (const OnsetCase& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack t = parseTrack(std::to_string(c.on) + " on 0 60, 300 off 0 60", c.division);
        EXPECT_EQ(quantiseOnsets(t, makeGrid(c.division, c.beat, c.triplets), progress),
                  c.on != c.movedOn);
        EXPECT_EQ(listing(t), std::to_string(c.movedOn) + " on 0 60, " +
                                  std::to_string(c.movedOff) + " off 0 60");
        EXPECT_EQ(flagsOf(t, "on 0 60"), c.tripletFlag ? flag::Triplet : 0);
    }
}

struct ListingCase {
    const char* name;
    std::string before;
    std::string after;
};

TEST(FirstQuantisingOnsets, MovesSeenInWholeTracks) {
    const std::vector<ListingCase> cases = {
        {"a tempo change at 7 goes back to 6 although 12 is stronger", "7 tempo, 50 cc 1",
         "6 tempo, 50 cc 1"},
        {"a tempo marker moves too", "9 mtempo, 50 cc 1", "6 mtempo, 50 cc 1"},
        {"events between the target and the old time are pulled back ahead of it",
         "2 cc 1, 4 on 0 60, 50 off 0 60", "0 cc 1, 0 on 0 60, 46 off 0 60"},
        {"a note-on passed by a later move is still quantised (7 -> 12 past 9 -> 8)",
         "7 on 0 60, 9 on 0 62, 100 off 0 60, 100 off 0 62",
         "8 on 0 62, 12 on 0 60, 99 off 0 62, 100 off 0 60"},
        {"a note-on moved onto a bar line goes behind the bar's opening events",
         "380 on 0 60, 382 on 0 62, 384 poff 1 40, 384 bar, 384 TS, 384 pon 1 40, 384 cc 7, "
         "450 off 0 62, 500 off 0 60",
         "384 poff 1 40, 384 bar, 384 TS, 384 pon 1 40, 384 on 0 62, 384 on 0 60, 384 cc 7, "
         "450 off 0 62, 500 off 0 60"},
        {"a note-on moved later by its whole length is deleted", "7 on 0 60, 10 off 0 60, 20 cc 1",
         "20 cc 1"},
        // note: bars at 0 and 108. X at 103 (7 after 96) moves on into the new
        // bar; A, 7 into that bar, moves on past B; B is 9 into it and goes
        // to the triplet point 116 (counted from tick 0 it would go to 120).
        {"positions count from the latest bar marker",
         "0 bar, 103 on 0 64, 108 bar, 115 on 0 60, 117 on 0 62, 300 off 0 60, 300 off 0 62, "
         "300 off 0 64",
         "0 bar, 108 bar, 108 on 0 64, 116 on 0 62, 120 on 0 60, 299 off 0 62, 300 off 0 60, "
         "300 off 0 64"},
    };
    ProgressReporter progress;
    for (const ListingCase& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack t = parseTrack(c.before);
        EXPECT_TRUE(firstQuantiseTrack(t, kGrid, ResolutionSettings{}, progress));
        EXPECT_EQ(listing(t), c.after);
    }
}

TEST(FirstQuantisingOnsets, SwingPositionsAndRhythmMarksAreRewritten) {
    // 32 is a triplet point in the second sixteenth; 91 moves on to 96.
    MidiTrack t = parseTrack(
        "0 on 0 60, 24 on 0 61, 32 on 0 62, 48 on 0 63, 50 cc 1, 72 on 0 64, 91 on 0 65, "
        "200 off 0 60, 200 off 0 61, 200 off 0 62, 200 off 0 63, 200 off 0 64, 200 off 0 65");
    // Stale marks: the swing bits and rhythm marks are replaced, others stay.
    for (MidiEvent& e : t.events) e.flags = 0x8000 | 0x0700 | 0x006F;
    QuantisationSettings grid = kGrid;
    grid.setSwingDetected(12);
    ProgressReporter progress;
    quantiseOnsets(t, grid, progress);
    EXPECT_EQ(flagsOf(t, "on 0 60"), 0x8000 | 0x0100);
    EXPECT_EQ(flagsOf(t, "on 0 61"), 0x8000 | 0x0200);
    EXPECT_EQ(flagsOf(t, "on 0 62"), 0x8000 | 0x0200 | flag::Triplet);
    EXPECT_EQ(flagsOf(t, "on 0 63"), 0x8000 | 0x0300);
    EXPECT_EQ(flagsOf(t, "on 0 64"), 0x8000 | 0x0400);
    EXPECT_EQ(flagsOf(t, "on 0 65"), 0x8000 | 0x0100);
    EXPECT_EQ(flagsOf(t, "cc 1"), 0x8000);
    EXPECT_EQ(flagsOf(t, "off 0 60"), 0x8000);

    // 115 moves onto the bar line at 120 (a 5/16 bar), where the pass meets it
    // first at phase 1 of the old bar and again at phase 0 of the new one: the
    // second visit's value replaces the first's, it is not ORed into it.
    MidiTrack odd = parseTrack("0 bar, 115 on 0 60, 120 bar, 200 off 0 60");
    quantiseOnsets(odd, grid, progress);
    EXPECT_EQ(listing(odd), "0 bar, 120 bar, 120 on 0 60, 200 off 0 60");
    EXPECT_EQ(flagsOf(odd, "on 0 60"), 0x0100);

    // Without swing no note-on gets a swing position.
    for (MidiEvent& e : t.events) e.flags = 0x0700;
    grid.setSwingDetected(0);
    quantiseOnsets(t, grid, progress);
    for (const MidiEvent& e : t.events)
        EXPECT_EQ(e.flags & ~flag::Triplet, 0) << describe(e.message);
}

TEST(FirstQuantisingOnsets, WithoutAGridNothingMoves) {
    MidiTrack t = parseTrack("7 on 0 60, 9 tempo, 50 off 0 60");
    ProgressReporter progress;
    EXPECT_FALSE(quantiseOnsets(t, makeGrid(0, 7, true), progress));
    EXPECT_EQ(listing(t), "7 on 0 60, 9 tempo, 50 off 0 60");
}

// ---- Zero-length notes -----------------------------------------------------

TEST(FirstQuantisingZeroLength, NotesEndingAtTheirOwnTickAreDeleted) {
    const std::vector<ListingCase> cases = {
        {"note-off right after its note-on", "10 on 0 60, 10 off 0 60, 20 cc 1", "20 cc 1"},
        {"other events between them at that tick", "10 on 0 60, 10 cc 1, 10 on 1 60, 10 off 0 60",
         "10 cc 1, 10 on 1 60"},
        {"a note-on of velocity 0 ends the note", "10 on 0 60, 10 on-v0 0 60", ""},
        {"two of one key at one tick", "10 on 0 60, 10 off 0 60, 10 on 0 60, 10 off 0 60, 12 cc 2",
         "12 cc 2"},
        {"one tick long stays", "10 on 0 60, 11 off 0 60", "10 on 0 60, 11 off 0 60"},
        {"another key or channel does not match", "10 on 0 60, 10 off 0 61, 10 off 1 60",
         "10 on 0 60, 10 off 0 61, 10 off 1 60"},
        {"a note-on at an earlier tick does not count", "5 on 0 60, 10 cc 1, 10 off 0 60",
         "5 on 0 60, 10 cc 1, 10 off 0 60"},
        {"proprietary notes are not real notes", "10 pon 0 60, 10 off 0 60",
         "10 pon 0 60, 10 off 0 60"},
    };
    ProgressReporter progress;
    for (const ListingCase& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack t = parseTrack(c.before);
        const size_t before = t.size();
        const size_t deleted = deleteZeroLengthNotes(t, progress);
        EXPECT_EQ(listing(t), c.after);
        EXPECT_EQ(deleted * 2, before - t.size());
    }
}

// ---- Trimming --------------------------------------------------------------

struct TrimCase {
    const char* name;
    std::string before;
    std::string after;  // empty: unchanged
    size_t shortened;
    size_t deleted;
};

// One step is 6 ticks; tolerances 40, 40 and 30 percent.
TEST(FirstQuantisingTrim, OverlapsAndOverhangs) {
    const std::vector<TrimCase> cases = {
        // note: A 0-60, B 54-64: overlap 6 = one step, 60 % of B.
        {"one step at 60 percent stays", "0 on 0 60, 54 on 0 62, 60 off 0 60, 64 off 0 62", "", 0, 0},
        {"one step at 30 percent is cut", "0 on 0 60, 54 on 0 62, 60 off 0 60, 74 off 0 62",
         "0 on 0 60, 54 off 0 60, 54 on 0 62, 74 off 0 62", 1, 0},
        {"under one step is cut whatever the lengths",
         "0 on 0 60, 48 on 0 62, 49 off 0 62, 50 off 0 60",
         "0 on 0 60, 48 off 0 60, 48 on 0 62, 49 off 0 62", 1, 0},
        {"a note less than a step before the next is deleted",
         "0 on 0 60, 4 on 0 62, 8 off 0 60, 100 off 0 62", "4 on 0 62, 100 off 0 62", 0, 1},
        {"eight steps of overlap stay", "0 on 0 60, 152 on 0 62, 200 off 0 60, 400 off 0 62", "", 0,
         0},
        // note: overlap 47, under eight steps, and 47 * 100 < 30 * 200.
        {"just under eight steps at 23 percent is cut",
         "0 on 0 60, 153 on 0 62, 200 off 0 60, 400 off 0 62",
         "0 on 0 60, 153 off 0 60, 153 on 0 62, 400 off 0 62", 1, 0},
        {"the note-off goes before everything at the cut time",
         "0 on 0 60, 48 cc 1, 48 on 0 62, 50 off 0 60, 200 off 0 62",
         "0 on 0 60, 48 off 0 60, 48 cc 1, 48 on 0 62, 200 off 0 62", 1, 0},
        {"a note of another channel does not cut",
         "0 on 0 60, 48 on 1 62, 50 off 0 60, 200 off 1 62", "", 0, 0},
        {"proprietary notes are trimmed like real ones",
         "0 pon 0 60, 48 on 0 62, 50 poff 0 60, 200 off 0 62",
         "0 pon 0 60, 48 poff 0 60, 48 on 0 62, 200 off 0 62", 1, 0},
        {"an unmatched note-on stays", "0 on 0 60, 2 on 0 62, 100 off 0 62", "", 0, 0},
        // note: A 288-388 crosses the bar at 384 by 4 ticks.
        {"less than a step across a bar line is cut at the bar line",
         "288 on 0 60, 384 bar, 388 off 0 60", "288 on 0 60, 384 off 0 60, 384 bar", 1, 0},
        // note: A 372-396 crosses by 12 ticks, half its length.
        {"half its length and two steps across a bar line stays", "372 on 0 60, 384 bar, 396 off 0 60",
         "", 0, 0},
        {"a note starting less than a step before the bar is deleted",
         "380 on 0 60, 384 bar, 386 off 0 60", "384 bar", 0, 1},
        // note: B overlaps A by 10 = 50 % of B, not small; the bar at 95 is.
        // Once A is cut to 95, B's overlap of 5 is small too.
        {"after a cut the walk starts again from the note",
         "0 on 0 60, 90 on 0 62, 95 bar, 100 off 0 60, 110 off 0 62",
         "0 on 0 60, 90 off 0 60, 90 on 0 62, 95 bar, 110 off 0 62", 1, 0},
        // note: overlapping notes of one key share the note-off at 12; the
        // inner one then has no note-off left and stays unmatched.
        {"a second note-on of the sounding key", "0 on 0 60, 10 on 0 60, 12 off 0 60",
         "0 on 0 60, 10 off 0 60, 10 on 0 60", 1, 0},
    };
    ProgressReporter progress;
    for (const TrimCase& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack t = parseTrack(c.before);
        const TrimResult r = trimOverlaps(t, kGrid, ResolutionSettings{}, progress);
        EXPECT_EQ(listing(t), c.after.empty() ? c.before : c.after);
        EXPECT_EQ(r.notesShortened, c.shortened);
        EXPECT_EQ(r.notesDeleted, c.deleted);
    }
}

TEST(FirstQuantisingTrim, OnlyChannelsInTheMaskAreTrimmed) {
    const std::string overlapping = "0 on 2 60, 48 on 2 62, 50 off 2 60, 200 off 2 62";
    MidiTrack t = parseTrack(overlapping);
    t.channelMask = 0x0001;  // as if the track used channel 0 only
    ProgressReporter progress;
    EXPECT_EQ(trimOverlaps(t, kGrid, ResolutionSettings{}, progress).notesShortened, 0u);
    EXPECT_EQ(listing(t), overlapping);
    computeChannelMask(t);
    EXPECT_EQ(trimOverlaps(t, kGrid, ResolutionSettings{}, progress).notesShortened, 1u);
}

TEST(FirstQuantisingTrim, ALongChainOfSmallBarsIsCutBackStepByStep) {
    // Bars every step under a note 0-123. Each cut makes the note shorter and
    // so the next overhang relatively larger; worked out by hand the chain is
    // 123 -> 90 -> 66 -> 48 -> 30 -> 24 -> 18 -> 12, where the bar at 6 (one
    // step of a 12-tick note, 50 %) is no longer small.
    std::string bars;
    for (int bar = 12; bar <= 120; bar += 6) bars += ", " + std::to_string(bar) + " bar";
    MidiTrack t = parseTrack("0 on 0 60, 6 bar" + bars + ", 123 off 0 60");
    ProgressReporter progress;
    EXPECT_EQ(trimOverlaps(t, kGrid, ResolutionSettings{}, progress).notesShortened, 1u);
    EXPECT_EQ(listing(t), "0 on 0 60, 6 bar, 12 off 0 60" + bars);
}

// The trimming done literally: after every cut the walk starts again from the
// note, and every note's end is looked up afresh. Slow, but plainly right.
size_t referenceTrim(MidiTrack& track, int64_t step, const ResolutionSettings& tol) {
    size_t deleted = 0;
    for (int channel = 0; channel < 16; ++channel) {
        if (!track.usesChannel(channel)) continue;
        int64_t onTime = 0;
        for (EventPos a = track.begin(); a != track.end(); ++a) {
            onTime += a->time;
            if (!isNoteOnCombined(*a) || channelOf(*a) != channel) continue;
            EventPos off = a;
            const NoteEnd span = findNoteEnd(track, off);
            if (!span.found) continue;
            int64_t offTime = onTime + span.length;
            for (bool restart = true; restart;) {
                restart = false;
                int64_t t = onTime;
                for (EventPos c = std::next(a); c != off; ++c) {
                    t += c->time;
                    bool small = false;
                    if (isNoteOnCombined(*c) && channelOf(*c) == channel) {
                        EventPos d = c;
                        const NoteEnd other = findNoteEnd(track, d);
                        small = acceptOverlap(onTime, offTime, t, t + other.length, step, tol);
                    } else if (c->message.isBarMarker()) {
                        small = acceptOverlap(onTime, offTime, t, step, tol);
                    }
                    if (!small) continue;
                    if (t - onTime < step) {
                        deleteNote(track, a, off);
                        ++deleted;
                        break;
                    }
                    while (offTime - off->time >= t) {
                        offTime -= off->time;
                        moveBackOnePlace(track, off);
                    }
                    restart = true;
                    break;
                }
            }
        }
    }
    purgeDeleted(track);
    return deleted;
}

// Notes on two channels and four keys, bar markers and other events; with
// sameKeyOverlaps, notes of one key overlap (illegal, but it must not matter).
MidiTrack randomTrack(std::mt19937& rng, bool sameKeyOverlaps, int longestNote) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<std::pair<int, std::string>> items;
    const int barLength = pick(2, 40);
    for (int bar = barLength; bar < 600; bar += barLength) items.push_back({bar, "bar"});
    for (int channel = 0; channel < 2; ++channel) {
        for (int key = 60; key < 64; ++key) {
            const std::string note = std::to_string(channel) + ' ' + std::to_string(key);
            for (int t = pick(0, 30); t < 500;) {
                const int length = pick(1, longestNote);
                items.push_back({t, "on " + note});
                items.push_back({t + length, "off " + note});
                t += sameKeyOverlaps ? pick(1, 60) : length + pick(0, 40);
            }
        }
    }
    for (int i = 0; i < 20; ++i) items.push_back({pick(0, 600), "cc 1"});
    // Events at one tick end up in random order.
    std::shuffle(items.begin(), items.end(), rng);
    std::stable_sort(items.begin(), items.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    std::string text;
    for (const auto& [time, what] : items)
        text += (text.empty() ? "" : ",") + std::to_string(time) + ' ' + what;
    return parseTrack(text);
}

TEST(FirstQuantisingTrim, AgreesWithTheRestartingWalkOnRandomTracks) {
    std::mt19937 rng(20240611);
    ProgressReporter progress;
    size_t changedTracks = 0;
    for (int run = 0; run < 200; ++run) {
        SCOPED_TRACE(testing::Message() << "run " << run);
        // Long notes make long chains of cuts, short ones many candidates.
        const QuantisationSettings grid = makeGrid(96, run % 2 == 0 ? 7 : 5, false);
        MidiTrack fast = randomTrack(rng, run % 4 == 3, run % 3 == 0 ? 400 : 80);
        MidiTrack slow = fast;
        const std::string before = listing(fast);
        const TrimResult r = trimOverlaps(fast, grid, ResolutionSettings{}, progress);
        const size_t deleted = referenceTrim(slow, grid.minStep(), ResolutionSettings{});
        ASSERT_EQ(listing(fast), listing(slow));
        EXPECT_EQ(r.notesDeleted, deleted);
        if (listing(fast) != before) ++changedTracks;
    }
    // The tracks are dense enough that trimming really happens.
    EXPECT_GT(changedTracks, 150u);
}

// ---- The whole step, progress and cancel -----------------------------------

// 4 moves back to 0 with its note-off (52 -> 48); 30 is a zero-length note;
// 62 overlaps 64 by 2 ticks.
const std::string kMixed =
    "4 on 0 60, 30 on 0 61, 30 off 0 61, 48 on 0 62, 52 off 0 60, 96 on 0 64, 98 off 0 62, "
    "192 off 0 64";
const std::string kMixedDone =
    "0 on 0 60, 48 off 0 60, 48 on 0 62, 96 off 0 62, 96 on 0 64, 192 off 0 64";

TEST(FirstQuantisingTrack, RunsAllThreePassesAndIsThenDone) {
    MidiTrack t = parseTrack(kMixed);
    ProgressReporter progress;
    EXPECT_TRUE(firstQuantiseTrack(t, kGrid, ResolutionSettings{}, progress));
    EXPECT_EQ(listing(t), kMixedDone);
    EXPECT_FALSE(firstQuantiseTrack(t, kGrid, ResolutionSettings{}, progress));
    EXPECT_EQ(listing(t), kMixedDone);
}

TEST(FirstQuantisingTrack, OnlyAMovedEventCountsAsAChange) {
    // Every note-on lies on the grid; the zero-length note and the trim do not count.
    MidiTrack t = parseTrack("0 on 0 60, 30 on 0 61, 30 off 0 61, 48 on 0 62, 50 off 0 60, "
                             "96 off 0 62");
    ProgressReporter progress;
    EXPECT_FALSE(firstQuantiseTrack(t, kGrid, ResolutionSettings{}, progress));
    EXPECT_EQ(listing(t), "0 on 0 60, 48 off 0 60, 48 on 0 62, 96 off 0 62");
}

class FirstQuantisingProgress : public test::HostTest {
protected:
    // The track's work after its step and item reports; the host cancels
    // from the detail text cancelAt on, or from the first detail report
    // when cancelAt is empty.
    std::string run(const std::string& cancelAt) {
        MidiTrack t = parseTrack(kMixed);
        reporter.beginStep("First quantising MIDI events...", 1, "Track");
        reporter.item(0);
        if (cancelAt.empty())
            host.cancelFromPercent(0);
        else
            host.cancelAtDetail(cancelAt);
        firstQuantiseTrack(t, kGrid, ResolutionSettings{}, reporter);
        return listing(t);
    }
};

TEST_F(FirstQuantisingProgress, EveryChannelIsNamedOnTheDetailLine) {
    EXPECT_EQ(run("never"), kMixedDone);
    std::vector<std::string> channels;
    const std::vector<std::string> texts = host.detailTexts();
    std::copy_if(texts.begin(), texts.end(), std::back_inserter(channels),
                 [](const std::string& s) { return s.find("MIDI channel") != std::string::npos; });
    ASSERT_EQ(channels.size(), 16u);
    EXPECT_EQ(channels.front(), "Track 1 of 1 - MIDI channel 1 ");
    EXPECT_EQ(channels.back(), "Track 1 of 1 - MIDI channel 16 ");
}

TEST_F(FirstQuantisingProgress, CancelInTheWholeTrackPassStopsMovingAndTrimming) {
    // Nothing moved or was trimmed; the zero-length note was deleted, and the
    // cancelled purge left its markers for the next one.
    EXPECT_EQ(run(""), "4 on 0 60, 30 deleted, 30 deleted, 48 on 0 62, 52 off 0 60, 96 on 0 64, "
                       "98 off 0 62, 192 off 0 64");
}

TEST_F(FirstQuantisingProgress, CancelBetweenChannelsSkipsTheTrimming) {
    // Moved but not trimmed: the note-off moved back to 48 stays behind the
    // note-on already there.
    EXPECT_EQ(run("Track 1 of 1 - MIDI channel 1 "),
              "0 on 0 60, 48 on 0 62, 48 off 0 60, 96 on 0 64, 98 off 0 62, 192 off 0 64");
}

}  // namespace
}  // namespace vl
