// Backward steps through strands and items, used by the item viewer.
//
// A forward step that runs off the end of the items (or of the strands) leaves
// the position past the end while the caller still stands on the last one; a
// step back from there goes to the one before the last, so that forward and
// back again always pass the same items.
#include <algorithm>

#include "analysis/track_set_operations.h"
#include "session/import_session.h"

namespace vl {

bool ImportSession::getPreviousItem(ImportItem* out) {
    if (!items_ || items_->empty() || out == nullptr) return false;
    const size_t current = std::min(itemPosition_, items_->size() - 1);
    if (current == 0) return false;
    itemPosition_ = current - 1;
    *out = items_->at(itemPosition_);
    return true;
}

bool ImportSession::getPreviousStrand() {
    if (strands_.empty() || strandPosition_ == SIZE_MAX) return false;
    const size_t current = std::min(strandPosition_, strands_.size() - 1);
    if (current == 0) return false;
    discardItems();
    strandPosition_ = current - 1;
    clearOutputMarks(tracks_);  // the strand's notes may be emitted again
    return buildStrandItems(strandPosition_);
}

}  // namespace vl
