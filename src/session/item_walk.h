#pragma once
// The host's walk: one item list at a time (the start items, the guide
// strand or a strand), handed out item by item into the host's buffer, with
// the backward steps the item viewer uses.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "midi/track_set.h"
#include "notation/item_list.h"
#include "notation/strand.h"

namespace vl {

class StrandWalkIndex;

class ItemWalk {
public:
    // Walks the strands over these tracks; both belong to the session's
    // analysis and outlive the walk.
    ItemWalk(TrackSet& tracks, const std::vector<Strand>& strands);
    ~ItemWalk();
    ItemWalk(const ItemWalk&) = delete;
    ItemWalk& operator=(const ItemWalk&) = delete;

    // Each of these makes a new list current; false when there is none.
    bool openStartItems();
    bool openGuideStrand();
    bool openFirstStrand();
    bool openNextStrand();
    // One strand back, its list built again: not from the guide strand or
    // before any strand was opened.
    bool openPreviousStrand();

    // Copy an item of the current list into out; false when there is none.
    bool firstItem(ImportItem* out);
    bool nextItem(ImportItem* out);
    bool previousItem(ImportItem* out);
    // The program change that starts the current strand.
    bool startVoicing(ImportItem* out);
    // The text of a text item of the current list; null when there is none.
    const char* itemText(const ImportItem& item) const;

    // Back to the state of a new session: no list, no strand.
    void reset();
    // Drops the index into the current strand's track, whose events are about
    // to be replaced; the list and the strand position stay.
    void forgetTrackIndex();

private:
    void discardItems();
    bool buildStrandItems(size_t strandIndex);
    void startList(ItemList items);

    TrackSet& tracks_;
    const std::vector<Strand>& strands_;
    std::unique_ptr<ItemList> items_;
    // The walk index of the current strand's track, kept while the host steps
    // through the strands of that track; dropped with the items.
    std::unique_ptr<StrandWalkIndex> walkIndex_;
    size_t itemPosition_ = 0;
    // Index of the current strand; strands_.size() once a step ran past the
    // last one (a step back returns to it), SIZE_MAX for no strand at all.
    size_t strandPosition_ = SIZE_MAX;
};

}  // namespace vl
