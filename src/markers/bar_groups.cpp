#include "markers/bar_groups.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <optional>
#include <vector>

#include "markers/marker_events.h"
#include "markers/marker_text.h"
#include "markers/meta_markers.h"
#include "markers/tick_group.h"

namespace vl {

// ---- SoundingNotes -------------------------------------------------------

SoundingNotes::SoundingNotes() { strands_.fill(-1); }

void SoundingNotes::markSounding(int key, int channel, int16_t strand) {
    if (!valid(key, channel)) return;
    const uint16_t bit = static_cast<uint16_t>(1u << channel);
    if ((channels_[key] & bit) == 0) ++count_;
    channels_[key] = static_cast<uint16_t>(channels_[key] | bit);
    strands_[key * kChannels + channel] = strand;
}

void SoundingNotes::markSilent(int key, int channel) {
    if (!isSounding(key, channel)) return;
    channels_[key] = static_cast<uint16_t>(channels_[key] & ~(1u << channel));
    strands_[key * kChannels + channel] = -1;
    --count_;
}

void SoundingNotes::clear() {
    channels_.fill(0);
    strands_.fill(-1);
    count_ = 0;
}

bool SoundingNotes::isSounding(int key, int channel) const {
    return valid(key, channel) && ((channels_[key] >> channel) & 1u) != 0;
}

int16_t SoundingNotes::strandOf(int key, int channel) const {
    return isSounding(key, channel) ? strands_[key * kChannels + channel] : int16_t{-1};
}

uint16_t SoundingNotes::channelsOf(int key) const {
    return key >= 0 && key < kKeys ? channels_[key] : uint16_t{0};
}

// ---- Writer --------------------------------------------------------------

namespace {

// Visits the sounding notes, keys ascending and channels ascending within a key.
// An empty table costs nothing; otherwise one look at each key's channel mask.
template <typename Visit>
void forEachSounding(const SoundingNotes& notes, Visit visit) {
    if (!notes.anySounding()) return;
    for (int key = 0; key < SoundingNotes::kKeys; ++key) {
        unsigned mask = notes.channelsOf(key);
        while (mask != 0) {
            const int channel = std::countr_zero(mask);
            visit(key, channel, notes.strandOf(key, channel));
            mask &= mask - 1;
        }
    }
}

class GroupBuilder {
public:
    explicit GroupBuilder(uint32_t delta) : delta_(delta) {}

    EventPos add(MidiMessage m, int16_t strand) {
        MidiEvent e(group_.empty() ? delta_ : 0, std::move(m));
        e.strand = strand;
        group_.push_back(std::move(e));
        return std::prev(group_.end());
    }
    EventPos addNote(bool on, int key, int channel, int16_t strand) {
        return add(proprietaryNoteMessage(on, static_cast<uint8_t>(channel),
                                          static_cast<uint8_t>(key)),
                   strand);
    }
    EventList take() { return std::move(group_); }

private:
    uint32_t delta_;
    EventList group_;
};

// Flags every note-on whose strand appeared on an earlier one. Sorting the
// positions by strand (stably) keeps this n log n however many strands exist.
void flagRepeatedStrands(const std::vector<EventPos>& noteOns) {
    std::vector<size_t> order(noteOns.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return noteOns[a]->strand < noteOns[b]->strand;
    });
    for (size_t i = 1; i < order.size(); ++i) {
        if (noteOns[order[i]]->strand == noteOns[order[i - 1]]->strand)
            noteOns[order[i]]->orFlags(flag::ChordMember);
    }
}

}  // namespace

EventList buildBarGroup(const SoundingNotes& notes, uint32_t delta, unsigned parts) {
    GroupBuilder group(delta);
    if (parts & barpart::NoteOffs)
        forEachSounding(notes, [&](int key, int channel, int16_t strand) {
            group.addNote(false, key, channel, strand);
        });
    if (parts & barpart::BarMarker) group.add(barMarkerMessage(), -1);
    if (parts & barpart::NoteOns) {
        std::vector<EventPos> noteOns;
        noteOns.reserve(notes.count());
        forEachSounding(notes, [&](int key, int channel, int16_t strand) {
            noteOns.push_back(group.addNote(true, key, channel, strand));
        });
        flagRepeatedStrands(noteOns);
    }
    return group.take();
}

EventList buildStrandBarGroup(const SoundingNotes& notes, uint32_t delta, unsigned parts,
                              int16_t strand) {
    GroupBuilder group(delta);
    if (parts & barpart::NoteOffs)
        forEachSounding(notes, [&](int key, int channel, int16_t s) {
            if (s == strand) group.addNote(false, key, channel, s);
        });
    if (parts & barpart::BarMarker) group.add(barMarkerMessage(), -1);
    if (parts & barpart::NoteOns) {
        unsigned channelsSeen = 0;
        forEachSounding(notes, [&](int key, int channel, int16_t s) {
            if (s != strand) return;
            const EventPos on = group.addNote(true, key, channel, s);
            const unsigned bit = 1u << channel;
            if (channelsSeen & bit) on->orFlags(flag::ChordMember);
            channelsSeen |= bit;
        });
    }
    return group.take();
}

// ---- Removal -------------------------------------------------------------

namespace {

struct BarSpan {
    EventPos first;
    EventPos last;
};

std::optional<BarSpan> findBarMarkers(EventPos start, EventPos end) {
    std::optional<BarSpan> span;
    for (EventPos p = start; p != end; ++p) {
        if (!p->message.isBarMarker()) continue;
        if (!span) span = BarSpan{p, p};
        span->last = p;
    }
    return span;
}

// Erases, within [start, end), the bar markers, the proprietary note-offs before
// the last bar marker and the proprietary note-ons after the first one. With a
// single bar marker this is exactly its bar group. A tick can hold several
// (a bar marker read from the file, bar lines located again after a cancelled
// run); each goes with its own group, since a later bar marker left behind
// would stay a bar line that no state bit records, and its proprietary
// note-offs would end their notes at the bar line once the note-ons are gone.
// Returns bar markers erased.
size_t eraseBarGroup(MidiTrack& track, EventPos start, EventPos end, const BarSpan& bars) {
    size_t erased = 0;
    bool afterFirstBar = false;
    bool afterLastBar = false;
    for (EventPos p = start; p != end;) {
        bool drop = false;
        if (p->message.isBarMarker()) {
            drop = true;
            ++erased;
            afterFirstBar = true;
            if (p == bars.last) afterLastBar = true;
        } else if (!afterLastBar && isProprietaryNoteOff(p->message)) {
            drop = true;
        } else if (afterFirstBar && isProprietaryNoteOn(p->message)) {
            drop = true;
        }
        p = drop ? track.erase(p) : std::next(p);
    }
    return erased;
}

}  // namespace

size_t removeBarGroups(MidiTrack& track) {
    size_t erased = 0;
    EventPos start = track.begin();
    while (start != track.end()) {
        // Found before any erasure: the group's bounds must not be read from
        // deltas that erasing the group's first event has moved.
        const EventPos end = tickGroupEnd(track, start);
        if (const std::optional<BarSpan> bars = findBarMarkers(start, end))
            erased += eraseBarGroup(track, start, end, *bars);
        start = end;
    }
    return erased;
}

size_t removeBarGroups(TrackSet& set) {
    size_t erased = 0;
    for (MidiTrack& t : set.tracks) erased += removeBarGroups(t);
    return erased;
}

void removeAllMarkers(TrackSet& set) {
    removeMetaMarkers(set);
    removeBarGroups(set);
}

}  // namespace vl
