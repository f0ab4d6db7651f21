#include "analysis/track_operations.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <optional>

#include "analysis/track_step_driver.h"
#include "markers/marker_events.h"
#include "markers/marker_text.h"

namespace vl {

namespace {

constexpr int64_t kMaxDelta = std::numeric_limits<uint32_t>::max();

// A note event in either form, decoded once.
struct NoteInfo {
    bool on = false;
    bool proprietary = false;
    int channel = 0;
    int key = 0;

    bool sameNoteAs(const NoteInfo& other) const {
        return channel == other.channel && key == other.key;
    }
};

std::optional<NoteInfo> noteInfo(const MidiMessage& m) {
    if (m.isChannelMessage()) {
        if (!m.isNote()) return std::nullopt;
        return NoteInfo{m.isNoteOn(), false, m.channel(), m.data1};
    }
    const std::optional<ProprietaryNote> n = readProprietaryNote(m);
    if (!n) return std::nullopt;
    return NoteInfo{n->isOn(), true, n->channel(), n->key};
}

std::optional<NoteInfo> noteOnInfo(const MidiMessage& m) {
    std::optional<NoteInfo> n = noteInfo(m);
    if (n && !n->on) return std::nullopt;
    return n;
}

// Asked of every event between a note-on and its note-off, so the real
// messages are told apart without decoding them.
bool endsNote(const MidiMessage& m, const NoteInfo& note) {
    if (m.isChannelMessage())
        return m.data1 == note.key && m.channel() == note.channel && m.isNoteOff();
    const std::optional<ProprietaryNote> n = readProprietaryNote(m);
    return n && !n->isOn() && n->channel() == note.channel && n->key == note.key;
}

bool isRealNoteOff(const MidiMessage& m) { return m.isChannelMessage() && m.isNoteOff(); }

// The callers only pass values they have proven to lie in 0..kMaxDelta.
uint32_t asDelta(int64_t ticks) { return static_cast<uint32_t>(ticks); }

// A gap wider than a delta can hold (only reachable with live-input deltas
// near 2^32) is clamped rather than wrapped.
void addToDelta(uint32_t& delta, uint32_t extra) {
    delta = asDelta(std::min<int64_t>(int64_t{delta} + extra, kMaxDelta));
}

// How many ticks may be added to the delta of the event at p.
int64_t deltaHeadroom(const MidiTrack& track, ConstEventPos p) {
    return p == track.events.end() ? kMaxDelta : kMaxDelta - p->time;
}

// Pulls every event after target, from the first such one before moved up to
// moved itself, back to target; the event after moved keeps its time. The
// order of the events does not change.
void pullBackTo(MidiTrack& track, EventPos moved, int64_t movedTime, int64_t target) {
    EventPos first = moved;
    int64_t firstTime = movedTime;
    while (first != track.begin()) {
        const int64_t previousTime = firstTime - first->time;
        if (previousTime <= target) break;
        --first;
        firstTime = previousTime;
    }
    // The event before first (if any) lies at or before target, so this stays >= 0.
    first->time = asDelta(first->time - (firstTime - target));
    for (EventPos p = std::next(first); p != std::next(moved); ++p) p->time = 0;
    const EventPos after = std::next(moved);
    if (after != track.end()) addToDelta(after->time, asDelta(movedTime - target));
}

// Moves ev earlier by amount, passing back over every event later than its
// new time; it stays behind events at exactly that time. The same as swapping
// it backwards while its delta would be negative, in one relink.
void moveEarlierPassing(MidiTrack& track, EventPos ev, int64_t evTime, int64_t amount) {
    const int64_t newTime = evTime - amount;
    EventPos before = ev;  // ev ends up directly in front of this event
    int64_t beforeTime = evTime;
    while (before != track.begin()) {
        const int64_t previousTime = beforeTime - before->time;
        if (previousTime <= newTime) break;
        --before;
        beforeTime = previousTime;
    }
    const EventPos after = std::next(ev);
    if (before == ev) {
        ev->time = asDelta(ev->time - amount);
        if (after != track.end()) addToDelta(after->time, asDelta(amount));
        return;
    }
    const int64_t newPreviousTime = beforeTime - before->time;
    if (after != track.end()) addToDelta(after->time, ev->time);
    ev->time = asDelta(newTime - newPreviousTime);
    before->time = asDelta(beforeTime - newTime);
    track.events.moveBefore(before, ev);
}

void shiftEarlier(TrackCursor& cursor, int64_t amount) {
    MidiTrack& track = cursor.track();
    const EventPos moved = cursor.position();
    const int64_t movedTime = cursor.time();

    // The note-off is found before anything moves; positions stay valid.
    EventPos off = moved;
    const NoteEnd end = findNoteEnd(track, off);
    const bool moveOff = end.found && isRealNoteOff(off->message);

    amount = std::min({amount, movedTime, deltaHeadroom(track, std::next(moved))});
    if (moveOff) amount = std::min(amount, deltaHeadroom(track, std::next(off)));
    if (amount <= 0) return;

    const int64_t target = movedTime - amount;
    pullBackTo(track, moved, movedTime, target);
    if (moveOff) moveEarlierPassing(track, off, movedTime + end.length, amount);

    cursor.setTime(target);
    // The latest bar marker up to the event may have been pulled back with it.
    if (cursor.barTime() > target) cursor.setBarTime(target);
}

size_t shiftLater(TrackCursor& cursor, int64_t amount) {
    MidiTrack& track = cursor.track();
    const EventPos moved = cursor.position();
    const int64_t movedTime = cursor.time();

    if (noteOnInfo(moved->message)) {
        EventPos off = moved;
        const NoteEnd end = findNoteEnd(track, off);
        if (!end.found || end.length <= amount) {
            deleteTiedPiece(track, moved, end.found ? off : track.end());
            return 0;
        }
    }

    amount = std::min(amount, deltaHeadroom(track, moved));
    if (amount <= 0) return 0;
    const int64_t newTime = movedTime + amount;

    // Find the first event at or after the new time; count what lies before it.
    EventPos after = std::next(moved);
    int64_t afterTime = after != track.end() ? movedTime + after->time : 0;
    int64_t lastPassedTime = movedTime;
    std::optional<int64_t> barPassedTime;
    size_t passed = 0;
    while (after != track.end() && afterTime < newTime) {
        lastPassedTime = afterTime;
        if (after->message.isBarMarker()) barPassedTime = afterTime;
        ++after;
        ++passed;
        if (after != track.end()) afterTime += after->time;
    }

    if (passed == 0) {
        moved->time = asDelta(moved->time + amount);
        if (after != track.end()) after->time = asDelta(after->time - amount);
    } else {
        // Every gap below stays within amount plus the moved event's old delta.
        std::next(moved)->time += moved->time;
        moved->time = asDelta(newTime - lastPassedTime);
        if (after != track.end()) after->time = asDelta(afterTime - newTime);
        track.events.moveBefore(after, moved);
    }

    cursor.setTime(newTime);
    if (barPassedTime) cursor.setBarTime(*barPassedTime);
    if (moved->message.isBarMarker()) cursor.setBarTime(newTime);
    return passed;
}

// The nearest proprietary note of this channel and key in the given direction
// from p (p itself excluded), or the end.
EventPos findEarlierProprietaryNoteOff(MidiTrack& track, EventPos p, const NoteInfo& note) {
    while (p != track.begin()) {
        --p;
        const std::optional<NoteInfo> n = noteInfo(p->message);
        if (n && n->proprietary && !n->on && n->sameNoteAs(note)) return p;
    }
    return track.end();
}

EventPos findLaterProprietaryNoteOn(MidiTrack& track, EventPos p, const NoteInfo& note) {
    for (++p; p != track.end(); ++p) {
        const std::optional<NoteInfo> n = noteInfo(p->message);
        if (n && n->proprietary && n->on && n->sameNoteAs(note)) return p;
    }
    return track.end();
}

}  // namespace

NoteEnd findNoteEnd(MidiTrack& track, EventPos& pos) {
    if (pos == track.end()) return {};
    const std::optional<NoteInfo> note = noteOnInfo(pos->message);
    if (!note) return {};
    int64_t length = 0;
    for (EventPos p = std::next(pos); p != track.end(); ++p) {
        length += p->time;
        if (endsNote(p->message, *note)) {
            pos = p;
            return {true, length};
        }
    }
    return {};
}

NoteEnd findNoteEnd(TrackCursor& cursor) {
    if (cursor.atEnd()) return {};
    const std::optional<NoteInfo> note = noteOnInfo(cursor.event().message);
    if (!note) return {};
    const EventPos start = cursor.position();
    const int64_t startTime = cursor.time();
    const int64_t startBarTime = cursor.barTime();
    for (cursor.advance(); !cursor.atEnd(); cursor.advance()) {
        if (endsNote(cursor.event().message, *note)) return {true, cursor.time() - startTime};
    }
    cursor.reposition(start, startTime);
    cursor.setBarTime(startBarTime);
    return {};
}

size_t shiftEvent(TrackCursor& cursor, int64_t ticks) {
    if (cursor.atEnd() || ticks == 0) return 0;
    if (ticks > 0) return shiftLater(cursor, ticks);
    const int64_t amount =
        ticks < -std::numeric_limits<int64_t>::max() ? std::numeric_limits<int64_t>::max() : -ticks;
    shiftEarlier(cursor, amount);
    return 0;
}

void deleteNote(MidiTrack& track, EventPos on, EventPos off) {
    if (on != track.end()) on->neutralise();
    if (off != track.end()) off->neutralise();
}

void deleteTiedPiece(MidiTrack& track, EventPos on, EventPos off) {
    if (on == track.end()) return;
    const std::optional<NoteInfo> onNote = noteOnInfo(on->message);
    const std::optional<NoteInfo> offNote =
        off != track.end() ? noteInfo(off->message) : std::nullopt;
    if (onNote && offNote && !offNote->on) {
        if (onNote->proprietary && !offNote->proprietary) {
            // Last piece: the previous piece's end becomes the note's real end.
            const EventPos heir = findEarlierProprietaryNoteOff(track, on, *onNote);
            if (heir != track.end()) heir->message = off->message;
        } else if (!onNote->proprietary && offNote->proprietary) {
            // First piece: the next piece's start becomes the note's real start.
            const EventPos heir = findLaterProprietaryNoteOn(track, off, *onNote);
            if (heir != track.end()) heir->message = on->message;
        }
    }
    deleteNote(track, on, off);
}

bool moveBackOnePlace(MidiTrack& track, EventPos pos) {
    if (pos == track.end() || pos == track.begin()) return false;
    const EventPos previous = std::prev(pos);
    const EventPos after = std::next(pos);
    if (after != track.end()) addToDelta(after->time, pos->time);
    pos->time = previous->time;
    previous->time = 0;
    track.events.moveBefore(previous, pos);
    return true;
}

size_t purgeDeleted(MidiTrack& track, EventProgress* progress) {
    size_t removed = 0;
    size_t index = 0;
    for (EventPos p = track.begin(); p != track.end(); ++index) {
        if (progress != nullptr && progress->cancelledAt(index)) break;
        if (!p->message.isDeletedMarker()) {
            ++p;
            continue;
        }
        const EventPos next = std::next(p);
        if (next != track.end()) addToDelta(next->time, p->time);
        p = track.events.erase(p);
        ++removed;
    }
    return removed;
}

size_t countRealNoteOns(const MidiTrack& track) {
    size_t n = 0;
    for (const MidiEvent& e : track.events)
        n += e.message.isChannelMessage() && e.message.isNoteOn() ? 1 : 0;
    return n;
}

uint16_t computeChannelMask(MidiTrack& track) {
    unsigned mask = 0;
    for (const MidiEvent& e : track.events) {
        const int c = channelOf(e);
        if (c >= 0 && c < 16) mask |= 1u << c;
    }
    track.channelMask = static_cast<uint16_t>(mask);
    return track.channelMask;
}

}  // namespace vl
