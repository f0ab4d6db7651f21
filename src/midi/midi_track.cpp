#include "midi/midi_track.h"

#include <iterator>

namespace vl {

EventPos MidiTrack::append(MidiEvent e) {
    events.push_back(std::move(e));
    return std::prev(events.end());
}

EventPos MidiTrack::insertBefore(EventPos p, uint32_t ticksEarlier, MidiEvent e) {
    if (p == events.end() || ticksEarlier > p->time) return events.end();
    e.time = p->time - ticksEarlier;
    p->time = ticksEarlier;
    return events.insert(p, std::move(e));
}

EventPos MidiTrack::insertRunBefore(EventPos p, uint32_t ticksEarlier, EventList& run) {
    if (p == events.end() || ticksEarlier > p->time || run.empty()) return events.end();
    run.front().time = p->time - ticksEarlier;
    p->time = ticksEarlier;
    return events.takeAllBefore(p, run);
}

EventPos MidiTrack::erase(EventPos p) {
    if (p == events.end()) return p;
    auto next = std::next(p);
    if (next != events.end()) next->time += p->time;
    return events.erase(p);
}

}  // namespace vl
