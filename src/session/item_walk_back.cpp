// Backward steps through strands and items, used by the item viewer.
//
// A forward step that runs off the end of the items (or of the strands) leaves
// the position past the end; one step back from there is the last item (or
// the last strand, whose list the failed strand step has discarded).
#include <algorithm>

#include "analysis/track_set_operations.h"
#include "session/import_session.h"

namespace vl {

bool ImportSession::getPreviousItem(ImportItem* out) {
    if (!items_ || out == nullptr) return false;
    const size_t current = std::min(itemPosition_, items_->size());
    if (current == 0) return false;
    itemPosition_ = current - 1;
    *out = items_->at(itemPosition_);
    return true;
}

bool ImportSession::getPreviousStrand() {
    // SIZE_MAX is no strand at all (guide strand, or no walk yet).
    if (strandPosition_ == SIZE_MAX) return false;
    const size_t current = std::min(strandPosition_, analysis_.strands().size());
    if (current == 0) return false;
    discardItems();
    strandPosition_ = current - 1;
    clearOutputMarks(analysis_.tracks());  // the strand's notes may be emitted again
    return buildStrandItems(strandPosition_);
}

}  // namespace vl
