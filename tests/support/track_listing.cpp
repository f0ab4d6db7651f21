#include "support/track_listing.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

#include "markers/marker_text.h"

namespace vl::test {

std::ostream& operator<<(std::ostream& os, const Timed& t) {
    return os << "{" << t.time << ", \"" << t.what << "\"}";
}

std::string describe(const MidiMessage& m) {
    char buf[48];
    if (m.isMarkerText()) return std::string(m.payloadText());
    if (m.isNoteOn()) {
        std::snprintf(buf, sizeof buf, "on %d %d", m.channel(), m.data1);
    } else if (m.isNoteOff()) {
        std::snprintf(buf, sizeof buf, "off %d %d", m.channel(), m.data1);
    } else if (m.isTimeSignatureMeta()) {
        std::snprintf(buf, sizeof buf, "TS %d %d", m.payload.byteAt(0), m.payload.byteAt(1));
    } else if (m.isKeySignatureMeta()) {
        std::snprintf(buf, sizeof buf, "KS %d %d", m.payload.byteAt(0), m.payload.byteAt(1));
    } else {
        std::snprintf(buf, sizeof buf, "st %02x %02x", m.status, m.data1);
    }
    return buf;
}

std::vector<Timed> listTrack(const MidiTrack& track) {
    std::vector<Timed> out;
    int64_t t = 0;
    for (const MidiEvent& e : track.events) {
        t += e.time;
        out.push_back({t, describe(e.message)});
    }
    return out;
}

std::vector<Timed> listTrackWithout(const MidiTrack& track,
                                    std::initializer_list<std::string> drop) {
    std::vector<Timed> out = listTrack(track);
    std::erase_if(out, [&](const Timed& t) {
        return std::find(drop.begin(), drop.end(), t.what) != drop.end();
    });
    return out;
}

MidiMessage noteOn(uint8_t channel, uint8_t key, uint8_t velocity) {
    return MidiMessage::channel(kind::NoteOn, channel, key, velocity);
}

MidiMessage noteOff(uint8_t channel, uint8_t key) {
    return MidiMessage::channel(kind::NoteOff, channel, key, 0);
}

MidiMessage propOn(uint8_t channel, uint8_t key) {
    return proprietaryNoteMessage(true, channel, key);
}

MidiMessage propOff(uint8_t channel, uint8_t key) {
    return proprietaryNoteMessage(false, channel, key);
}

MidiMessage cc(uint8_t controller) { return cc(0, controller); }

MidiMessage cc(uint8_t channel, uint8_t controller, uint8_t value) {
    return MidiMessage::channel(kind::ControlChange, channel, controller, value);
}

MidiMessage metaBytes(uint8_t type, std::initializer_list<uint8_t> bytes) {
    const std::vector<uint8_t> v(bytes);
    return MidiMessage::metaEvent(type, static_cast<int32_t>(v.size()), v.data());
}

MidiMessage timeSig(uint8_t nn, uint8_t dd, uint8_t clocksPerClick,
                    uint8_t thirtySecondsPerQuarter) {
    return metaBytes(meta::TimeSignature, {nn, dd, clocksPerClick, thirtySecondsPerQuarter});
}

MidiMessage keySig(uint8_t sf, uint8_t mi) { return metaBytes(meta::KeySignature, {sf, mi}); }

MidiMessage marker(const std::string& text) { return MidiMessage::markerText(text); }

EventPos posAt(MidiTrack& track, size_t index) {
    return std::next(track.begin(), static_cast<std::ptrdiff_t>(index));
}

TrackBuilder& TrackBuilder::at(int64_t absTime, MidiMessage m) {
    track_.append(MidiEvent(static_cast<uint32_t>(absTime - last_), std::move(m)));
    last_ = absTime;
    return *this;
}

TrackBuilder& TrackBuilder::marker(int64_t absTime, const std::string& text) {
    return at(absTime, test::marker(text));
}

}  // namespace vl::test
