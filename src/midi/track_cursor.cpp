#include "midi/track_cursor.h"

#include <iterator>

namespace vl {

TrackCursor::TrackCursor(MidiTrack& track) : track_(&track), pos_(track.events.begin()) {
    if (!atEnd()) time_ = pos_->time;
}

int TrackCursor::quarterPhase() const {
    if (track_->division == 0) return 0;
    return static_cast<int>((timeSinceBar() * 4 / track_->division) & 3);
}

void TrackCursor::retreat() {
    if (!hasPrevious()) return;
    if (!atEnd() && pos_->message.isBarMarker()) {
        // Walk back to the previous bar marker (or the first event) to learn
        // how far back the bar before this one began.
        int64_t distance = 0;
        auto p = pos_;
        while (p != track_->events.begin()) {
            distance += p->time;
            --p;
            if (p->message.isBarMarker()) break;
        }
        barTime_ = time_ - distance;
    }
    if (!atEnd()) time_ -= pos_->time;
    --pos_;
}

bool TrackCursor::insertBefore(uint32_t d, MidiEvent e) {
    auto p = track_->insertBefore(pos_, d, std::move(e));
    if (p == track_->events.end()) return false;
    pos_ = p;
    time_ -= d;
    return true;
}

bool TrackCursor::seekInsertionPoint(int64_t t) {
    while (hasPrevious() && previousTime() > t) retreat();
    while (!atEnd() && time_ <= t) advance();
    return !atEnd();
}

}  // namespace vl
