#include "support/timed_track.h"

#include <algorithm>
#include <tuple>

#include "analysis/duration_assessment.h"
#include "session/progress_reporter.h"

namespace vl::test {

MidiTrack assessedTrackOf(std::vector<TimedEvent> events, uint32_t division) {
    std::stable_sort(events.begin(), events.end(), [](const TimedEvent& a, const TimedEvent& b) {
        return std::tie(a.time, a.rank) < std::tie(b.time, b.rank);
    });
    MidiTrack track(division);
    int64_t previous = 0;
    for (TimedEvent& e : events) {
        e.event.time = static_cast<uint32_t>(e.time - previous);
        previous = e.time;
        track.append(e.event);
    }
    ProgressReporter quiet;
    assessTrack(track, quiet);
    return track;
}

}  // namespace vl::test
