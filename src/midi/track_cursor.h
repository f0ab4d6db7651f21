#pragma once
// A position in one track that keeps the absolute time of its event and the
// time of the latest bar marker passed. Absolute times are 64-bit so that no
// sum of 32-bit deltas can overflow.

#include <cstdint>

#include "midi/midi_track.h"

namespace vl {

class TrackCursor {
public:
    explicit TrackCursor(MidiTrack& track);

    MidiTrack& track() const { return *track_; }
    EventPos position() const { return pos_; }
    MidiEvent& event() const { return *pos_; }
    bool atEnd() const { return pos_ == track_->events.end(); }
    bool hasPrevious() const { return pos_ != track_->events.begin(); }

    int64_t time() const { return time_; }
    int64_t barTime() const { return barTime_; }
    int64_t timeSinceBar() const { return time_ - barTime_; }
    // Absolute time of the previous event (time minus the current delta).
    int64_t previousTime() const { return atEnd() ? time_ : time_ - pos_->time; }
    // Sixteenth-note slot 0 to 3 within the current quarter note.
    int quarterPhase() const;

    // Called at every step of every walk, so it is kept inline.
    void advance() {
        if (atEnd()) return;
        ++pos_;
        if (atEnd()) return;
        time_ += pos_->time;
        if (pos_->message.isBarMarker()) barTime_ = time_;
    }
    void retreat();
    // Inserts e d ticks before the current event; the cursor then stands on
    // the new event. False (nothing inserted) when d exceeds the current delta.
    bool insertBefore(uint32_t d, MidiEvent e);
    // Moves to the first event later than absoluteTime, so an insertion there
    // goes after every event already at that time. False at the end of the track.
    bool seekInsertionPoint(int64_t absoluteTime);
    // Re-positions onto p whose absolute time the caller knows.
    void reposition(EventPos p, int64_t absoluteTime) {
        pos_ = p;
        time_ = absoluteTime;
    }
    void setTime(int64_t t) { time_ = t; }
    void setBarTime(int64_t t) { barTime_ = t; }

private:
    MidiTrack* track_;
    EventPos pos_;
    int64_t time_ = 0;
    int64_t barTime_ = 0;
};

}  // namespace vl
