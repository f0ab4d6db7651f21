// The guide strand: the bar lines, time signatures and tempo changes of one
// track (the first), each followed by rests up to the next of them.

#include <vector>

#include "markers/marker_events.h"
#include "notation/item_builder.h"
#include "notation/item_makers.h"

namespace vl {

namespace {

// For each event, the absolute time of the next bar marker, key or time
// signature or tempo after it (the last event's time when there is none),
// from one backward pass, so that no event needs a walk of its own.
std::vector<int64_t> nextStopTimes(const MidiTrack& track, const std::vector<int64_t>& times) {
    std::vector<int64_t> next(times.size());
    int64_t stop = times.empty() ? 0 : times.back();
    size_t i = times.size();
    for (auto e = track.events.rbegin(); e != track.events.rend(); ++e) {
        --i;
        next[i] = stop;
        if (isBarKeyTimeOrTempo(e->message)) stop = times[i];
    }
    return next;
}

std::vector<int64_t> absoluteTimes(const MidiTrack& track) {
    std::vector<int64_t> times;
    times.reserve(track.size());
    int64_t time = 0;
    for (const MidiEvent& e : track.events) {
        time += e.time;
        times.push_back(time);
    }
    return times;
}

}  // namespace

ItemList buildGuideItems(const MidiTrack& track) {
    ItemList list(track.division, 4, 2);
    const std::vector<int64_t> times = absoluteTimes(track);
    const std::vector<int64_t> nextStop = nextStopTimes(track, times);

    int64_t sinceBar = 0;
    size_t i = 0;
    for (auto e = track.events.begin(); e != track.events.end() && !list.full(); ++e, ++i) {
        const MidiMessage& m = e->message;
        ImportItem item{};
        if (m.isBarMarker()) {
            sinceBar = 0;
            item = makeItem(itemtype::Barline);
        } else {
            sinceBar += e->time;
            if (isTimeSignatureCombined(m)) {
                readTimeSignature(m, list.numerator, list.denominatorExponent);
                item = makeItem(itemtype::TimeSignature, list.numerator, list.denominatorExponent);
            } else if (isTempoCombined(m)) {
                item = tempoItem(quartersPerMinuteOf(m));
            } else {
                continue;  // key signatures only end a rest span here
            }
        }
        list.add(item);
        addRests(list, sinceBar, nextStop[i] - times[i], 0);
    }
    return list;
}

}  // namespace vl
