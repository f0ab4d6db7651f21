#include "markers/meta_markers.h"

#include <cstdint>
#include <iterator>
#include <optional>

#include "markers/marker_events.h"
#include "markers/marker_text.h"
#include "markers/tick_group.h"

namespace vl {

namespace {

// Which signature kinds the destination's tick group at one time is known to
// hold. A group only gains events here, so once a kind is there (found or
// inserted) later signatures of that kind at the same tick need no new scan;
// this keeps many signatures on one tick linear.
struct GroupMemo {
    int64_t time = -1;
    bool hasTime = false;
    bool hasKey = false;
};

uint8_t payloadByteOrZero(const MidiMessage& m, int32_t i) {
    const int b = m.payload.byteAt(i);
    return b < 0 ? 0 : static_cast<uint8_t>(b);
}

MidiMessage markerForSignature(const MidiMessage& signature) {
    if (signature.isTimeSignatureMeta())
        return timeSignatureMarkerMessage(
            payloadByteOrZero(signature, 0), payloadByteOrZero(signature, 1),
            payloadByteOrZero(signature, 2), payloadByteOrZero(signature, 3));
    return keySignatureMarkerMessage(payloadByteOrZero(signature, 0),
                                     payloadByteOrZero(signature, 1));
}

EventPos insertAt(MidiTrack& track, EventPos p, MidiMessage m) {
    return track.insertBefore(p, 0, MidiEvent(0, std::move(m)));
}

// Directly after anchor, on its tick. After the last event of the track the
// marker is appended with delta 0, which puts it on the same tick.
EventPos insertAfter(MidiTrack& track, EventPos anchor, MidiMessage m) {
    const EventPos next = std::next(anchor);
    if (next == track.end()) return track.append(MidiEvent(0, std::move(m)));
    return track.insertBefore(next, next->time, MidiEvent(0, std::move(m)));
}

// A time-signature marker joins the tick group of p: after its bar marker if it
// has one, else in front of the group; not at all when it has a time signature.
std::optional<EventPos> placeTimeMarker(MidiTrack& track, EventPos p, MidiMessage marker) {
    const EventPos start = tickGroupStart(track, p);
    const EventPos end = tickGroupEnd(track, start);
    std::optional<EventPos> bar;
    for (EventPos q = start; q != end; ++q) {
        if (isTimeSignatureCombined(q->message)) return std::nullopt;
        if (q->message.isBarMarker()) bar = q;
    }
    if (bar) return insertAfter(track, *bar, std::move(marker));
    return insertAt(track, start, std::move(marker));
}

// A key-signature marker goes after the group's last real time signature or
// bar marker, or before its last time-signature marker, or before p when the
// group has neither; not at all when the group has a key signature.
std::optional<EventPos> placeKeyMarker(MidiTrack& track, EventPos p, MidiMessage marker) {
    const EventPos start = tickGroupStart(track, p);
    const EventPos end = tickGroupEnd(track, start);
    std::optional<EventPos> anchor;
    for (EventPos q = start; q != end; ++q) {
        if (isKeySignatureCombined(q->message)) return std::nullopt;
        if (q->message.isBarMarker() || isTimeSignatureCombined(q->message)) anchor = q;
    }
    if (!anchor) return insertAt(track, p, std::move(marker));
    const MidiMessage& a = (*anchor)->message;
    if (a.isTimeSignatureMeta() || a.isBarMarker())
        return insertAfter(track, *anchor, std::move(marker));
    return insertAt(track, *anchor, std::move(marker));
}

}  // namespace

size_t insertMetaMarkers(MidiTrack& destination, const MidiTrack& source) {
    if (&destination == &source || destination.empty()) return 0;
    EventPos p = destination.begin();
    int64_t tP = p->time;
    int64_t tS = 0;
    size_t inserted = 0;
    GroupMemo memo;
    for (const MidiEvent& s : source.events) {
        tS += s.time;
        if (!isRealKeyOrTime(s.message)) continue;
        const bool isTime = s.message.isTimeSignatureMeta();
        while (tP < tS && std::next(p) != destination.end()) {
            ++p;
            tP += p->time;
        }
        if (tP < tS) continue;  // the destination ends before this signature
        if (tP > tS) {
            const EventPos q =
                destination.insertBefore(p, static_cast<uint32_t>(tP - tS),
                                         MidiEvent(0, markerForSignature(s.message)));
            if (q == destination.end()) continue;
            p = q;
            tP = tS;
            ++inserted;
            memo = GroupMemo{tS, isTime, !isTime};
            continue;
        }
        if (memo.time != tS) memo = GroupMemo{tS, false, false};
        bool& present = isTime ? memo.hasTime : memo.hasKey;
        if (present) continue;
        present = true;
        const std::optional<EventPos> placed =
            isTime ? placeTimeMarker(destination, p, markerForSignature(s.message))
                   : placeKeyMarker(destination, p, markerForSignature(s.message));
        if (placed) {
            p = *placed;
            ++inserted;
        }
    }
    return inserted;
}

size_t insertMetaMarkers(TrackSet& set) {
    size_t inserted = 0;
    for (size_t i = 1; i < set.tracks.size(); ++i)
        inserted += insertMetaMarkers(set.tracks[i], set.tracks[0]);
    return inserted;
}

size_t removeMetaMarkers(MidiTrack& track) {
    size_t removed = 0;
    for (EventPos p = track.begin(); p != track.end();) {
        if (isMetaMarker(p->message)) {
            p = track.erase(p);
            ++removed;
        } else {
            ++p;
        }
    }
    return removed;
}

size_t removeMetaMarkers(TrackSet& set) {
    size_t removed = 0;
    for (MidiTrack& t : set.tracks) removed += removeMetaMarkers(t);
    return removed;
}

}  // namespace vl
