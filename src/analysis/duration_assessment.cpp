#include "analysis/duration_assessment.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

#include "analysis/track_operations.h"
#include "analysis/track_step_driver.h"
#include "markers/marker_text.h"

namespace vl {

namespace {

// A note event in either form (real, or a proprietary note marker), decoded once.
struct NoteEvent {
    bool on = false;
    uint8_t channel = 0;
    uint8_t key = 0;
};

std::optional<NoteEvent> decodeNote(const MidiMessage& m) {
    if (m.isChannelMessage()) {
        if (!m.isNote()) return std::nullopt;
        return NoteEvent{m.isNoteOn(), m.channel(), m.data1};
    }
    const std::optional<ProprietaryNote> n = readProprietaryNote(m);
    if (!n) return std::nullopt;
    return NoteEvent{n->isOn(), n->channel(), n->key};
}

uint16_t saturate(int64_t ticks) {
    if (ticks <= 0) return 0;
    return ticks >= kMaxDuration ? kMaxDuration : static_cast<uint16_t>(ticks);
}

void writeNote(MidiEvent& on, MidiEvent& off, int64_t length, int64_t gap) {
    const uint16_t d2 = saturate(length);
    const uint16_t d1 = saturate(length + gap);
    on.setDurations(d1, d2, true);
    off.setDurations(d1, d2, true);
}

// The event that ends a note's gap: a bar marker, or a note-on of the
// channel in the strand (in any strand when the strand is -1).
bool endsGap(const MidiEvent& e, uint8_t channel, int16_t strand) {
    if (e.message.isBarMarker()) return true;
    const std::optional<NoteEvent> n = decodeNote(e.message);
    return n && n->on && n->channel == channel && (strand == -1 || e.strand == strand);
}

// Ticks from the note-off to the end of the gap; 0 when the track ends first.
int64_t gapAfter(MidiTrack& track, EventPos off, uint8_t channel, int16_t strand) {
    int64_t gap = 0;
    for (EventPos p = std::next(off); p != track.end(); ++p) {
        gap += p->time;
        if (endsGap(*p, channel, strand)) return gap;
    }
    return 0;
}

// ---- The whole-track pass --------------------------------------------------
//
// Walking from every note to its note-off and on to the next note of its
// strand costs O(n·k); on a track where one channel's note is followed by a
// long run of another channel's events that is quadratic. The track pass
// therefore indexes the events once, pairs note-ons with note-offs in one
// forward pass, and finds every gap's end in one backward pass.

constexpr size_t kNone = std::numeric_limits<size_t>::max();
constexpr int64_t kNever = std::numeric_limits<int64_t>::max();
// Note tables are indexed by channel and key byte; proprietary markers may
// carry keys above 127.
constexpr size_t kNoteSlots = 16 * 256;

struct IndexedEvent {
    EventPos pos;
    int64_t time = 0;  // absolute
    std::optional<NoteEvent> note;
    bool bar = false;
};

std::vector<IndexedEvent> indexTrack(MidiTrack& track) {
    std::vector<IndexedEvent> index;
    index.reserve(track.size());
    int64_t time = 0;
    for (EventPos p = track.begin(); p != track.end(); ++p) {
        time += p->time;
        index.push_back({p, time, decodeNote(p->message), p->message.isBarMarker()});
    }
    return index;
}

size_t slotOf(const NoteEvent& n) { return size_t{n.channel} * 256 + n.key; }

// Pairs every note-on with the first later note-off of its channel and key,
// as findNoteEnd does. endOf[i] is the note-off of note-on i (kNone when it
// has none); the note-ons a note-off ends form a chain from endedBy[j] through
// nextEnded.
struct NotePairs {
    std::vector<size_t> endOf;
    std::vector<size_t> endedBy;
    std::vector<size_t> nextEnded;
};

NotePairs pairNotes(const std::vector<IndexedEvent>& index) {
    const size_t n = index.size();
    NotePairs pairs{std::vector<size_t>(n, kNone), std::vector<size_t>(n, kNone),
                    std::vector<size_t>(n, kNone)};
    std::vector<size_t> waiting(kNoteSlots, kNone);  // chain of unended note-ons
    for (size_t i = 0; i < n; ++i) {
        if (!index[i].note) continue;
        const size_t slot = slotOf(*index[i].note);
        if (index[i].note->on) {
            pairs.nextEnded[i] = waiting[slot];
            waiting[slot] = i;
            continue;
        }
        pairs.endedBy[i] = waiting[slot];
        for (size_t on = waiting[slot]; on != kNone; on = pairs.nextEnded[on]) pairs.endOf[on] = i;
        waiting[slot] = kNone;
    }
    return pairs;
}

// The nearest later bar marker and note-ons, seen from a point of a backward walk.
class LaterEvents {
public:
    LaterEvents() { nextOnOfChannel_.fill(kNever); }

    void add(const IndexedEvent& e) {
        if (e.bar) {
            nextBar_ = e.time;
        } else if (e.note && e.note->on) {
            nextOnOfChannel_[e.note->channel] = e.time;
            nextOnOfStrand_[strandKey(e.note->channel, e.pos->strand)] = e.time;
        }
    }

    int64_t gapEnd(uint8_t channel, int16_t strand) const {
        int64_t end = nextBar_;
        if (strand == -1) return std::min(end, nextOnOfChannel_[channel]);
        const auto found = nextOnOfStrand_.find(strandKey(channel, strand));
        return found == nextOnOfStrand_.end() ? end : std::min(end, found->second);
    }

private:
    static uint32_t strandKey(uint8_t channel, int16_t strand) {
        return uint32_t{channel} << 16 | static_cast<uint16_t>(strand);
    }

    int64_t nextBar_ = kNever;
    std::array<int64_t, 16> nextOnOfChannel_{};
    std::unordered_map<uint32_t, int64_t> nextOnOfStrand_;
};

// Gap of every note-on that has a note-off (0 when nothing ends it).
std::vector<int64_t> measureGaps(const std::vector<IndexedEvent>& index, const NotePairs& pairs) {
    std::vector<int64_t> gaps(index.size(), 0);
    LaterEvents later;
    for (size_t j = index.size(); j-- > 0;) {
        for (size_t on = pairs.endedBy[j]; on != kNone; on = pairs.nextEnded[on]) {
            const int64_t end = later.gapEnd(index[on].note->channel, index[on].pos->strand);
            if (end != kNever) gaps[on] = end - index[j].time;
        }
        later.add(index[j]);
    }
    return gaps;
}

}  // namespace

bool assessNote(MidiTrack& track, EventPos pos) {
    if (pos == track.end()) return false;
    MidiEvent& e = *pos;
    const std::optional<NoteEvent> note = decodeNote(e.message);
    if (note && note->on) {
        EventPos off = pos;
        const NoteEnd end = findNoteEnd(track, off);
        if (!end.found) return false;
        writeNote(e, *off, end.length, gapAfter(track, off, note->channel, e.strand));
        return true;
    }
    if (e.message.isBarMarker()) {
        e.clearDurations();
        return true;
    }
    return false;
}

StepResult assessTrack(MidiTrack& track, ProgressReporter& progress) {
    const std::vector<IndexedEvent> index = indexTrack(track);
    const NotePairs pairs = pairNotes(index);
    const std::vector<int64_t> gaps = measureGaps(index, pairs);

    EventProgress events(progress, index.size());
    std::vector<bool> written(index.size(), false);
    size_t measured = 0;
    for (size_t i = 0; i < index.size(); ++i) {
        if (events.cancelledAt(i)) return StepResult::cancelledAfter(measured);
        MidiEvent& e = *index[i].pos;
        // A note-off written by its note-on earlier in this pass keeps the numbers.
        if (!written[i]) e.clearDurations();
        const size_t off = pairs.endOf[i];
        if (off == kNone) continue;
        writeNote(e, *index[off].pos, index[off].time - index[i].time, gaps[i]);
        written[off] = true;
        ++measured;
    }
    return StepResult::done(measured);
}

StepResult assessDurations(TrackSet& tracks, ProgressReporter& progress,
                           std::string_view caption) {
    return runTrackStep(progress, tracks, caption,
                        [&](MidiTrack& track, size_t) { return assessTrack(track, progress); });
}

bool reassessEvent(MidiTrack& track, EventPos pos) {
    if (pos == track.end()) return false;
    const std::optional<NoteEvent> note = decodeNote(pos->message);
    if (!note) return pos->message.isBarMarker() && assessNote(track, pos);
    if (note->on) return assessNote(track, pos);
    for (EventPos p = pos; p != track.begin();) {
        --p;
        const std::optional<NoteEvent> earlier = decodeNote(p->message);
        if (earlier && earlier->on && earlier->channel == note->channel &&
            earlier->key == note->key)
            return assessNote(track, p);
    }
    return false;
}

void reassessBar(MidiTrack& track, EventPos pos, bool stepBackFirst) {
    if (track.empty()) return;
    if (pos == track.end() || (stepBackFirst && pos != track.begin())) --pos;
    while (pos != track.begin() && !pos->message.isBarMarker()) --pos;
    for (EventPos p = pos; p != track.end(); ++p) {
        if (p != pos && p->message.isBarMarker()) break;
        // A note-off keeps the numbers of its note: when that note lies in
        // this bar it is measured again below, otherwise it is not touched.
        const std::optional<NoteEvent> note = decodeNote(p->message);
        if (note && !note->on)
            p->clearFlags(flag::Output);
        else
            p->clearDurations();
        assessNote(track, p);
    }
}

}  // namespace vl
