// The host's walk: one item list at a time (start items, guide strand or a
// strand), handed out item by item into the host's buffer.
#include "analysis/track_set_operations.h"
#include "notation/item_builder.h"
#include "notation/program_lookup.h"
#include "notation/strand_walk_index.h"
#include "session/import_session.h"

namespace vl {

void ImportSession::discardItems() {
    items_.reset();
    itemPosition_ = 0;
    walkIndex_.reset();
}

bool ImportSession::buildStrandItems(size_t strandIndex) {
    TrackSet& tracks = analysis_.tracks();
    const Strand& strand = analysis_.strands()[strandIndex];
    if (strand.trackIndex >= tracks.size()) {
        items_ = std::make_unique<ItemList>(vl::buildStrandItems(tracks, strand));
    } else {
        // The strands of a track follow each other: one index serves them all.
        MidiTrack& track = tracks.tracks[strand.trackIndex];
        if (!walkIndex_ || walkIndex_->trackIndex() != strand.trackIndex ||
            !walkIndex_->stillDescribes(track))
            walkIndex_ = std::make_unique<StrandWalkIndex>(track, strand.trackIndex);
        items_ = std::make_unique<ItemList>(vl::buildStrandItems(tracks, strand, *walkIndex_));
    }
    itemPosition_ = 0;
    return true;
}

bool ImportSession::getFirstStrand() {
    clearOutputMarks(analysis_.tracks());  // every note may be emitted again
    discardItems();
    if (analysis_.strands().empty()) {
        strandPosition_ = SIZE_MAX;
        return false;
    }
    strandPosition_ = 0;
    return buildStrandItems(strandPosition_);
}

bool ImportSession::getNextStrand() {
    // The walk index stays: the next strand is likely on the same track.
    items_.reset();
    itemPosition_ = 0;
    if (strandPosition_ >= analysis_.strands().size()) return false;
    ++strandPosition_;
    if (strandPosition_ >= analysis_.strands().size()) return false;
    return buildStrandItems(strandPosition_);
}

bool ImportSession::getGuideStrand() {
    discardItems();
    strandPosition_ = SIZE_MAX;
    if (analysis_.tracks().empty()) return false;
    items_ = std::make_unique<ItemList>(buildGuideItems(analysis_.tracks().tracks.front()));
    itemPosition_ = 0;
    return true;
}

bool ImportSession::getStartItems() {
    discardItems();
    items_ = std::make_unique<ItemList>(buildStartItems(analysis_.tracks()));
    itemPosition_ = 0;
    return true;
}

bool ImportSession::getFirstItem(ImportItem* out) {
    if (!items_ || items_->empty() || out == nullptr) return false;
    itemPosition_ = 0;
    *out = items_->at(0);
    return true;
}

bool ImportSession::getNextItem(ImportItem* out) {
    if (!items_ || out == nullptr) return false;
    if (itemPosition_ + 1 >= items_->size()) {
        itemPosition_ = items_->size();
        return false;
    }
    ++itemPosition_;
    *out = items_->at(itemPosition_);
    return true;
}

bool ImportSession::getStartVoicing(ImportItem* out) {
    if (out == nullptr || strandPosition_ >= analysis_.strands().size()) return false;
    const Strand& strand = analysis_.strands()[strandPosition_];
    ImportItem item{};
    item.type = itemtype::ProgramChange;
    item.action = itemaction::Append;
    item.arg1 = strand.channel;
    item.arg2 = programOfChannel(analysis_.tracks(), strand.channel);
    voicingItem_ = item;
    *out = item;
    return true;
}

const char* ImportSession::itemText(const ImportItem& item) const {
    return items_ ? items_->textOf(item) : nullptr;
}

}  // namespace vl
