#pragma once
// Tracks annotated by hand (strands, flags and durations set directly, so
// nothing depends on the analysis steps) and item lists as comparable values,
// for the tests of item building.

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "markers/marker_events.h"
#include "midi/track_set.h"
#include "notation/item_list.h"

namespace vl::test {

// An item with the fields that say what it is; text items carry their text
// instead of the index bytes.
struct It {
    uint16_t type = 0;
    uint8_t action = 1;
    uint8_t arg1 = 0;
    uint8_t arg2 = 0;
    uint8_t arg3 = 0;
    std::string text;
    bool operator==(const It&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const It& it) {
    os << "{" << it.type << ", " << int{it.action} << ", " << int{it.arg1} << ", 0x" << std::hex
       << int{it.arg2} << ", 0x" << int{it.arg3} << std::dec;
    if (!it.text.empty()) os << ", \"" << it.text << "\"";
    return os << "}";
}

// text: the item's text, or null for an item without one.
inline It itOf(const ImportItem& item, const char* text) {
    It it{item.type, item.action, item.arg1, item.arg2, item.arg3, {}};
    if (isTextItemType(item.type)) {
        it.arg2 = it.arg3 = 0;
        it.text = text != nullptr ? text : "<no text>";
    }
    return it;
}

inline std::vector<It> itemsOf(const ItemList& list) {
    std::vector<It> out;
    for (const ImportItem& item : list.items()) out.push_back(itOf(item, list.textOf(item)));
    return out;
}

// Events at absolute times (non-decreasing), each with the annotations given.
class Annotated {
public:
    explicit Annotated(uint32_t division = 96) : track_(division) {}

    Annotated& at(int64_t time, MidiMessage m, int16_t strand = -1, uint16_t flags = 0) {
        MidiEvent e(static_cast<uint32_t>(time - last_), std::move(m));
        e.strand = strand;
        e.flags = flags;
        track_.append(std::move(e));
        last_ = time;
        return *this;
    }
    // The assessed durations of the last event (d2 sounding, d1 to the next note).
    Annotated& lasting(uint16_t d1, uint16_t d2) {
        track_.events.back().duration1 = d1;
        track_.events.back().duration2 = d2;
        return *this;
    }
    Annotated& bar(int64_t time) { return at(time, barMarkerMessage()); }
    // A note-on of channel 0.
    Annotated& on(int64_t time, uint8_t key, uint16_t d1, uint16_t d2, int16_t strand = 0,
                  uint16_t flags = 0) {
        return at(time, MidiMessage::channel(kind::NoteOn, 0, key, 100), strand, flags)
            .lasting(d1, d2);
    }
    // The proprietary note-on that continues a note across a bar line (or a placeholder).
    Annotated& markerOn(int64_t time, uint8_t key, uint16_t d1, uint16_t d2, int16_t strand = 0,
                        uint16_t flags = 0) {
        return at(time, proprietaryNoteMessage(true, 0, key), strand, flags).lasting(d1, d2);
    }
    Annotated& off(int64_t time, uint8_t key) {
        return at(time, MidiMessage::channel(kind::NoteOff, 0, key, 0));
    }
    MidiTrack take() { return std::move(track_); }

private:
    MidiTrack track_;
    int64_t last_ = 0;
};

inline TrackSet setOf(std::vector<MidiTrack> tracks, uint32_t division = 96) {
    TrackSet set;
    set.division = division;
    for (MidiTrack& t : tracks) set.appendTrack(std::move(t));
    return set;
}

inline MidiMessage meta(uint8_t type, std::vector<uint8_t> bytes) {
    return MidiMessage::metaEvent(type, static_cast<int32_t>(bytes.size()), bytes.data());
}

}  // namespace vl::test
