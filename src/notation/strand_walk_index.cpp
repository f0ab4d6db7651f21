#include "notation/strand_walk_index.h"

#include "markers/marker_events.h"

namespace vl {

StrandWalkIndex::StrandWalkIndex(MidiTrack& track, size_t trackIndex)
    : track_(&track), trackIndex_(trackIndex) {
    size_t index = 0;
    int64_t time = 0;
    for (EventPos p = track.begin(); p != track.end(); ++p, ++index) {
        MidiEvent& e = *p;
        time += e.time;
        if (isBarKeyOrTime(e)) stops_.push_back({index, time});
        const bool structural = isStructuralEvent(e);
        if (structural) structural_.push_back({p, index, time});
        if (e.strand < 0) continue;
        const bool noteOn = isNoteOnCombined(e);
        if (structural && !noteOn) continue;
        StrandWalkEvents& lists = strands_[static_cast<uint32_t>(e.strand)];
        if (!structural) lists.own.push_back({p, index, time});
        if (!noteOn) continue;
        lists.onsets.push_back({index, time});
        if (e.testFlags(flag::ChordMember)) lists.mates.push_back({p, index, time});
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
