#pragma once
// One track: delta-timed events in a linked list, so that the analysis can
// insert and erase at a position in O(1) while other positions stay valid.

#include <array>
#include <cstdint>

#include "midi/event_list.h"
#include "midi/midi_event.h"

namespace vl {

using EventPos = EventList::iterator;
using ConstEventPos = EventList::const_iterator;

// Timing of note-ons against the sixteenth-note grid, per class 0 to 3
// (the sixteenth slot within the quarter note).
struct SwingStatistics {
    std::array<int32_t, 4> count{};
    std::array<int32_t, 4> offsetSum{};
    std::array<int32_t, 4> offsetSquares{};
    void clear() { *this = SwingStatistics{}; }
};

class MidiTrack {
public:
    std::array<char, 4> chunkType{'M', 'T', 'r', 'k'};
    uint32_t chunkLength = 0;
    uint32_t division = 0;
    uint16_t channelMask = 0;
    SwingStatistics swing;
    EventList events;

    MidiTrack() = default;
    explicit MidiTrack(uint32_t div) : division(div) {}

    bool empty() const { return events.empty(); }
    size_t size() const { return events.size(); }
    EventPos begin() { return events.begin(); }
    EventPos end() { return events.end(); }

    // Adds at the end; the event's time is its delta.
    EventPos append(MidiEvent e);
    // Inserts e so that it lies ticksEarlier ticks before the event at p.
    // Refused (returns end()) when p is the end or ticksEarlier exceeds p's delta.
    EventPos insertBefore(EventPos p, uint32_t ticksEarlier, MidiEvent e);
    // Moves a run of events in front of p, the first one ticksEarlier ticks
    // before p; the others keep their deltas, and the run is left empty.
    // Returns the position of the first inserted event; end() when refused
    // (p is the end, ticksEarlier exceeds p's delta or the run is empty), and
    // then the run is left untouched.
    EventPos insertRunBefore(EventPos p, uint32_t ticksEarlier, EventList& run);
    // Removes the event at p, handing its delta to the next event. Returns the
    // position of the next event.
    EventPos erase(EventPos p);
    bool usesChannel(int c) const { return c >= 0 && c < 16 && ((channelMask >> c) & 1) != 0; }
};

}  // namespace vl
