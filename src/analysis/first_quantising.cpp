#include "analysis/first_quantising.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <unordered_set>
#include <vector>

#include "analysis/quantisation_settings.h"
#include "analysis/track_operations.h"
#include "analysis/track_step_driver.h"
#include "markers/marker_events.h"
#include "midi/track_cursor.h"
#include "platform/progress_reporter.h"
#include "settings/resolution_settings.h"

namespace vl {

namespace {

// ---- Whole-track pass ----------------------------------------------------

// A tempo change goes to the earlier neighbouring grid point: a positive
// offset is reduced by whole steps until it is not positive any more.
int64_t tempoShift(const QuantisationSettings& grid, int64_t position) {
    const int64_t shift = grid.tempoOffset(position);
    const int64_t step = grid.minStep();
    if (shift <= 0) return shift;
    if (step < 1) return 0;
    return shift - (shift + step - 1) / step * step;
}

bool opensBar(const MidiEvent& e) {
    return isKeySignatureCombined(e) || isTimeSignatureCombined(e) || isProprietaryNoteOn(e);
}

// After a note-on moved later: when a bar marker follows it at the same tick,
// the note-on is carried behind that marker and behind the signatures and
// proprietary note-ons directly after it, so that it starts the new bar.
// Returns the number of events passed.
size_t passBarLineAtSameTick(MidiTrack& track, EventPos note) {
    EventPos bar = std::next(note);
    size_t passed = 0;
    while (bar != track.end() && bar->time == 0 && !bar->message.isBarMarker()) {
        ++bar;
        ++passed;
    }
    if (bar == track.end() || bar->time != 0) return 0;
    EventPos last = bar;
    ++passed;
    for (EventPos p = std::next(bar); p != track.end() && p->time == 0 && opensBar(*p); ++p) {
        last = p;
        ++passed;
    }
    // The first passed event takes over the note-on's delta; all of them lie
    // at the same tick, so nothing else changes time.
    std::next(note)->time = note->time;
    note->time = 0;
    track.events.moveBefore(std::next(last), note);
    return passed;
}

struct OnsetVisit {
    bool moved = false;
    bool deleted = false;  // a note-on too short for its later move
    size_t passed = 0;     // events that a note-on moved later went past
};

// Quantises the event under the cursor and rewrites its rhythm marks. The
// cursor stays on the event, at its new time.
OnsetVisit quantiseEventAt(TrackCursor& cursor, const QuantisationSettings& grid) {
    const int64_t position = cursor.timeSinceBar();
    const bool noteOn = isNoteOnCombined(cursor.event());
    int64_t shift = 0;
    uint16_t marks = 0;
    if (noteOn) {
        shift = grid.noteOnOffset(position);
        if (grid.noteOnKind(position) == QuantisationSettings::GridKind::Triplet)
            marks = flag::Triplet;
    } else if (isTempoCombined(cursor.event())) {
        shift = tempoShift(grid, position);
    }

    OnsetVisit visit;
    if (shift != 0) {
        visit.moved = true;
        visit.passed = shiftEvent(cursor, shift);
        // A note-on too short for the move has been deleted; only a note-on
        // still standing can pass the bar line.
        if (shift > 0 && isNoteOnCombined(cursor.event()))
            visit.passed += passBarLineAtSameTick(cursor.track(), cursor.position());
    }

    MidiEvent& placed = cursor.event();
    visit.deleted = noteOn && placed.message.isDeletedMarker();
    if (!isNoteOnCombined(placed)) {
        marks = 0;
    } else if (grid.swingDetected() != 0) {
        marks = static_cast<uint16_t>(marks | (cursor.quarterPhase() + 1) * kSwingPositionUnit);
    }
    // The swing bits are replaced, not ORed in: a note-on moved onto a bar line
    // is visited again behind the marker, where its phase counts from the new
    // bar, and a re-run may count from other bar markers or none.
    placed.clearFlags(kSwingPositionBits);
    placed.setRhythmMarks(marks);
    return visit;
}

struct OnsetPass {
    size_t moves = 0;
    bool deleted = false;
    bool cancelled = false;
};

// Visits every event once in track order, plus the note-ons that come round
// again after a later move. Stops when the host cancels.
OnsetPass visitAllEvents(MidiTrack& track, const QuantisationSettings& grid,
                         ProgressReporter& progress) {
    OnsetPass pass;
    EventProgress events(progress, track.size());
    TrackCursor cursor(track);
    size_t index = 0;
    while (!cursor.atEnd()) {
        if (events.cancelledAt(index)) {
            pass.cancelled = true;
            break;
        }
        const bool hasPrevious = cursor.hasPrevious();
        const EventPos previous = hasPrevious ? std::prev(cursor.position()) : track.end();
        const int64_t previousTime = cursor.previousTime();
        const int64_t barTime = cursor.barTime();

        const OnsetVisit visit = quantiseEventAt(cursor, grid);
        if (visit.moved) ++pass.moves;
        pass.deleted = pass.deleted || visit.deleted;
        if (visit.passed == 0) {
            cursor.advance();
            ++index;
            continue;
        }
        // A note-on moved later went past events not yet visited: go on from
        // the first of them, which now has the note-on's old index. The
        // note-on itself comes round again at its grid point, with offset 0.
        // Each such move takes the note-on later, so this ends; and it passes
        // only events less than a quarter note ahead that lie inside the
        // note (a note too short for the move is deleted instead), so an
        // event is passed at most once per note sounding across it.
        if (hasPrevious) {
            cursor.reposition(previous, previousTime);
            cursor.setBarTime(barTime);
            cursor.advance();
        } else {
            cursor = TrackCursor(track);
        }
    }
    return pass;
}

// ---- Zero-length notes ---------------------------------------------------

constexpr size_t kNoteSlots = 16 * 256;

size_t noteSlot(const MidiMessage& m) { return size_t{m.channel()} * 256 + m.data1; }

// Real note-ons of the current tick per channel and key, the latest last.
class NoteOnsAtTick {
public:
    NoteOnsAtTick() : ons_(kNoteSlots) {}

    void clear() {
        for (size_t slot : used_) ons_[slot].clear();
        used_.clear();
    }
    void add(EventPos on) {
        std::vector<EventPos>& ons = ons_[noteSlot(on->message)];
        if (ons.empty()) used_.push_back(noteSlot(on->message));
        ons.push_back(on);
    }
    // The latest note-on of the note-off's channel and key at this tick,
    // taken out of the table; the track's end when there is none.
    EventPos takeMatch(const MidiMessage& off, EventPos none) {
        std::vector<EventPos>& ons = ons_[noteSlot(off)];
        if (ons.empty()) return none;
        const EventPos on = ons.back();
        ons.pop_back();
        return on;
    }

private:
    std::vector<std::vector<EventPos>> ons_;
    std::vector<size_t> used_;
};

// Removes the deleted-event markers with progress over the track's events;
// when the host cancels, the markers not reached wait for the next purge.
// True when the host cancelled.
bool purgeAfterDeleting(MidiTrack& track, ProgressReporter& progress) {
    EventProgress events(progress, track.size());
    purgeDeleted(track, &events);
    return events.cancelled();
}

// ---- Trimming ------------------------------------------------------------

bool isNoteOnOfChannel(const MidiEvent& e, int channel) {
    return isNoteOnCombined(e) && channelOf(e) == channel;
}

// A note-on of the channel being trimmed, with the note-off that findNoteEnd
// would find for it.
struct ChannelNote {
    EventPos on;
    int64_t onTime = 0;
    EventPos off;
    int64_t offTime = 0;
    bool found = false;
    // The note-off also ends other note-ons of the key (overlapping notes of
    // one key, which illegal-event elimination normally removes). Trimming
    // those may move or delete it, so such a note's end is looked up afresh.
    bool sharedEnd = false;
};

// Every note-on of the channel in track order with its note-off, in one walk:
// a note-off ends every note-on of its key that no note-off has ended yet.
std::vector<ChannelNote> collectChannelNotes(MidiTrack& track, int channel) {
    std::vector<ChannelNote> notes;
    std::array<std::vector<size_t>, 256> waiting;
    int64_t time = 0;
    for (EventPos p = track.begin(); p != track.end(); ++p) {
        time += p->time;
        if (channelOf(*p) != channel) continue;
        if (isNoteOnCombined(*p)) {
            waiting[static_cast<uint8_t>(keyOf(*p))].push_back(notes.size());
            notes.push_back({p, time, track.end(), 0, false, false});
        } else if (isNoteOffCombined(*p)) {
            std::vector<size_t>& ended = waiting[static_cast<uint8_t>(keyOf(*p))];
            for (size_t i : ended) {
                notes[i].off = p;
                notes[i].offTime = time;
                notes[i].found = true;
                notes[i].sharedEnd = ended.size() > 1;
            }
            ended.clear();
        }
    }
    return notes;
}

struct NoteSpan {
    bool found = false;
    EventPos off;
    int64_t offTime = 0;
};

// An event that may cut the note being trimmed: a later note-on of the
// channel, or a bar marker.
struct Cut {
    EventPos pos;
    int64_t time = 0;
    bool barMarker = false;
    EventPos end;  // note-off of a note-on, the track's end when it has none
    int64_t endTime = 0;
};

class ChannelTrimmer {
public:
    ChannelTrimmer(MidiTrack& track, int channel, int64_t step,
                   const ResolutionSettings& tolerances)
        : track_(track),
          notes_(collectChannelNotes(track, channel)),
          channel_(channel),
          step_(step),
          tolerances_(tolerances) {}

    TrimResult run() {
        TrimResult result;
        for (size_t i = 0; i < notes_.size(); ++i) {
            switch (trimNote(i)) {
                case Outcome::Shortened: ++result.notesShortened; break;
                case Outcome::Deleted: ++result.notesDeleted; break;
                case Outcome::Kept: break;
            }
        }
        return result;
    }

private:
    enum class Outcome { Kept, Shortened, Deleted };

    // The end found in the first walk holds until trimming moves or deletes
    // that note-off; only a note-off shared by overlapping notes of one key
    // can be moved by another note, and a note whose end was lost that way
    // ends at the key's next note-off, which may be another note's.
    NoteSpan spanOf(const ChannelNote& n) const {
        if (!n.sharedEnd && (!n.found || !touchedOffs_.contains(&*n.off)))
            return {n.found, n.off, n.offTime};
        EventPos off = n.on;
        const NoteEnd end = findNoteEnd(track_, off);
        return {end.found, end.found ? off : track_.end(), n.onTime + end.length};
    }

    // The note-ons of the channel and the bar markers between note i and its
    // note-off, in track order. The k-th note-on met is note i + 1 + k.
    void collectCuts(size_t i, EventPos off) {
        cuts_.clear();
        size_t next = i + 1;
        int64_t time = notes_[i].onTime;
        for (EventPos p = std::next(notes_[i].on); p != off; ++p) {
            time += p->time;
            if (isNoteOnOfChannel(*p, channel_)) {
                Cut cut{p, time, false, track_.end(), time};
                if (next < notes_.size() && notes_[next].on == p) {
                    const NoteSpan span = spanOf(notes_[next]);
                    // A note-on without a note-off counts as a note of length 0.
                    if (span.found) {
                        cut.end = span.off;
                        cut.endTime = span.offTime;
                    }
                    ++next;
                }
                cuts_.push_back(cut);
            } else if (p->message.isBarMarker()) {
                cuts_.push_back({p, time, true, track_.end(), time});
            }
        }
    }

    bool overlapIsSmall(const Cut& cut, int64_t onTime, EventPos off, int64_t offTime) const {
        if (cut.barMarker) return acceptOverlap(onTime, offTime, cut.time, step_, tolerances_);
        // A note of the same key inside this note ends with this note's
        // note-off, wherever that stands now.
        const int64_t endTime = cut.end == off ? offTime : cut.endTime;
        return acceptOverlap(onTime, offTime, cut.time, endTime, step_, tolerances_);
    }

    // Moves the note-off back one place at a time until it stands before every
    // event at time target; it never passes its own note-on.
    void moveNoteOffBack(EventPos on, EventPos off, int64_t offTime, int64_t target) {
        while (off != track_.begin()) {
            const EventPos previous = std::prev(off);
            const int64_t previousTime = offTime - off->time;
            if (previousTime < target || previous == on) break;
            moveBackOnePlace(track_, off);
            offTime = previousTime;
        }
    }

    // Walks a cut candidate C from the note to its note-off; at the first C
    // whose overlap is small the note is cut back to C (or deleted when less
    // than a step would be left) and the walk starts again from the note.
    //
    // Cost: the candidates are gathered in one walk up to the note-off, which
    // afterwards only moves back, so every restart sees a prefix of them and
    // the restarts end. A restart looks only at candidates less than eight
    // steps before the new note-off, because an overlap of eight steps or
    // more is never small; and since every candidate less than one step
    // before the note-off is small and the earliest small one is taken, any
    // two restarts take the note-off back by at least one step. So each
    // candidate is looked at a bounded number of times (about twenty), and
    // moving the note-off back costs at most the events of the note's span.
    Outcome trimNote(size_t i) {
        const ChannelNote& note = notes_[i];
        const NoteSpan span = spanOf(note);
        if (!span.found) return Outcome::Kept;  // an unmatched note-on stays as it is
        const int64_t onTime = note.onTime;
        int64_t offTime = span.offTime;
        collectCuts(i, span.off);

        Outcome outcome = Outcome::Kept;
        size_t first = 0;
        size_t end = cuts_.size();
        for (;;) {
            size_t c = first;
            while (c < end && !overlapIsSmall(cuts_[c], onTime, span.off, offTime)) ++c;
            if (c == end) return outcome;
            const int64_t cutTime = cuts_[c].time;
            touchedOffs_.insert(&*span.off);
            if (cutTime - onTime < step_) {
                deleteNote(track_, note.on, span.off);
                return Outcome::Deleted;
            }
            moveNoteOffBack(note.on, span.off, offTime, cutTime);
            offTime = cutTime;
            outcome = Outcome::Shortened;
            // The note-off now stands before every candidate at the cut time.
            end = cutsBefore(c, offTime);
            first = cutsBefore(end, offTime - 8 * step_ + 1);
        }
    }

    // How many of the first `limit` candidates lie before time t (they are in
    // time order).
    size_t cutsBefore(size_t limit, int64_t t) const {
        const auto begin = cuts_.begin();
        const auto last = begin + static_cast<std::ptrdiff_t>(limit);
        return static_cast<size_t>(
            std::partition_point(begin, last, [t](const Cut& k) { return k.time < t; }) - begin);
    }

    MidiTrack& track_;
    std::vector<ChannelNote> notes_;
    std::vector<Cut> cuts_;
    std::unordered_set<const MidiEvent*> touchedOffs_;
    int channel_;
    int64_t step_;
    const ResolutionSettings& tolerances_;
};

}  // namespace

StepResult quantiseOnsets(MidiTrack& track, const QuantisationSettings& grid,
                          ProgressReporter& progress) {
    const OnsetPass pass = visitAllEvents(track, grid, progress);
    const bool purgeCancelled = pass.deleted && purgeAfterDeleting(track, progress);
    return StepResult::of(pass.moves, pass.cancelled || purgeCancelled);
}

StepResult deleteZeroLengthNotes(MidiTrack& track, ProgressReporter& progress) {
    NoteOnsAtTick ons;
    size_t deleted = 0;
    for (EventPos p = track.begin(); p != track.end(); ++p) {
        // Only note-ons at the note-off's own tick count, so the table starts
        // afresh whenever time moves on.
        if (p->time != 0) ons.clear();
        const MidiMessage& m = p->message;
        if (!m.isChannelMessage() || !m.isNote()) continue;
        if (m.isNoteOn()) {
            ons.add(p);
            continue;
        }
        const EventPos on = ons.takeMatch(m, track.end());
        if (on == track.end()) continue;
        deleteNote(track, on, p);
        ++deleted;
    }
    const bool cancelled = deleted != 0 && purgeAfterDeleting(track, progress);
    return StepResult::of(deleted, cancelled);
}

TrimResult trimOverlaps(MidiTrack& track, const QuantisationSettings& grid,
                        const ResolutionSettings& tolerances, ProgressReporter& progress) {
    TrimResult result;
    const int64_t step = grid.minStep();
    if (step < 1) return result;  // no grid, so no overlap counts as small
    for (int channel = 0; channel < 16; ++channel) {
        result.cancelled = progress.detailTextWithSuffix(" - MIDI channel %d ", channel + 1) != 0;
        if (result.cancelled) break;
        if (!track.usesChannel(channel)) continue;
        const TrimResult r = ChannelTrimmer(track, channel, step, tolerances).run();
        result.notesShortened += r.notesShortened;
        result.notesDeleted += r.notesDeleted;
    }
    if (result.notesDeleted != 0 && purgeAfterDeleting(track, progress)) result.cancelled = true;
    result.count = StepResult::heldCount(result.notesShortened + result.notesDeleted);
    return result;
}

StepResult firstQuantiseTrack(MidiTrack& track, const QuantisationSettings& grid,
                              const ResolutionSettings& tolerances, ProgressReporter& progress) {
    StepResult result = quantiseOnsets(track, grid, progress);
    const bool zeroCancelled = deleteZeroLengthNotes(track, progress).cancelled;
    const bool trimCancelled = trimOverlaps(track, grid, tolerances, progress).cancelled;
    result.cancelled = result.cancelled || zeroCancelled || trimCancelled;
    return result;
}

}  // namespace vl
