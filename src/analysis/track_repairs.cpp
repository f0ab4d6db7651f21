#include "analysis/track_repairs.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <vector>

#include "markers/marker_events.h"
#include "midi/swing_statistics.h"

namespace vl {

namespace {

// ---- Duplicate tracks -------------------------------------------------------

bool isRealNote(const MidiEvent& e) {
    return e.message.kind() == kind::NoteOn || e.message.kind() == kind::NoteOff;
}

// Walks the real notes of a track with their absolute times.
class NoteWalk {
public:
    explicit NoteWalk(const MidiTrack& track)
        : pos_(track.events.begin()), end_(track.events.end()) {
        skipToNote();
    }
    bool atEnd() const { return pos_ == end_; }
    const MidiEvent& event() const { return *pos_; }
    int64_t time() const { return time_; }
    void advance() {
        ++pos_;
        skipToNote();
    }

private:
    void skipToNote() {
        for (; pos_ != end_; ++pos_) {
            time_ += pos_->time;
            if (isRealNote(*pos_)) return;
        }
    }
    ConstEventPos pos_;
    ConstEventPos end_;
    int64_t time_ = 0;
};

bool sameNote(const NoteWalk& a, const NoteWalk& b) {
    return a.time() == b.time() && a.event().message.kind() == b.event().message.kind() &&
           a.event().message.data1 == b.event().message.data1;
}

// A hash of what hasSameNotes compares, so that only tracks that may be equal
// are compared event by event.
uint64_t noteFingerprint(const MidiTrack& track) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](uint64_t v) {
        h ^= v;
        h *= 1099511628211ull;
    };
    for (NoteWalk w(track); !w.atEnd(); w.advance()) {
        mix(static_cast<uint64_t>(w.time()));
        mix(static_cast<uint64_t>(w.event().message.kind()) << 8 | w.event().message.data1);
    }
    return h;
}

// ---- Initial delay ----------------------------------------------------------

struct Signature {
    uint8_t nn = 4;
    uint8_t dd = 2;
};

int64_t barOf(const Signature& s, uint32_t division) {
    return static_cast<int64_t>(s.nn) * beatLength(division, s.dd);
}

bool readSignature(const MidiEvent& e, Signature& s) {
    uint8_t nn = s.nn, dd = s.dd, cc = 24, bb = 8;
    if (!timeSignature(e, nn, dd, cc, bb)) return false;
    s.nn = nn;
    s.dd = dd;
    return true;
}

// Absolute time of the first note-on (real or proprietary), or the sum of the
// deltas when the track has none.
int64_t firstNoteOnTime(const MidiTrack& track) {
    int64_t t = 0;
    for (const MidiEvent& e : track.events) {
        t += e.time;
        if (isNoteOnCombined(e)) return t;
    }
    return t;
}

// The first real time signature of the track before its first note-on; 4/4
// when there is none.
Signature startingSignature(const MidiTrack& track) {
    Signature s;
    for (const MidiEvent& e : track.events) {
        if (isNoteOnCombined(e)) break;
        if (e.message.isTimeSignatureMeta() && readSignature(e, s)) return s;
    }
    return Signature{};
}

// Whether a time signature lies beyond the first bar: walking with 4/4 first,
// each signature within reach makes its own bar length the new reach.
bool hasSignatureBeyondFirstBar(const MidiTrack& track, uint32_t division) {
    int64_t reach = barOf(Signature{}, division);
    int64_t t = 0;
    for (const MidiEvent& e : track.events) {
        t += e.time;
        Signature s;
        if (!readSignature(e, s)) continue;
        if (t > reach) return true;
        reach = barOf(s, division);
    }
    return false;
}

struct GridDelay {
    bool consistent = true;
    int64_t delay = 0;
};

// Reads the delay off the offsets of the first track's time signatures from
// the bar grid: the first two fix it, any later one must sit on the grid.
GridDelay delayFromSignatureGrid(const MidiTrack& track, uint32_t division, int64_t startBar) {
    GridDelay result;
    int64_t bar = startBar;
    int64_t remembered = 0;
    int k = 0;
    int64_t t = 0;
    for (const MidiEvent& e : track.events) {
        t += e.time;
        Signature s;
        if (!readSignature(e, s)) continue;
        const bool isStarting = k == 0 && t < bar;
        if (!isStarting) {
            if (bar <= 0) return GridDelay{false, 0};  // a bar of no length has no grid
            const int64_t r = (t - remembered) % bar;
            if (k < 2) {
                result.delay = r;
            } else if (r != 0) {
                return GridDelay{false, 0};
            }
            remembered = t;
        }
        ++k;
        bar = barOf(s, division);
    }
    return result;
}

}  // namespace

bool hasSameNotes(const MidiTrack& a, const MidiTrack& b) {
    NoteWalk wa(a), wb(b);
    for (; !wa.atEnd() && !wb.atEnd(); wa.advance(), wb.advance()) {
        if (!sameNote(wa, wb)) return false;
    }
    return wa.atEnd() && wb.atEnd();
}

int32_t removeDuplicateTracks(TrackSet& set) {
    const size_t n = set.tracks.size();
    std::vector<bool> duplicate(n, false);
    std::unordered_map<uint64_t, std::vector<size_t>> byFingerprint;
    for (size_t i = 0; i < n; ++i) byFingerprint[noteFingerprint(set.tracks[i])].push_back(i);
    for (const auto& [fingerprint, group] : byFingerprint) {
        for (size_t ia = 0; ia < group.size(); ++ia) {
            if (duplicate[group[ia]]) continue;
            for (size_t ib = ia + 1; ib < group.size(); ++ib) {
                if (duplicate[group[ib]]) continue;
                if (hasSameNotes(set.tracks[group[ia]], set.tracks[group[ib]]))
                    duplicate[group[ib]] = true;
            }
        }
    }
    int32_t removed = 0;
    for (size_t i = n; i-- > 1;) {
        if (!duplicate[i]) continue;
        set.tracks.erase(set.tracks.begin() + static_cast<std::ptrdiff_t>(i));
        ++removed;
    }
    return removed;
}

namespace {

// Where a track ends: its first end-of-track event (the end of the list
// when it has none) and the absolute time there.
template <typename Position>
struct TrackEnd {
    Position endOfTrack;
    int64_t time = 0;
};

template <typename Track>
auto findTrackEnd(Track& track) {
    using Position = decltype(track.events.begin());
    int64_t t = 0;
    for (Position p = track.events.begin(); p != track.events.end(); ++p) {
        t += p->time;
        if (p->message.isEndOfTrack()) return TrackEnd<Position>{p, t};
    }
    return TrackEnd<Position>{track.events.end(), t};
}

}  // namespace

int64_t trackLength(const MidiTrack& track) { return findTrackEnd(track).time; }

// One walk per track finds its end; the end-of-track events are then moved
// out to the longest track's length.
int64_t equaliseTrackLengths(TrackSet& set) {
    std::vector<TrackEnd<EventPos>> ends;
    ends.reserve(set.tracks.size());
    int64_t longest = 0;
    for (MidiTrack& track : set.tracks) {
        ends.push_back(findTrackEnd(track));
        longest = std::max(longest, ends.back().time);
    }
    for (size_t i = 0; i < ends.size(); ++i) {
        const TrackEnd<EventPos>& end = ends[i];
        if (end.endOfTrack == set.tracks[i].end()) continue;
        // A delta holds 32 bits; a gap beyond that is shortened to fit.
        uint32_t& delta = end.endOfTrack->time;
        const int64_t room = std::numeric_limits<uint32_t>::max() - int64_t{delta};
        delta += static_cast<uint32_t>(std::min(longest - end.time, room));
    }
    return longest;
}

uint32_t beatLength(uint32_t division, uint8_t dd) {
    const unsigned power = std::min<unsigned>(dd, 6);
    return static_cast<uint32_t>((uint64_t{division} * 4) >> power);
}

int64_t computeInitialDelay(const TrackSet& set) {
    if (set.tracks.empty() || set.division == 0) return 0;
    int64_t firstNote = std::numeric_limits<int64_t>::max();
    for (const MidiTrack& track : set.tracks)
        firstNote = std::min(firstNote, firstNoteOnTime(track));

    const MidiTrack& first = set.tracks.front();
    const Signature start = startingSignature(first);
    const int64_t beat = beatLength(set.division, start.dd);
    const int64_t bar = barOf(start, set.division);
    const int64_t fallback = firstNote < beat ? firstNote : 0;

    if (!hasSignatureBeyondFirstBar(first, set.division)) return fallback;
    const GridDelay grid = delayFromSignatureGrid(first, set.division, bar);
    if (!grid.consistent) return fallback;
    return grid.delay > firstNote ? grid.delay - bar : grid.delay;
}

void removeInitialDelay(TrackSet& set, int64_t delay) {
    if (delay <= 0) return;
    for (MidiTrack& track : set.tracks) {
        int64_t t = 0;
        for (MidiEvent& e : track.events) {
            t += e.time;
            if (t > delay) {
                e.time = static_cast<uint32_t>(t - delay);
                break;
            }
            e.time = 0;
        }
        computeSwingStatistics(track);
    }
}

}  // namespace vl
