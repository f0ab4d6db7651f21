// The start items: key, time signature, tempo and swing style in force where
// the music starts, then the title and the notice text of the file.

#include <algorithm>
#include <optional>
#include <string_view>

#include "markers/marker_events.h"
#include "notation/item_builder.h"
#include "notation/item_makers.h"

namespace vl {

namespace {

constexpr uint8_t kTrackNameMeta = 3;
constexpr uint8_t kNoticeMeta = 2;

struct KeyValue {
    uint8_t sharpsOrFlats = 0;
    uint8_t minor = 0;
};

struct TimeValue {
    uint8_t numerator = 4;
    uint8_t denominatorExponent = 2;
};

// What one track (or the whole set) says about the start of the music.
struct StartValues {
    std::optional<KeyValue> key;
    std::optional<TimeValue> time;
    std::optional<uint32_t> quartersPerMinute;
};

// Time of the track's first note-on (either form), else of its last event;
// nothing for an empty track, which says nothing about where music starts.
std::optional<int64_t> trackStartTime(const MidiTrack& track) {
    if (track.empty()) return std::nullopt;
    int64_t time = 0;
    for (const MidiEvent& e : track.events) {
        time += e.time;
        if (isNoteOnCombined(e)) break;
    }
    return time;
}

// The earliest first note-on over all tracks.
int64_t musicStartTime(const TrackSet& tracks) {
    std::optional<int64_t> start;
    for (const MidiTrack& track : tracks.tracks) {
        const std::optional<int64_t> t = trackStartTime(track);
        if (t && (!start || *t < *start)) start = t;
    }
    return start.value_or(0);
}

// The real signatures and tempo of one track before its first note-on: the
// last key and tempo not later than musicStart, the first time signature.
StartValues trackStartValues(const MidiTrack& track, int64_t musicStart) {
    StartValues v;
    int64_t time = 0;
    for (const MidiEvent& e : track.events) {
        time += e.time;
        const MidiMessage& m = e.message;
        if (isNoteOnCombined(m)) break;
        if (m.isKeySignatureMeta() && time <= musicStart) {
            KeyValue key;
            keySignature(m, key.sharpsOrFlats, key.minor);
            v.key = key;
        } else if (m.isTimeSignatureMeta() && !v.time) {
            TimeValue sig;
            readTimeSignature(m, sig.numerator, sig.denominatorExponent);
            v.time = sig;
        } else if (m.isTempoMeta() && time <= musicStart) {
            v.quartersPerMinute = quartersPerMinuteOf(m);
        }
    }
    return v;
}

// Each value from the first track that has one.
StartValues startValues(const TrackSet& tracks) {
    const int64_t musicStart = musicStartTime(tracks);
    StartValues found;
    for (const MidiTrack& track : tracks.tracks) {
        const StartValues v = trackStartValues(track, musicStart);
        if (!found.key) found.key = v.key;
        if (!found.time) found.time = v.time;
        if (!found.quartersPerMinute) found.quartersPerMinute = v.quartersPerMinute;
        if (found.key && found.time && found.quartersPerMinute) break;
    }
    return found;
}

bool holdsRealNoteOn(const MidiTrack& track) {
    return std::any_of(track.events.begin(), track.events.end(),
                       [](const MidiEvent& e) { return e.message.isNoteOn(); });
}

// Payload of the track's first meta event of this type, if it has one.
std::optional<std::string_view> firstMetaText(const MidiTrack& track, uint8_t type) {
    for (const MidiEvent& e : track.events) {
        if (e.message.isMeta() && e.message.data1 == type) return e.message.payloadText();
    }
    return std::nullopt;
}

// The name of the last track that is not a part of the music (no real
// note-on) and has a name; in a one-track file that track's name.
std::string_view titleText(const TrackSet& tracks) {
    const bool single = tracks.size() == 1;
    for (auto t = tracks.tracks.rbegin(); t != tracks.tracks.rend(); ++t) {
        if (!single && holdsRealNoteOn(*t)) continue;
        const std::optional<std::string_view> name = firstMetaText(*t, kTrackNameMeta);
        if (name && !name->empty()) return *name;
    }
    return {};
}

// The first non-empty notice (meta type 2), looking at the first one of each track.
std::string_view noticeText(const TrackSet& tracks) {
    for (const MidiTrack& track : tracks.tracks) {
        const std::optional<std::string_view> notice = firstMetaText(track, kNoticeMeta);
        if (notice && !notice->empty()) return *notice;
    }
    return {};
}

}  // namespace

ItemList buildStartItems(const TrackSet& tracks) {
    const StartValues v = startValues(tracks);
    const KeyValue key = v.key.value_or(KeyValue{});
    const TimeValue time = v.time.value_or(TimeValue{});

    ItemList list(tracks.division, time.numerator, time.denominatorExponent);
    list.add(makeItem(itemtype::KeySignature, key.sharpsOrFlats, key.minor));
    list.add(makeItem(itemtype::TimeSignature, time.numerator, time.denominatorExponent));
    list.add(tempoItem(v.quartersPerMinute.value_or(kDefaultQuartersPerMinute)));
    list.add(makeItem(itemtype::SwingStyle, tracks.swingDetected));

    const std::string_view title = titleText(tracks);
    if (!title.empty()) list.addText(makeItem(itemtype::Title), title);
    const std::string_view notice = noticeText(tracks);
    if (!notice.empty()) list.addText(makeItem(itemtype::Notice), notice);
    return list;
}

}  // namespace vl
