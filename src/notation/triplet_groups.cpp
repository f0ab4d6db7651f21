#include "notation/triplet_groups.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "analysis/duration_assessment.h"
#include "analysis/track_operations.h"
#include "analysis/track_step_driver.h"
#include "markers/bar_groups.h"
#include "markers/marker_events.h"
#include "markers/marker_text.h"
#include "midi/track_cursor.h"
#include "notation/strand_pass.h"

namespace vl {

namespace {

// Flag bits a rejected candidate loses.
constexpr uint16_t kRejectMask = 0x002F;
constexpr uint8_t kNoChannel = 0xFF;

bool isCandidate(const MidiEvent& e, int16_t strand) {
    return isStrandNoteOn(e, strand) && e.testFlags(flag::Triplet);
}

bool isPlainStrandNoteOn(const MidiEvent& e, int16_t strand) {
    return isStrandNoteOn(e, strand) && !e.testFlags(flag::Triplet);
}

bool isBar(const MidiEvent& e) { return e.message.isBarMarker(); }

bool isWhole(int64_t ticks, uint32_t division) { return (ticks * 16) % division == 0; }

struct Entry {
    int64_t position = 0;  // ticks since the bar marker
    int64_t length = 0;    // duration2, 0 for a bar marker
    int64_t interval = 0;  // duration1, or the bar marker's gap
    bool bar = false;
};

// One run of candidates between its bounds S (the bar marker or plain note
// before it, which gives the first entry) and E (the event after it). A group
// lies within one bar, and so do its edits; the walk re-measures the bar once
// it leaves it. barStale: an earlier group edited this bar, so the notes read
// as entries are measured first.
class TripletGroup {
public:
    TripletGroup(MidiTrack& track, int16_t strand, const QuantisationSettings& settings,
                 const TrackCursor& candidate, bool barStale)
        : track_(track),
          strand_(strand),
          settings_(settings),
          division_(track.division),
          allowPairs_(settings.swingDetected() == 0),
          barStale_(barStale),
          candidate_(candidate),
          start_(candidate),
          end_(candidate) {}

    // Tests the group and marks or rejects it. Returns the cursor on E.
    TrackCursor run() {
        findBounds();
        collectEntries();
        accepted_ = decide();
        if (accepted_)
            markAccepted();
        else
            reject();
        return end_;
    }

    bool accepted() const { return accepted_; }
    bool deletedAny() const { return deletedAny_; }
    // True when the group inserted or moved events: its bar needs measuring.
    bool changedBar() const { return changedBar_; }

private:
    // ---- Bounds and entries ----

    void findBounds() {
        start_ = candidate_;
        while (start_.hasPrevious()) {
            start_.retreat();
            if (isBar(start_.event()) || isPlainStrandNoteOn(start_.event(), strand_)) break;
        }
        if (isStrandNoteOn(start_.event(), strand_) && start_.event().time == 0) {
            // A chord: its first note-on of the strand opens the group.
            while (start_.hasPrevious() && start_.event().time == 0) start_.retreat();
            while (!start_.atEnd() && !isStrandNoteOn(start_.event(), strand_)) start_.advance();
        }
        end_ = candidate_;
        do {
            end_.advance();
        } while (!end_.atEnd() && !isBar(end_.event()) &&
                 !isPlainStrandNoteOn(end_.event(), strand_));
    }

    bool atEnd(const TrackCursor& c) const { return c.atEnd() || c.position() == end_.position(); }

    // Ticks from the bar marker under c to the strand's next note-on or the
    // next bar marker or signature; 0 when the track ends first.
    int64_t gapAfterBar(TrackCursor c) const {
        const int64_t from = c.time();
        for (c.advance(); !c.atEnd(); c.advance()) {
            const MidiEvent& e = c.event();
            if (isStrandNoteOn(e, strand_) || isBarKeyOrTime(e)) return c.time() - from;
        }
        return 0;
    }

    // Measures the note at c again, as re-measuring its bar would.
    void remeasure(const TrackCursor& c) {
        c.event().clearDurations();
        assessNote(track_, c.position());
    }

    void collectEntries() {
        count_ = 0;
        channel_ = kNoChannel;
        int64_t lastTime = -1;
        bool lastIsBar = false;
        for (TrackCursor c = start_; !atEnd(c) && count_ < 4; c.advance()) {
            const MidiEvent& e = c.event();
            // A note of the strand on the bar line is the group's real first
            // entry; the bar marker only stands for a first third without a note
            // (so a group accepted from a bar line is accepted again on a re-run).
            const bool replacesBar =
                lastIsBar && c.time() == lastTime && isStrandNoteOn(e, strand_);
            if (replacesBar) {
                --count_;
            } else if (c.time() <= lastTime) {
                continue;
            }
            lastIsBar = isBar(e);
            // Only the first three entries are kept; a fourth only counts.
            if (isBar(e)) {
                if (count_ < 3) entries_[count_] = Entry{c.timeSinceBar(), 0, gapAfterBar(c), true};
                ++count_;
            } else if (isStrandNoteOn(e, strand_)) {
                if (barStale_ && count_ < 3) remeasure(c);
                if (count_ < 3)
                    entries_[count_] = Entry{c.timeSinceBar(), e.duration2, e.duration1, false};
                ++count_;
                if (channel_ == kNoChannel) channel_ = static_cast<uint8_t>(channelOf(e));
            } else {
                continue;
            }
            lastTime = c.time();
        }
    }

    // ---- Decision ----

    bool decide() {
        // Without a grid there are no triplets (and 2 x division must not wrap).
        if (division_ == 0 || division_ > kMaxGridDivision) return false;
        if (count_ == 3) {
            const Entry* d = entries_.data();
            if (d[0].interval == d[1].interval && d[1].interval == d[2].interval)
                return equalIntervalTest(d[0].interval);
            return unevenTest();
        }
        if (count_ == 2 && allowPairs_) {
            if (entries_[0].interval == 2 * entries_[1].interval) return longShortTest();
            return pairTest();
        }
        return false;
    }

    bool accept(int64_t spanTicks) {
        spanValue_ = spanValueOf(spanTicks, division_);
        return spanValue_ != kNoSpanValue;
    }

    bool equalIntervalTest(int64_t d) {
        if (d <= 0) return false;
        const Entry& first = entries_[0];
        if (first.bar) {
            // The first third starts at the bar line without a note: a rest fills it.
            if (!accept(3 * d)) return false;
            insertPlaceholder(start_.time(), d);
            findBounds();
            return true;
        }
        return (2 * first.position) % (3 * d) == 0 && accept(3 * d);
    }

    bool unevenTest() {
        const Entry& e0 = entries_[0];
        const Entry& e1 = entries_[1];
        const Entry& e2 = entries_[2];
        int64_t g = 2 * e1.interval;
        if (!isWhole(g, division_)) g = 3 * e1.interval;
        if (!isWhole(g, division_) || g <= 0 || g % 3 != 0) return false;
        const int64_t u = g / 3;
        const int64_t s = e1.position - u;
        const int64_t e = s + g;
        const int64_t t = e1.position + u;
        if (e2.position != t && e2.position - t != u / 2) return false;
        if (e2.position + e2.interval < e) return false;
        if (e0.position > s || s < 0 || (2 * s) % g != 0) return false;
        // The value is checked first so that a group without one changes nothing.
        if (!accept(g)) return false;
        const int64_t lastEnd = e2.position + e2.length;
        return alignStart(s, u) && alignEnd(e, lastEnd);
    }

    bool longShortTest() {
        const Entry& e0 = entries_[0];
        const Entry& e1 = entries_[1];
        if (e1.interval <= 0) return false;
        const uint8_t a = metricLevel(e0.position, division_);
        // The level of the second onset as it would lie in plain time (x 3/2).
        const uint8_t b = metricLevel(3 * e1.position, 2 * division_);
        if (a >= b || !accept(e0.interval + e1.interval)) return false;
        if (e0.bar) {
            if (!insertPlaceholder(start_.time(), e0.interval)) return false;
            findBounds();
        }
        return true;
    }

    // Two onsets that are not long-short give no evidence of a triplet.
    bool pairTest() { return false; }

    // ---- Edge alignment ----

    bool alignStart(int64_t s, int64_t u) {
        const Entry& first = entries_[0];
        const int64_t gap = s - first.position;
        const int64_t x = start_.barTime() + s;
        if (gap < first.length) {
            if (gap == 0) return true;
            if (gap < 0) return false;
            if (!splitStrandNotesAt(x)) return false;
            findBounds();
            return true;
        }
        if (!insertPlaceholder(x, u)) return false;
        findBounds();
        return true;
    }

    bool alignEnd(int64_t e, int64_t lastEnd) {
        const int64_t y = start_.barTime() + e;
        const int64_t over = lastEnd - e;
        if (over > 0) {
            if (!splitStrandNotesAt(y)) return false;
            findBounds();
            return true;
        }
        const int64_t rest = end_.time() - y;
        if (rest < 1) return true;
        if (!insertPlaceholder(y, rest)) return false;
        findBounds();
        return true;
    }

    // Splits the strand's notes sounding at time x there with proprietary
    // note-offs and note-ons, so that they are tied across x.
    bool splitStrandNotesAt(int64_t x) {
        SoundingNotes sounding;
        TrackCursor c = start_;
        auto follow = [&](const MidiEvent& e) {
            if (isStrandNoteOn(e, strand_)) {
                sounding.markSounding(keyOf(e), channelOf(e), strand_);
            } else if (isNoteOffCombined(e)) {
                sounding.markSilent(keyOf(e), channelOf(e));
            }
        };
        for (; !c.atEnd() && c.time() < x; c.advance()) follow(c.event());
        // Notes that end exactly at x are not split.
        for (; !c.atEnd() && c.time() == x && isNoteOffCombined(c.event()); c.advance())
            follow(c.event());
        if (!sounding.anySounding()) return true;
        if (c.atEnd()) return false;
        EventList group =
            buildStrandBarGroup(sounding, 0, barpart::NoteOffs | barpart::NoteOns, strand_);
        const EventPos at = c.position();
        if (track_.insertRunBefore(at, static_cast<uint32_t>(c.time() - x), group) == track_.end())
            return false;
        changedBar_ = true;
        return true;
    }

    // A placeholder note (key 0xFE) of the strand from x for n ticks. False,
    // with nothing left behind, when the track ends before x + n.
    bool insertPlaceholder(int64_t x, int64_t n) {
        if (channel_ > 15 || n <= 0) return false;
        TrackCursor c = start_;
        if (!c.seekInsertionPoint(x) || c.time() < x) return false;
        if (!c.insertBefore(static_cast<uint32_t>(c.time() - x), placeholder(true))) return false;
        const EventPos on = c.position();
        while (!c.atEnd() && c.time() < x + n) c.advance();
        if (c.atEnd() || !c.insertBefore(static_cast<uint32_t>(c.time() - (x + n)),
                                         placeholder(false))) {
            track_.erase(on);
            return false;
        }
        changedBar_ = true;
        return true;
    }

    MidiEvent placeholder(bool on) const {
        MidiEvent e(0, proprietaryNoteMessage(on, channel_, kPlaceholderKey));
        e.strand = strand_;
        return e;
    }

    // ---- Outcome ----

    void markAccepted() {
        const uint16_t marks = static_cast<uint16_t>(flag::Triplet | spanValue_);
        for (TrackCursor c = start_; !atEnd(c); c.advance())
            if (isStrandNoteOn(c.event(), strand_)) c.event().setRhythmMarks(marks);
    }

    // Candidates lose their marks and move to the stronger plain grid point.
    void reject() {
        if (start_.atEnd()) return;
        bool moved = false;
        TrackCursor c = start_;
        for (c.advance(); !atEnd(c); c.advance()) {
            MidiEvent& e = c.event();
            if (!isCandidate(e, strand_)) continue;
            e.clearFlags(kRejectMask);
            // Never back across the bar line.
            const int64_t offset =
                std::max<int64_t>(settings_.tempoOffset(c.time()), -c.timeSinceBar());
            if (offset == 0) continue;
            moved = true;
            const size_t passed = shiftEvent(c, offset);
            if (c.event().message.isDeletedMarker()) deletedAny_ = true;
            // Visit the events a later move passed; the moved note has no mark now.
            for (size_t i = 0; i < passed; ++i) c.retreat();
        }
        changedBar_ = changedBar_ || moved;
    }

    MidiTrack& track_;
    int16_t strand_;
    const QuantisationSettings& settings_;
    uint32_t division_;
    bool allowPairs_;
    bool barStale_;
    bool changedBar_ = false;
    TrackCursor candidate_;
    TrackCursor start_;
    TrackCursor end_;
    std::array<Entry, 3> entries_{};
    size_t count_ = 0;
    uint8_t channel_ = kNoChannel;
    uint8_t spanValue_ = kNoSpanValue;
    bool accepted_ = false;
    bool deletedAny_ = false;
};

}  // namespace

uint8_t spanValueOf(int64_t ticks, uint32_t division) {
    const int64_t breve = int64_t{division} * 8;
    if (division == 0 || ticks <= 0 || ticks > breve) return kNoSpanValue;
    for (uint8_t index = 0; index <= 7; ++index)
        if (ticks * (int64_t{1} << index) == breve) return index;
    return kNoSpanValue;
}

StepResult analyseStrandTriplets(MidiTrack& track, int16_t strand,
                                 const QuantisationSettings& settings,
                                 ProgressReporter& progress) {
    if (track.empty() || track.division == 0) return StepResult::done();
    WalkProgress events(progress, track.size());
    bool cancelled = false;
    size_t accepted = 0;
    bool deleted = false;
    bool barChanged = false;  // a group edited the bar the walk is in
    // Re-measures the edited bar that the event at `after` follows.
    auto leaveBar = [&](EventPos after) {
        if (barChanged) reassessBar(track, after, true);
        barChanged = false;
    };
    TrackCursor c(track);
    for (;;) {
        c.advance();
        if (c.atEnd()) break;
        if (events.cancelledAtNext()) {
            cancelled = true;
            break;
        }
        if (isBar(c.event())) leaveBar(c.position());
        if (!isCandidate(c.event(), strand)) continue;
        TripletGroup group(track, strand, settings, c, barChanged);
        c = group.run();
        if (group.accepted()) ++accepted;
        deleted = deleted || group.deletedAny();
        barChanged = barChanged || group.changedBar();
        if (c.atEnd()) break;
        if (isBar(c.event())) leaveBar(c.position());
    }
    leaveBar(c.atEnd() ? track.end() : c.position());
    if (deleted) purgeDeleted(track);
    return StepResult::of(accepted, cancelled);
}

StepResult analyseTriplets(TrackSet& tracks, const std::vector<Strand>& strands,
                           const QuantisationSettings& settings, ProgressReporter& progress) {
    return runStrandPass(tracks, strands, kAnalyseTripletsCaption, progress,
                         [&](MidiTrack& track, int16_t strand, bool) {
                             return analyseStrandTriplets(track, strand, settings, progress);
                         });
}

}  // namespace vl
