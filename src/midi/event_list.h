#pragma once
// The events of one track: a doubly linked list whose nodes come from the
// list's own pool. Insert and erase at a position cost O(1) and leave every
// other position valid. A node carries no allocator header, and the nodes of
// a list are carved from large chunks in the order they are made, so a walk
// over a freshly read track runs through memory front to back.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>
#include <utility>
#include <vector>

#include "midi/midi_event.h"

namespace vl {

class EventList {
    struct Link {
        Link* prev;
        Link* next;
    };
    struct Node : Link {
        MidiEvent value;
    };

public:
    template <bool IsConst>
    class Iterator {
        using LinkPtr = std::conditional_t<IsConst, const Link*, Link*>;
        using NodePtr = std::conditional_t<IsConst, const Node*, Node*>;

    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = MidiEvent;
        using difference_type = std::ptrdiff_t;
        using pointer = std::conditional_t<IsConst, const MidiEvent*, MidiEvent*>;
        using reference = std::conditional_t<IsConst, const MidiEvent&, MidiEvent&>;

        Iterator() = default;
        // A position can always be read through a read-only position.
        template <bool C = IsConst, typename = std::enable_if_t<C>>
        Iterator(const Iterator<false>& other) : link_(other.link_) {}  // NOLINT: implicit

        reference operator*() const { return static_cast<NodePtr>(link_)->value; }
        pointer operator->() const { return &static_cast<NodePtr>(link_)->value; }
        Iterator& operator++() {
            link_ = link_->next;
            prefetchAhead(link_);
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            link_ = link_->next;
            return before;
        }
        Iterator& operator--() {
            link_ = link_->prev;
            return *this;
        }
        Iterator operator--(int) {
            Iterator before = *this;
            link_ = link_->prev;
            return before;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) { return a.link_ == b.link_; }

    private:
        friend class EventList;
        template <bool>
        friend class Iterator;
        // Nodes lie in memory mostly in list order (see compact), so the
        // memory a stretch ahead of this node holds the events a forward walk
        // reaches next. Asking for it now hides the wait for memory, which a
        // walk would otherwise pay at nearly every node of a large track. A
        // prefetch of an address the list does not own is harmless.
        static void prefetchAhead(const Link* link) {
            constexpr uintptr_t kBytesAhead = 4096;
            __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(link) +
                                                             kBytesAhead));
        }
        explicit Iterator(LinkPtr link) : link_(link) {}
        LinkPtr link_ = nullptr;
    };

    using value_type = MidiEvent;
    using size_type = size_t;
    using iterator = Iterator<false>;
    using const_iterator = Iterator<true>;
    using reverse_iterator = std::reverse_iterator<iterator>;
    using const_reverse_iterator = std::reverse_iterator<const_iterator>;

    EventList() { resetEnds(); }
    EventList(const EventList& other);
    EventList(EventList&& other) noexcept;
    EventList& operator=(const EventList& other);
    EventList& operator=(EventList&& other) noexcept;
    ~EventList();

    iterator begin() { return iterator(end_.next); }
    iterator end() { return iterator(&end_); }
    const_iterator begin() const { return const_iterator(end_.next); }
    const_iterator end() const { return const_iterator(&end_); }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }
    reverse_iterator rbegin() { return reverse_iterator(end()); }
    reverse_iterator rend() { return reverse_iterator(begin()); }
    const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
    const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    MidiEvent& front() { return *begin(); }
    const MidiEvent& front() const { return *begin(); }
    MidiEvent& back() { return *std::prev(end()); }
    const MidiEvent& back() const { return *std::prev(end()); }

    void push_back(MidiEvent e) { insert(end(), std::move(e)); }
    // Inserts e in front of pos and returns its position.
    iterator insert(const_iterator pos, MidiEvent e);
    // Removes the event at pos (not the end) and returns the next position.
    iterator erase(const_iterator pos);
    void pop_front() { erase(begin()); }
    void pop_back() { erase(std::prev(end())); }
    void clear();
    // Puts the events in memory in list order, so that a walk along the list
    // reads memory front to back, and makes the freed nodes the next ones to
    // be used. Linear in the number of nodes ever allocated; needs no memory.
    // Every position changes: call it only while no position is held.
    void compact();

    // Moves the event at from in front of pos within this list; every
    // position stays valid and keeps its event.
    void moveBefore(const_iterator pos, const_iterator from);
    // Moves every event of other, in order, in front of pos and empties
    // other. The events get new positions here; returns the first of them,
    // or pos when other was empty.
    iterator takeAllBefore(const_iterator pos, EventList& other);

private:
    // Chunks double from a few nodes (bar groups are lists of a handful of
    // events) up to this many.
    static constexpr size_t kFirstChunkNodes = 8;
    static constexpr size_t kLargestChunkNodes = 1024;

    static Link* mutableLink(const_iterator pos) { return const_cast<Link*>(pos.link_); }
    void resetEnds() { end_.prev = end_.next = &end_; }
    void adoptEnds();
    void* allocateNode();
    static size_t chunkCapacity(size_t chunkIndex);
    static void moveEventInto(Link* from, Link* to);
    void rebuildFreeList(size_t chunkIndex, Node* firstFree);
    void destroyAll() noexcept;
    void swap(EventList& other) noexcept;

    Link end_{};  // the end position; its links close the ring
    size_t size_ = 0;
    Link* free_ = nullptr;  // destroyed nodes, chained through next
    Node* fresh_ = nullptr;  // the unused rest of the newest chunk
    Node* freshEnd_ = nullptr;
    std::vector<Node*> chunks_;
};

}  // namespace vl
