#include "session/item_walk.h"

#include <algorithm>
#include <utility>

#include "analysis/track_set_operations.h"
#include "notation/item_builder.h"
#include "notation/program_lookup.h"
#include "notation/strand_walk_index.h"

namespace vl {

ItemWalk::ItemWalk(TrackSet& tracks, const std::vector<Strand>& strands)
    : tracks_(tracks), strands_(strands) {}

ItemWalk::~ItemWalk() = default;

void ItemWalk::reset() {
    discardItems();
    strandPosition_ = SIZE_MAX;
}

void ItemWalk::forgetTrackIndex() { walkIndex_.reset(); }

void ItemWalk::discardItems() {
    items_.reset();
    itemPosition_ = 0;
    walkIndex_.reset();
}

void ItemWalk::startList(ItemList items) {
    items_ = std::make_unique<ItemList>(std::move(items));
    itemPosition_ = 0;
}

bool ItemWalk::buildStrandItems(size_t strandIndex) {
    const Strand& strand = strands_[strandIndex];
    if (strand.trackIndex >= tracks_.size()) {
        startList(vl::buildStrandItems(tracks_, strand));
        return true;
    }
    // The strands of a track follow each other: one index serves them all.
    MidiTrack& track = tracks_.tracks[strand.trackIndex];
    if (!walkIndex_ || walkIndex_->trackIndex() != strand.trackIndex ||
        !walkIndex_->stillDescribes(track))
        walkIndex_ = std::make_unique<StrandWalkIndex>(track, strand.trackIndex);
    startList(vl::buildStrandItems(tracks_, strand, *walkIndex_));
    return true;
}

bool ItemWalk::openStartItems() {
    discardItems();
    startList(buildStartItems(tracks_));
    return true;
}

bool ItemWalk::openGuideStrand() {
    discardItems();
    strandPosition_ = SIZE_MAX;
    if (tracks_.empty()) return false;
    startList(buildGuideItems(tracks_.tracks.front()));
    return true;
}

bool ItemWalk::openFirstStrand() {
    clearOutputMarks(tracks_);  // every note may be emitted again
    discardItems();
    if (strands_.empty()) {
        strandPosition_ = SIZE_MAX;
        return false;
    }
    strandPosition_ = 0;
    return buildStrandItems(strandPosition_);
}

bool ItemWalk::openNextStrand() {
    // The walk index stays: the next strand is likely on the same track.
    items_.reset();
    itemPosition_ = 0;
    if (strandPosition_ >= strands_.size()) return false;
    ++strandPosition_;
    if (strandPosition_ >= strands_.size()) return false;
    return buildStrandItems(strandPosition_);
}

// A forward step that runs off the end of the strands leaves the position past
// the end; one step back from there is the last strand, whose list the failed
// step has discarded.
bool ItemWalk::openPreviousStrand() {
    // SIZE_MAX is no strand at all (guide strand, or no walk yet).
    if (strandPosition_ == SIZE_MAX) return false;
    const size_t current = std::min(strandPosition_, strands_.size());
    if (current == 0) return false;
    discardItems();
    strandPosition_ = current - 1;
    clearOutputMarks(tracks_);  // the strand's notes may be emitted again
    return buildStrandItems(strandPosition_);
}

bool ItemWalk::firstItem(ImportItem* out) {
    if (!items_ || items_->empty() || out == nullptr) return false;
    itemPosition_ = 0;
    *out = items_->at(0);
    return true;
}

bool ItemWalk::nextItem(ImportItem* out) {
    if (!items_ || out == nullptr) return false;
    if (itemPosition_ + 1 >= items_->size()) {
        itemPosition_ = items_->size();
        return false;
    }
    ++itemPosition_;
    *out = items_->at(itemPosition_);
    return true;
}

// After a forward step ran off the end of the list, one step back is the last
// item.
bool ItemWalk::previousItem(ImportItem* out) {
    if (!items_ || out == nullptr) return false;
    const size_t current = std::min(itemPosition_, items_->size());
    if (current == 0) return false;
    itemPosition_ = current - 1;
    *out = items_->at(itemPosition_);
    return true;
}

bool ItemWalk::startVoicing(ImportItem* out) {
    if (out == nullptr || strandPosition_ >= strands_.size()) return false;
    const Strand& strand = strands_[strandPosition_];
    ImportItem item{};
    item.type = itemtype::ProgramChange;
    item.action = itemaction::Append;
    item.arg1 = strand.channel;
    item.arg2 = programOfChannel(tracks_, strand.channel);
    *out = item;
    return true;
}

const char* ItemWalk::itemText(const ImportItem& item) const {
    return items_ ? items_->textOf(item) : nullptr;
}

}  // namespace vl
