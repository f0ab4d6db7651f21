// The items of one strand: its notes and chords written as note values with
// ties and rests, the bar lines with whole-bar rests for empty bars, and the
// structural events every strand shares; a clef chosen from the keys in front.

#include <algorithm>
#include <cstddef>
#include <vector>

#include "markers/marker_events.h"
#include "notation/item_builder.h"
#include "notation/item_makers.h"

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
// overlapping notes, would make those walks quadratic. So one forward and one
// backward pass precompute, per event, the next bar/key/time event, and list
// the strand's note-ons and chord members in track order. Events are then
// asked about in track order: the chord-member list is consumed from its
// front (each member is looked at once per list), and the next note-on after
// the note's end is found by a galloping search from the first note-on after
// the note (O(1) for ordinary music, O(log n) at worst).
class StrandLookahead {
public:
    StrandLookahead(MidiTrack& track, uint32_t strand);

    int64_t time(size_t i) const { return times_[i]; }
    // The items of event i (which is e); events must be asked about in track order.
    void itemsOf(size_t i, MidiEvent& e, int64_t barTime, EventItems& out);

private:
    struct Onset {
        size_t index;
        int64_t time;
    };
    struct Mate {
        size_t index;
        int64_t time;
        MidiEvent* event;
    };

    int64_t timeAt(size_t index) const { return index < times_.size() ? times_[index] : lastTime_; }
    size_t firstOnsetAfter(size_t i);
    size_t firstOnsetFromAt(size_t k, int64_t time) const;
    // Ticks from event i to the next note-on of the strand or bar/key/time event.
    int64_t gapSpan(size_t i);
    // Ticks from note i to where its rests end (span S).
    int64_t noteSpan(size_t i, int64_t length);
    void collectChordMates(size_t i, int64_t length, std::vector<uint8_t>& pitches);
    void addNoteItems(size_t i, MidiEvent& e, int64_t barTime, EventItems& out);

    uint32_t strand_;
    std::vector<int64_t> times_;
    int64_t lastTime_ = 0;
    std::vector<size_t> nextStop_;  // first bar/key/time event after i; size() when none
    std::vector<Onset> onsets_;     // note-ons of the strand
    size_t onsetCursor_ = 0;
    std::vector<Mate> mates_;  // note-ons of the strand flagged as chord members
    size_t mateCursor_ = 0;
};

StrandLookahead::StrandLookahead(MidiTrack& track, uint32_t strand) : strand_(strand) {
    const size_t n = track.size();
    times_.reserve(n);
    std::vector<bool> stops;
    stops.reserve(n);
    int64_t time = 0;
    for (MidiEvent& e : track.events) {
        time += e.time;
        const size_t index = times_.size();
        times_.push_back(time);
        stops.push_back(isBarKeyOrTime(e));
        if (!ofStrand(e, strand) || !isNoteOnCombined(e)) continue;
        onsets_.push_back({index, time});
        if (e.testFlags(flag::ChordMember)) mates_.push_back({index, time, &e});
    }
    lastTime_ = time;
    nextStop_.resize(n);
    size_t next = n;
    for (size_t i = n; i-- > 0;) {
        nextStop_[i] = next;
        if (stops[i]) next = i;
    }
}

size_t StrandLookahead::firstOnsetAfter(size_t i) {
    if (onsetCursor_ > 0 && onsets_[onsetCursor_ - 1].index > i) onsetCursor_ = 0;
    while (onsetCursor_ < onsets_.size() && onsets_[onsetCursor_].index <= i) ++onsetCursor_;
    return onsetCursor_;
}

size_t StrandLookahead::firstOnsetFromAt(size_t k, int64_t time) const {
    const auto atOrAfter = [time](const Onset& o) { return o.time >= time; };
    size_t lo = k;
    size_t step = 1;
    // Times grow along the track: gallop to a bracket, then search inside it.
    while (lo < onsets_.size() && !atOrAfter(onsets_[lo])) {
        const size_t hi = std::min(onsets_.size(), lo + step);
        if (hi == onsets_.size() || atOrAfter(onsets_[hi])) {
            const auto first = std::partition_point(
                onsets_.begin() + static_cast<std::ptrdiff_t>(lo),
                onsets_.begin() + static_cast<std::ptrdiff_t>(hi),
                [time](const Onset& o) { return o.time < time; });
            return static_cast<size_t>(first - onsets_.begin());
        }
        lo = hi;
        step *= 2;
    }
    return lo;
}

int64_t StrandLookahead::gapSpan(size_t i) {
    const size_t k = firstOnsetAfter(i);
    const size_t noteStop = k < onsets_.size() ? onsets_[k].index : times_.size();
    return timeAt(std::min(nextStop_[i], noteStop)) - times_[i];
}

int64_t StrandLookahead::noteSpan(size_t i, int64_t length) {
    // The walk stops at a note-on of the strand only once less than one tick
    // of the note is left, that is at or after the note's end.
    const size_t k = firstOnsetFromAt(firstOnsetAfter(i), times_[i] + length);
    const size_t noteStop = k < onsets_.size() ? onsets_[k].index : times_.size();
    return timeAt(std::min(nextStop_[i], noteStop)) - times_[i];
}

void StrandLookahead::collectChordMates(size_t i, int64_t length,
                                        std::vector<uint8_t>& pitches) {
    if (mateCursor_ > 0 && mates_[mateCursor_ - 1].index > i) mateCursor_ = 0;
    while (mateCursor_ < mates_.size() && mates_[mateCursor_].index <= i) ++mateCursor_;
    const int64_t end = times_[i] + length;
    // A member passed here is marked, or was marked before, so it can never be
    // collected again: the cursor moves past it for good.
    for (; mateCursor_ < mates_.size() && mates_[mateCursor_].time < end; ++mateCursor_) {
        MidiEvent& mate = *mates_[mateCursor_].event;
        if (mate.testFlags(flag::Output)) continue;
        pitches.push_back(static_cast<uint8_t>(keyOf(mate) & 0xFF));
        mate.orFlags(flag::Output);
    }
}

void StrandLookahead::addNoteItems(size_t i, MidiEvent& e, int64_t barTime, EventItems& out) {
    const int64_t length = e.duration2;
    collectChordMates(i, length, out.chordPitches);
    const int64_t position = times_[i] - barTime;
    const int64_t gap = noteSpan(i, length) - length;
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

void StrandLookahead::itemsOf(size_t i, MidiEvent& e, int64_t barTime, EventItems& out) {
    const MidiMessage& m = e.message;
    if (m.isBarMarker()) {
        out.items.add(makeItem(itemtype::Barline));
        addGapRests(out.items, gapSpan(i));
    } else if (isNoteOnCombined(m) && ofStrand(e, strand_) && !e.testFlags(flag::Output)) {
        addNoteItems(i, e, barTime, out);
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
        addGapRests(out.items, gapSpan(i));
    } else if (isKeySignatureCombined(m)) {
        out.items.add(keySignatureItem(m));
        addGapRests(out.items, gapSpan(i));
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

}  // namespace

ItemList buildStrandItems(TrackSet& tracks, const Strand& strand) {
    ItemList list(tracks.division, 4, 2);
    if (strand.trackIndex >= tracks.size()) return list;
    MidiTrack& track = tracks.tracks[strand.trackIndex];
    StrandLookahead look(track, strand.number);

    uint8_t nn = 4;
    uint8_t dd = 2;
    int64_t barTime = track.empty() ? 0 : look.time(0);
    ClefStatistics clef;
    EventItems ev;
    size_t i = 0;
    for (auto p = track.events.begin(); p != track.events.end() && !list.full(); ++p, ++i) {
        MidiEvent& e = *p;
        const bool barMarker = e.message.isBarMarker();
        if (barMarker) barTime = look.time(i);
        if (!ofStrand(e, strand.number) && !isStructuralEvent(e)) continue;
        const bool noteOn = isNoteOnCombined(e);
        if (!noteOn && !barMarker && isTimeSignatureCombined(e)) {
            readTimeSignature(e.message, nn, dd);
            list.numerator = nn;
            list.denominatorExponent = dd;
        }
        if (noteOn && e.testFlags(flag::Output)) continue;
        resetEventItems(ev, track.division, nn, dd);
        look.itemsOf(i, e, barTime, ev);
        appendEventItems(list, ev, clef);
    }
    if (clef.count > 0) {
        const bool bass = clef.sum / clef.count < kLowestTrebleAverage;
        list.insertFront(makeItem(itemtype::Clef, bass ? kBassClef : kTrebleClef));
    }
    return list;
}

EventItems buildEventItems(MidiTrack& track, EventPos e, uint8_t numerator,
                           uint8_t denominatorExponent, uint32_t strand) {
    EventItems out;
    resetEventItems(out, track.division, numerator, denominatorExponent);
    StrandLookahead look(track, strand);
    int64_t barTime = track.empty() ? 0 : look.time(0);
    size_t i = 0;
    for (auto p = track.events.begin(); p != track.events.end(); ++p, ++i) {
        if (p == e) {
            look.itemsOf(i, *p, barTime, out);
            break;
        }
        if (p->message.isBarMarker()) barTime = look.time(i);
    }
    return out;
}

}  // namespace vl
