#include "midi/event_list.h"

#include <algorithm>
#include <new>

namespace vl {

EventList::EventList(const EventList& other) {
    resetEnds();
    for (const MidiEvent& e : other) push_back(e);
}

EventList::EventList(EventList&& other) noexcept {
    resetEnds();
    swap(other);
}

EventList& EventList::operator=(const EventList& other) {
    if (this != &other) {
        EventList copy(other);
        swap(copy);
    }
    return *this;
}

EventList& EventList::operator=(EventList&& other) noexcept {
    if (this != &other) {
        EventList taken(std::move(other));
        swap(taken);
    }
    return *this;
}

EventList::~EventList() { destroyAll(); }

// The ring runs through end_, so swapping two lists means swapping the
// members and then pointing each list's first and last node at its own end_.
void EventList::swap(EventList& other) noexcept {
    std::swap(end_, other.end_);
    std::swap(size_, other.size_);
    std::swap(free_, other.free_);
    std::swap(fresh_, other.fresh_);
    std::swap(freshEnd_, other.freshEnd_);
    chunks_.swap(other.chunks_);
    adoptEnds();
    other.adoptEnds();
}

void EventList::adoptEnds() {
    if (size_ == 0) {
        resetEnds();
        return;
    }
    end_.next->prev = &end_;
    end_.prev->next = &end_;
}

// Storage for one node: a node freed earlier, else the next slot of the
// newest chunk, else a new chunk twice the size of the last.
void* EventList::allocateNode() {
    if (free_ != nullptr) {
        void* slot = free_;
        free_ = free_->next;
        return slot;
    }
    if (fresh_ == freshEnd_) {
        const size_t count = chunkCapacity(chunks_.size());
        // The entry exists before the allocation, so a failed push leaks nothing.
        chunks_.push_back(nullptr);
        chunks_.back() = static_cast<Node*>(::operator new(count * sizeof(Node)));
        fresh_ = chunks_.back();
        freshEnd_ = fresh_ + count;
    }
    return fresh_++;
}

EventList::iterator EventList::insert(const_iterator pos, MidiEvent e) {
    Link* next = mutableLink(pos);
    void* slot = allocateNode();
    Node* node = ::new (slot) Node{{next->prev, next}, std::move(e)};
    next->prev->next = node;
    next->prev = node;
    ++size_;
    return iterator(node);
}

EventList::iterator EventList::erase(const_iterator pos) {
    Link* link = mutableLink(pos);
    Link* next = link->next;
    link->prev->next = next;
    next->prev = link->prev;
    --size_;
    static_cast<Node*>(link)->~Node();
    free_ = ::new (static_cast<void*>(link)) Link{nullptr, free_};
    return iterator(next);
}

void EventList::moveBefore(const_iterator pos, const_iterator from) {
    Link* link = mutableLink(from);
    Link* next = mutableLink(pos);
    if (link == next || link->next == next) return;
    link->prev->next = link->next;
    link->next->prev = link->prev;
    link->prev = next->prev;
    link->next = next;
    next->prev->next = link;
    next->prev = link;
}

EventList::iterator EventList::takeAllBefore(const_iterator pos, EventList& other) {
    if (other.empty() || &other == this) return iterator(mutableLink(pos));
    iterator first = insert(pos, std::move(other.front()));
    for (auto it = std::next(other.begin()); it != other.end(); ++it) insert(pos, std::move(*it));
    other.clear();
    return first;
}

// Chunk sizes double from the first up to the largest; the walks of compact
// find the slots of each chunk by the same rule.
size_t EventList::chunkCapacity(size_t chunkIndex) {
    size_t capacity = kFirstChunkNodes;
    for (size_t i = 0; i < chunkIndex && capacity < kLargestChunkNodes; ++i) capacity *= 2;
    return std::min(capacity, kLargestChunkNodes);
}

// Visits the node slots in allocation order. The event at list position j
// goes to slot j: either into a free slot, which takes its place in the list,
// or by trading events and list places with the later event whose node holds
// that slot. Slots before j already hold positions before j, so every trade
// settles one position for good.
void EventList::compact() {
    if (size_ == 0) return;
    size_t chunk = 0;
    Node* slot = chunks_[0];
    Node* slotEnd = slot + chunkCapacity(0);
    Link* pos = end_.next;
    for (size_t j = 0; j < size_; ++j, ++slot) {
        if (slot == slotEnd) {
            ++chunk;
            slot = chunks_[chunk];
            slotEnd = slot + chunkCapacity(chunk);
        }
        Link* target = slot;
        if (pos != target) {
            if (target->prev == nullptr) {
                moveEventInto(pos, target);
            } else {
                // The two nodes trade events and places in the list.
                std::swap(static_cast<Node*>(pos)->value, static_cast<Node*>(target)->value);
                Link* targetNext = target->next;
                moveBefore(const_iterator(pos), const_iterator(target));
                moveBefore(const_iterator(targetNext), const_iterator(pos));
            }
            pos = target;
        }
        pos = pos->next;
    }
    if (slot == slotEnd && chunk + 1 < chunks_.size()) {
        ++chunk;
        slot = chunks_[chunk];
    }
    rebuildFreeList(chunk, slot);
}

// The event at from moves into the free slot to, which takes its place in the
// list; from becomes a free slot.
void EventList::moveEventInto(Link* from, Link* to) {
    Node* source = static_cast<Node*>(from);
    Node* moved =
        ::new (static_cast<void*>(to)) Node{{from->prev, from->next}, std::move(source->value)};
    moved->prev->next = moved;
    moved->next->prev = moved;
    source->~Node();
    ::new (static_cast<void*>(from)) Link{nullptr, nullptr};
}

// Every slot from firstFree (in chunk chunkIndex) up to the unused rest of
// the newest chunk is free; they are chained in address order, so the next
// insertions fill the lowest ones first.
void EventList::rebuildFreeList(size_t chunkIndex, Node* firstFree) {
    free_ = nullptr;
    Link** tail = &free_;
    for (size_t c = chunkIndex; c < chunks_.size(); ++c) {
        Node* begin = c == chunkIndex ? firstFree : chunks_[c];
        Node* end = c + 1 == chunks_.size() ? fresh_ : chunks_[c] + chunkCapacity(c);
        for (Node* n = begin; n < end; ++n) {
            Link* link = ::new (static_cast<void*>(n)) Link{nullptr, nullptr};
            *tail = link;
            tail = &link->next;
        }
    }
}

void EventList::clear() {
    destroyAll();
    resetEnds();
    size_ = 0;
    free_ = nullptr;
    fresh_ = freshEnd_ = nullptr;
    chunks_.clear();
}

// Free-list nodes and the unused rest of the newest chunk hold no event, so
// only the nodes in the ring are destroyed before the chunks go.
void EventList::destroyAll() noexcept {
    for (Link* link = end_.next; link != &end_;) {
        Link* next = link->next;
        static_cast<Node*>(link)->~Node();
        link = next;
    }
    for (Node* chunk : chunks_) ::operator delete(chunk);
}

}  // namespace vl
