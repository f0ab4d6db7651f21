#include "notation/strand_walk_index.h"

#include "markers/marker_events.h"

namespace vl {

namespace {

enum class WalkList { Stops, Structural, Own, Onsets, Mates };

uint32_t strandOf(const MidiEvent& e) { return static_cast<uint32_t>(e.strand); }

// How many entries each list of the index will get, so that every list is
// allocated once at its final size: the index of a large track is the largest
// allocation of the item walk, and growing it by doubling would hold up to
// three times its size at the moment it grows.
struct WalkIndexSizes {
    size_t stops = 0;
    size_t structural = 0;
    struct Strand {
        size_t own = 0;
        size_t onsets = 0;
        size_t mates = 0;
    };
    std::unordered_map<uint32_t, Strand> strands;
};

// The one rule that sorts an event into the index's lists: add(list) is
// called once for every list the event belongs to.
template <typename Add>
void sortIntoLists(MidiEvent& e, Add&& add) {
    if (isBarKeyOrTime(e)) add(WalkList::Stops);
    const bool structural = isStructuralEvent(e);
    if (structural) add(WalkList::Structural);
    if (e.strand < 0) return;
    const bool noteOn = isNoteOnCombined(e);
    if (structural && !noteOn) return;
    if (!structural) add(WalkList::Own);
    if (!noteOn) return;
    add(WalkList::Onsets);
    if (e.testFlags(flag::ChordMember)) add(WalkList::Mates);
}

WalkIndexSizes countListEntries(MidiTrack& track) {
    WalkIndexSizes sizes;
    for (MidiEvent& e : track.events) {
        WalkIndexSizes::Strand* counts = nullptr;
        const auto strandCounts = [&]() -> WalkIndexSizes::Strand& {
            if (counts == nullptr) counts = &sizes.strands[strandOf(e)];
            return *counts;
        };
        sortIntoLists(e, [&](WalkList list) {
            switch (list) {
                case WalkList::Stops: ++sizes.stops; break;
                case WalkList::Structural: ++sizes.structural; break;
                case WalkList::Own: ++strandCounts().own; break;
                case WalkList::Onsets: ++strandCounts().onsets; break;
                case WalkList::Mates: ++strandCounts().mates; break;
            }
        });
    }
    return sizes;
}

}  // namespace

StrandWalkIndex::StrandWalkIndex(MidiTrack& track, size_t trackIndex)
    : track_(&track), trackIndex_(trackIndex) {
    const WalkIndexSizes sizes = countListEntries(track);
    stops_.reserve(sizes.stops);
    structural_.reserve(sizes.structural);
    for (const auto& [number, counts] : sizes.strands) {
        StrandWalkEvents& lists = strands_[number];
        lists.own.reserve(counts.own);
        lists.onsets.reserve(counts.onsets);
        lists.mates.reserve(counts.mates);
    }
    size_t index = 0;
    int64_t time = 0;
    for (EventPos p = track.begin(); p != track.end(); ++p, ++index) {
        MidiEvent& e = *p;
        time += e.time;
        // Looked up once per event, and only for events of a strand.
        StrandWalkEvents* lists = nullptr;
        const auto strandLists = [&]() -> StrandWalkEvents& {
            if (lists == nullptr) lists = &strands_[strandOf(e)];
            return *lists;
        };
        sortIntoLists(e, [&](WalkList list) {
            switch (list) {
                case WalkList::Stops: stops_.push_back({index, time}); break;
                case WalkList::Structural: structural_.push_back({p, index, time}); break;
                case WalkList::Own: strandLists().own.push_back({p, index, time}); break;
                case WalkList::Onsets: strandLists().onsets.push_back({index, time}); break;
                case WalkList::Mates: strandLists().mates.push_back({p, index, time}); break;
            }
        });
    }
    eventCount_ = index;
    lastTime_ = time;
    if (!track.empty()) {
        first_ = &track.events.front();
        last_ = &track.events.back();
    }
}

bool StrandWalkIndex::stillDescribes(const MidiTrack& track) const {
    if (&track != track_ || track.size() != eventCount_) return false;
    if (track.empty()) return first_ == nullptr;
    return &track.events.front() == first_ && &track.events.back() == last_;
}

const StrandWalkEvents& StrandWalkIndex::strand(uint32_t number) const {
    const auto found = strands_.find(number);
    return found == strands_.end() ? none_ : found->second;
}

}  // namespace vl
