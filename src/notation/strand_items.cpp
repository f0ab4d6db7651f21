// The items of one strand: its notes and chords written as note values with
// ties and rests, the bar lines with whole-bar rests for empty bars, and the
// structural events every strand shares; a clef chosen from the keys in front.

#include <algorithm>
#include <cstddef>
#include <vector>

#include "markers/marker_events.h"
#include "notation/item_builder.h"
#include "notation/item_makers.h"
#include "notation/strand_walk_index.h"

namespace vl {

namespace {

constexpr uint8_t kTrebleClef = 1;
constexpr uint8_t kBassClef = 2;
constexpr int64_t kLowestTrebleAverage = 60;

bool ofStrand(const MidiEvent& e, uint32_t strand) {
    return e.strand >= 0 && static_cast<uint32_t>(e.strand) == strand;
}

// Look-ahead over one track for one strand. Writing a note needs the keys of
// its chord mates (note-ons of the strand flagged 0x80 that start before the
// note has sounded its duration2) and its span (up to the next bar marker,
// key or time signature, or the first note-on of the strand once the note has
// sounded). Walking the track from each note for them is bounded by time, not
// by events: a long note followed by 10^5 events of other strands, or many
// overlapping notes, would make those walks quadratic. So the track's walk
// index lists the bar/key/time events and the strand's note-ons and chord
// members in track order. Events are asked about in track order: the stop
// and chord-member lists are consumed from their front (each member is
// looked at once per list), and the next note-on after the note's end is
// found by a galloping search from the first note-on after the note (O(1)
// for ordinary music, O(log n) at worst).
class StrandLookahead {
public:
    StrandLookahead(const StrandWalkIndex& index, uint32_t strand)
        : index_(index), lists_(index.strand(strand)), strand_(strand) {}

    // The items of event e at place i and time t; events must be asked about
    // in track order.
    void itemsOf(size_t i, int64_t t, MidiEvent& e, int64_t barTime, EventItems& out);

private:
    const std::vector<WalkStop>& onsets() const { return lists_.onsets; }
    size_t firstOnsetAfter(size_t i);
    size_t firstOnsetFromAt(size_t k, int64_t time) const;
    // Time of the first bar/key/time event after place i; the track's end when none.
    int64_t nextStopTime(size_t i);
    // Time of onset k; the track's end past the last one.
    int64_t onsetTime(size_t k) const {
        return k < onsets().size() ? onsets()[k].time : index_.lastTime();
    }
    size_t onsetIndex(size_t k) const {
        return k < onsets().size() ? onsets()[k].index : index_.eventCount();
    }
    // Ticks from the event at (i, t) to whichever of onset k and the next
    // bar/key/time event comes first.
    int64_t spanTo(size_t i, int64_t t, size_t k);
    // Ticks from event i to the next note-on of the strand or bar/key/time event.
    int64_t gapSpan(size_t i, int64_t t);
    // Ticks from note i to where its rests end (span S).
    int64_t noteSpan(size_t i, int64_t t, int64_t length);
    void collectChordMates(size_t i, int64_t t, int64_t length, std::vector<uint8_t>& pitches);
    void addNoteItems(size_t i, int64_t t, MidiEvent& e, int64_t barTime, EventItems& out);

    const StrandWalkIndex& index_;
    const StrandWalkEvents& lists_;
    uint32_t strand_;
    size_t onsetCursor_ = 0;
    size_t stopCursor_ = 0;
    size_t mateCursor_ = 0;
};

size_t StrandLookahead::firstOnsetAfter(size_t i) {
    const std::vector<WalkStop>& on = onsets();
    if (onsetCursor_ > 0 && on[onsetCursor_ - 1].index > i) onsetCursor_ = 0;
    while (onsetCursor_ < on.size() && on[onsetCursor_].index <= i) ++onsetCursor_;
    return onsetCursor_;
}

size_t StrandLookahead::firstOnsetFromAt(size_t k, int64_t time) const {
    const std::vector<WalkStop>& on = onsets();
    const auto atOrAfter = [time](const WalkStop& o) { return o.time >= time; };
    size_t lo = k;
    size_t step = 1;
    // Times grow along the track: gallop to a bracket, then search inside it.
    while (lo < on.size() && !atOrAfter(on[lo])) {
        const size_t hi = std::min(on.size(), lo + step);
        if (hi == on.size() || atOrAfter(on[hi])) {
            const auto first = std::partition_point(
                on.begin() + static_cast<std::ptrdiff_t>(lo),
                on.begin() + static_cast<std::ptrdiff_t>(hi),
                [time](const WalkStop& o) { return o.time < time; });
            return static_cast<size_t>(first - on.begin());
        }
        lo = hi;
        step *= 2;
    }
    return lo;
}

int64_t StrandLookahead::nextStopTime(size_t i) {
    const std::vector<WalkStop>& stops = index_.stops();
    if (stopCursor_ > 0 && stops[stopCursor_ - 1].index > i) stopCursor_ = 0;
    while (stopCursor_ < stops.size() && stops[stopCursor_].index <= i) ++stopCursor_;
    return stopCursor_ < stops.size() ? stops[stopCursor_].time : index_.lastTime();
}

int64_t StrandLookahead::spanTo(size_t i, int64_t t, size_t k) {
    // Whichever comes first in the track; times never fall along it.
    const int64_t stop = nextStopTime(i);
    const std::vector<WalkStop>& stops = index_.stops();
    const size_t stopIndex =
        stopCursor_ < stops.size() ? stops[stopCursor_].index : index_.eventCount();
    return (onsetIndex(k) < stopIndex ? onsetTime(k) : stop) - t;
}

int64_t StrandLookahead::gapSpan(size_t i, int64_t t) {
    return spanTo(i, t, firstOnsetAfter(i));
}

int64_t StrandLookahead::noteSpan(size_t i, int64_t t, int64_t length) {
    // The walk stops at a note-on of the strand only once less than one tick
    // of the note is left, that is at or after the note's end.
    return spanTo(i, t, firstOnsetFromAt(firstOnsetAfter(i), t + length));
}

void StrandLookahead::collectChordMates(size_t i, int64_t t, int64_t length,
                                        std::vector<uint8_t>& pitches) {
    const std::vector<WalkEvent>& mates = lists_.mates;
    if (mateCursor_ > 0 && mates[mateCursor_ - 1].index > i) mateCursor_ = 0;
    while (mateCursor_ < mates.size() && mates[mateCursor_].index <= i) ++mateCursor_;
    const int64_t end = t + length;
    // A member passed here is marked, or was marked before, so it can never be
    // collected again: the cursor moves past it for good.
    for (; mateCursor_ < mates.size() && mates[mateCursor_].time < end; ++mateCursor_) {
        MidiEvent& mate = *mates[mateCursor_].position;
        if (mate.testFlags(flag::Output)) continue;
        pitches.push_back(static_cast<uint8_t>(keyOf(mate) & 0xFF));
        mate.orFlags(flag::Output);
    }
}

void StrandLookahead::addNoteItems(size_t i, int64_t t, MidiEvent& e, int64_t barTime,
                                   EventItems& out) {
    const int64_t length = e.duration2;
    collectChordMates(i, t, length, out.chordPitches);
    const int64_t position = t - barTime;
    const int64_t gap = noteSpan(i, t, length) - length;
    addNote(out.items, position, length, e.duration1, gap, keyOf(e),
            static_cast<uint16_t>(e.flags & flag::RhythmMarks));
    e.orFlags(flag::Output);
    if (out.items.empty()) return;
    // The first piece continues a note tied across a bar line when the note
    // starts with a proprietary note-on.
    ImportItem& first = out.items.at(0);
    if (isProprietaryNoteOn(e))
        first.arg3 = static_cast<uint8_t>(first.arg3 | noteflag::Tied);
    else
        first.arg3 = static_cast<uint8_t>(first.arg3 & ~noteflag::Tied);
}

void StrandLookahead::itemsOf(size_t i, int64_t t, MidiEvent& e, int64_t barTime,
                              EventItems& out) {
    const MidiMessage& m = e.message;
    if (m.isBarMarker()) {
        out.items.add(makeItem(itemtype::Barline));
        addGapRests(out.items, gapSpan(i, t));
    } else if (isNoteOnCombined(m) && ofStrand(e, strand_) && !e.testFlags(flag::Output)) {
        addNoteItems(i, t, e, barTime, out);
    } else if (m.isNote() || isNoteOffCombined(m) || m.isKeyPressure() ||
               m.isControlChange() || m.isChannelPressure() || m.isPitchBend()) {
        return;
    } else if (m.isProgramChange()) {
        out.items.add(makeItem(itemtype::ProgramChange, m.channel(), m.data1));
    } else if (isTimeSignatureCombined(m)) {
        uint8_t nn = out.items.numerator;
        uint8_t dd = out.items.denominatorExponent;
        readTimeSignature(m, nn, dd);
        out.items.add(makeItem(itemtype::TimeSignature, nn, dd));
        addGapRests(out.items, gapSpan(i, t));
    } else if (isKeySignatureCombined(m)) {
        out.items.add(keySignatureItem(m));
        addGapRests(out.items, gapSpan(i, t));
    } else if (isTempoCombined(m)) {
        out.items.add(tempoItem(quartersPerMinuteOf(m)));
    } else if (const int text = m.textKind(); text != textkind::None) {
        out.items.addText(makeItem(static_cast<uint16_t>(text)), m.payloadText());
    }
}

void resetEventItems(EventItems& out, uint32_t division, uint8_t nn, uint8_t dd) {
    out.items.clear();
    out.items.division = division;
    out.items.numerator = nn;
    out.items.denominatorExponent = dd;
    out.chordPitches.clear();
}

bool isNoteItem(const ImportItem& item) {
    return item.type == itemtype::MidiNote || item.type == itemtype::Note;
}

// Keys of every note piece and chord copy written, for the choice of clef.
struct ClefStatistics {
    int64_t sum = 0;
    int64_t count = 0;
    void add(int key) {
        sum += key;
        ++count;
    }
};

// Appends an event's items; every note piece is followed by its copies for
// the chord mates.
void appendEventItems(ItemList& list, const EventItems& ev, ClefStatistics& clef) {
    for (const ImportItem& item : ev.items.items()) {
        if (!list.addFrom(ev.items, item)) return;
        if (!isNoteItem(item)) continue;
        clef.add(item.arg1);
        for (const uint8_t pitch : ev.chordPitches) {
            ImportItem copy = item;
            copy.action = itemaction::Cluster;
            copy.arg1 = pitch;
            if (!list.add(copy)) return;
            clef.add(pitch);
        }
    }
}

// The events a strand's list visits, in track order: the strand's own events
// merged with the structural events every list shares.
class StrandEventMerge {
public:
    StrandEventMerge(const std::vector<WalkEvent>& own, const std::vector<WalkEvent>& shared)
        : own_(own), shared_(shared) {}
    bool atEnd() const { return o_ >= own_.size() && s_ >= shared_.size(); }
    // The next event; only when not atEnd().
    const WalkEvent& next() {
        if (s_ >= shared_.size() || (o_ < own_.size() && own_[o_].index < shared_[s_].index)) {
            prefetchAhead(own_, o_);
            return own_[o_++];
        }
        prefetchAhead(shared_, s_);
        return shared_[s_++];
    }

private:
    // A strand's events lie scattered over its track, too far apart for the
    // processor to guess the next; the index knows them, so the event a few
    // steps ahead is fetched while this one is worked on.
    static void prefetchAhead(const std::vector<WalkEvent>& events, size_t i) {
        constexpr size_t kAhead = 8;
        if (i + kAhead < events.size()) __builtin_prefetch(&*events[i + kAhead].position);
    }

    const std::vector<WalkEvent>& own_;
    const std::vector<WalkEvent>& shared_;
    size_t o_ = 0;
    size_t s_ = 0;
};

}  // namespace

ItemList buildStrandItems(const TrackSet& tracks, const Strand& strand,
                          const StrandWalkIndex& index) {
    ItemList list(tracks.division, 4, 2);
    const MidiTrack& track = index.track();
    StrandLookahead look(index, strand.number);
    StrandEventMerge walk(index.strand(strand.number).own, index.structural());

    uint8_t nn = 4;
    uint8_t dd = 2;
    int64_t barTime = track.empty() ? 0 : track.events.front().time;
    ClefStatistics clef;
    EventItems ev;
    while (!walk.atEnd() && !list.full()) {
        const WalkEvent& w = walk.next();
        MidiEvent& e = *w.position;
        const bool barMarker = e.message.isBarMarker();
        if (barMarker) barTime = w.time;
        const bool noteOn = isNoteOnCombined(e);
        if (!noteOn && !barMarker && isTimeSignatureCombined(e)) {
            readTimeSignature(e.message, nn, dd);
            list.numerator = nn;
            list.denominatorExponent = dd;
        }
        if (noteOn && e.testFlags(flag::Output)) continue;
        resetEventItems(ev, track.division, nn, dd);
        look.itemsOf(w.index, w.time, e, barTime, ev);
        appendEventItems(list, ev, clef);
    }
    if (clef.count > 0) {
        const bool bass = clef.sum / clef.count < kLowestTrebleAverage;
        list.insertFront(makeItem(itemtype::Clef, bass ? kBassClef : kTrebleClef));
    }
    return list;
}

ItemList buildStrandItems(TrackSet& tracks, const Strand& strand) {
    if (strand.trackIndex >= tracks.size()) return ItemList(tracks.division, 4, 2);
    const StrandWalkIndex index(tracks.tracks[strand.trackIndex], strand.trackIndex);
    return buildStrandItems(tracks, strand, index);
}

EventItems buildEventItems(MidiTrack& track, EventPos e, uint8_t numerator,
                           uint8_t denominatorExponent, uint32_t strand) {
    EventItems out;
    resetEventItems(out, track.division, numerator, denominatorExponent);
    const StrandWalkIndex index(track, 0);
    StrandLookahead look(index, strand);
    int64_t barTime = track.empty() ? 0 : track.events.front().time;
    size_t i = 0;
    int64_t time = 0;
    for (auto p = track.events.begin(); p != track.events.end(); ++p, ++i) {
        time += p->time;
        if (p == e) {
            look.itemsOf(i, time, *p, barTime, out);
            break;
        }
        if (p->message.isBarMarker()) barTime = time;
    }
    return out;
}

}  // namespace vl
