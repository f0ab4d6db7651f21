#include "analysis/bar_line_location.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "analysis/tie_location.h"
#include "analysis/track_step_driver.h"
#include "markers/bar_groups.h"
#include "markers/marker_events.h"
#include "markers/marker_text.h"

namespace vl {

namespace {

bool isRealNote(const MidiMessage& m) { return m.isChannelMessage() && m.isNote(); }
bool isRealNoteOff(const MidiMessage& m) { return m.isChannelMessage() && m.isNoteOff(); }

// The first note-on, or the first event with a positive delta; the events
// before it (names, tempo, signatures at tick 0) stay ahead of the first bar.
EventPos findStartOfMusic(MidiTrack& track) {
    for (EventPos p = track.begin(); p != track.end(); ++p)
        if (p->time > 0 || isNoteOnCombined(p->message)) return p;
    return track.end();
}

// The state of one walk over a track: the bar length in force, the time since
// the last bar line, and in the second mode the notes sounding right now.
class BarLineWalk {
public:
    BarLineWalk(MidiTrack& track, bool withBarGroups, size_t maxBarMarkers, size_t maxTieEvents)
        : track_(track),
          parts_(withBarGroups ? barpart::All : barpart::BarMarker),
          withBarGroups_(withBarGroups),
          maxBarMarkers_(maxBarMarkers),
          maxTieEvents_(maxTieEvents),
          // A division of 0 gives no bar length at all: the track then keeps
          // only its opening bar marker, as one endless bar.
          barLength_(int64_t{4} * track.division) {}

    size_t count() const { return count_; }
    size_t tieEvents() const { return tieEvents_; }

    // The opening bar line lies at the time of the event before the start of
    // the music (tick 0), so the marker takes delta 0 and start keeps its own.
    void openFirstBar(EventPos start) {
        if (count_ >= maxBarMarkers_) return;
        track_.insertBefore(start, start->time, MidiEvent(0, barMarkerMessage()));
        ++count_;
    }

    void visit(EventPos p) {
        int64_t positionInBar = sinceBar_ + p->time;
        if (barLength_ > 0) positionInBar = crossBarLines(p);
        if (withBarGroups_ && isRealNote(p->message)) followNote(*p);
        if (isTimeSignatureCombined(p->message))
            positionInBar = changeBarLength(p, positionInBar);
        sinceBar_ = positionInBar;
    }

private:
    // Places every bar line that falls between the previous event and p (and
    // on p, unless p is a real note-off, which ends the bar it lies at the end
    // of). Returns p's time since the last bar line.
    int64_t crossBarLines(EventPos p) {
        const bool realOff = isRealNoteOff(p->message);
        int64_t t = p->time;
        // Never negative: a time signature that shortens the bar in progress
        // below its current length places the bar line at once (see below).
        int64_t rem = barLength_ - sinceBar_;
        while (t > rem || (t == rem && !realOff)) {
            if (count_ >= maxBarMarkers_)
                return countBarLinesWithoutMarkers(sinceBar_ + t, realOff);
            insertBarGroup(p, static_cast<uint32_t>(p->time - rem));
            t -= rem;
            sinceBar_ = 0;
            rem = barLength_;
        }
        return sinceBar_ + t;
    }

    // Past the marker limit the bar lines are only counted, in O(1) per event.
    int64_t countBarLinesWithoutMarkers(int64_t positionInBar, bool realOff) const {
        const int64_t position = positionInBar % barLength_;
        return position == 0 && realOff ? barLength_ : position;
    }

    // Links a bar group (or a lone bar marker) in front of p, ticksEarlier
    // ticks before it; p keeps the rest of its delta. Once the tie events
    // would pass their limit, only lone bar markers follow.
    void insertBarGroup(EventPos p, uint32_t ticksEarlier) {
        if (parts_ != barpart::BarMarker && 2 * sounding_.count() > maxTieEvents_ - tieEvents_)
            parts_ = barpart::BarMarker;
        EventList group = buildBarGroup(sounding_, 0, parts_);
        const size_t groupSize = group.size();
        if (track_.insertRunBefore(p, ticksEarlier, group) != track_.end() && groupSize > 1)
            tieEvents_ += groupSize - 1;
        ++count_;
    }

    void followNote(const MidiEvent& e) {
        const MidiMessage& m = e.message;
        if (m.isNoteOn())
            sounding_.markSounding(m.data1, m.channel(), e.strand);
        else
            sounding_.markSilent(m.data1, m.channel());
    }

    // The new length governs the bar in progress, counted from its start. A
    // signature whose bar length comes out as 0 (numerator 0, denominator
    // power above 6, or a tiny division) is ignored and the previous length
    // stays: a length of 0 would put endless bar lines on one tick.
    //
    // When the bar in progress is already longer than the new length, its end
    // would lie before the previous event, where nothing can be inserted. The
    // bar line goes directly before the time signature instead, so the new
    // signature opens the next bar, and the bars are counted from there.
    int64_t changeBarLength(EventPos p, int64_t positionInBar) {
        const uint32_t length = barLength(p->message, track_.division);
        if (length == 0) return positionInBar;
        barLength_ = length;
        if (positionInBar <= barLength_) return positionInBar;
        if (count_ < maxBarMarkers_) insertBarGroup(p, 0);
        return 0;
    }

    MidiTrack& track_;
    SoundingNotes sounding_;
    unsigned parts_;
    bool withBarGroups_;
    size_t maxBarMarkers_;
    size_t maxTieEvents_;
    size_t tieEvents_ = 0;
    int64_t barLength_;
    int64_t sinceBar_ = 0;
    size_t count_ = 0;
};

// What the limits of one track follow: the bar markers it already holds and
// its real note-ons, counted in one pass.
struct TrackCounts {
    size_t barMarkers = 0;
    size_t noteOns = 0;
};

TrackCounts countMarkersAndNotes(const MidiTrack& track) {
    TrackCounts counts;
    for (const MidiEvent& e : track.events) {
        if (e.message.isBarMarker()) ++counts.barMarkers;
        if (e.message.isChannelMessage() && e.message.isNoteOn()) ++counts.noteOns;
    }
    return counts;
}

}  // namespace

size_t barMarkerBudget(size_t realNoteOns) {
    return std::min(kMaxBarMarkersPerSet, kBarMarkerAllowance + kBarMarkersPerNote * realNoteOns);
}

StepResult locateBarLinesInTrack(MidiTrack& track, bool withBarGroups, ProgressReporter& progress,
                                 size_t maxBarMarkers, size_t maxTieEvents, size_t* tieEvents) {
    if (track.empty()) return StepResult::done();
    const EventPos start = findStartOfMusic(track);
    BarLineWalk walk(track, withBarGroups, maxBarMarkers, maxTieEvents);
    EventProgress events(progress, track.size());
    size_t index = 0;
    for (EventPos p = track.begin(); p != track.end(); ++p, ++index) {
        if (events.cancelledAt(index)) break;
        if (p == start) walk.openFirstBar(p);
        walk.visit(p);
    }
    if (tieEvents != nullptr) *tieEvents = walk.tieEvents();
    return StepResult::of(walk.count(), events.cancelled());
}

StepResult locateBarLines(TrackSet& tracks, bool withBarGroups, ProgressReporter& progress,
                          std::string_view caption) {
    std::vector<TrackCounts> counts;
    counts.reserve(tracks.size());
    size_t noteOns = 0;
    size_t held = 0;
    for (const MidiTrack& track : tracks.tracks) {
        counts.push_back(countMarkersAndNotes(track));
        noteOns += counts.back().noteOns;
        held += counts.back().barMarkers;
    }
    size_t setBudget = barMarkerBudget(noteOns);
    setBudget -= std::min(setBudget, held);
    size_t tieSetBudget = kMaxTieEventsPerSet;
    return runTrackStep(progress, tracks, caption, [&](MidiTrack& track, size_t index) {
        const TrackCounts& own = counts[index];
        const size_t limit =
            std::min(kMaxBarMarkersPerTrack - std::min(kMaxBarMarkersPerTrack, own.barMarkers),
                     setBudget);
        const size_t tieLimit =
            std::min({kMaxTieEventsPerTrack, tieSetBudget, tieEventBudget(own.noteOns)});
        size_t tieEvents = 0;
        const StepResult placed =
            locateBarLinesInTrack(track, withBarGroups, progress, limit, tieLimit, &tieEvents);
        setBudget -= static_cast<size_t>(placed.count);
        tieSetBudget -= tieEvents;
        return placed;
    });
}

}  // namespace vl
