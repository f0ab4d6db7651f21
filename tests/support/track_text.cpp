#include "support/track_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <sstream>

#include "markers/marker_text.h"

namespace vl::test {
namespace {

// Without its leading spaces; trailing ones belong to a marker's text.
std::string unindented(const std::string& s) {
    const size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first);
}

MidiMessage noteOff(uint8_t channel, uint8_t key) {
    return MidiMessage::channel(kind::NoteOff, channel, key, 0);
}

MidiMessage metaBytes(uint8_t type, std::initializer_list<uint8_t> bytes) {
    const std::vector<uint8_t> v(bytes);
    return MidiMessage::metaEvent(type, static_cast<int32_t>(v.size()), v.data());
}

MidiMessage timeSig(uint8_t nn, uint8_t dd) {
    return metaBytes(meta::TimeSignature, {nn, dd, 24, 8});
}

MidiMessage keySig(uint8_t sf, uint8_t mi) { return metaBytes(meta::KeySignature, {sf, mi}); }

MidiMessage messageFromText(const std::string& what) {
    if (what.rfind("KQVL", 0) == 0) return marker(what);
    std::istringstream in(what);
    std::string word;
    in >> word;
    if (word == "st") {
        unsigned status = 0;
        unsigned data1 = 0;
        in >> std::hex >> status >> data1;
        return MidiMessage::packed(status | data1 << 8);
    }
    int a = 0;
    int b = 0;
    int velocity = 100;
    in >> a >> b;
    if (!(in >> velocity)) velocity = 100;
    const auto u8 = [](int v) { return static_cast<uint8_t>(v); };
    if (word == "on") return noteOn(u8(a), u8(b), u8(velocity));
    if (word == "on0") return noteOn(u8(a), u8(b), 0);
    if (word == "off") return noteOff(u8(a), u8(b));
    if (word == "TS") return timeSig(u8(a), u8(b));
    if (word == "KS") return keySig(u8(a), u8(b));
    ADD_FAILURE() << "no message for '" << what << "'";
    return {};
}

// Applies "s1 f4000 d96/90" to the event.
void annotate(MidiEvent& e, const std::string& notes) {
    std::istringstream in(notes);
    std::string word;
    while (in >> word) {
        unsigned a = 0;
        unsigned b = 0;
        if (std::sscanf(word.c_str(), "s%u", &a) == 1) {
            e.strand = static_cast<int16_t>(a);
        } else if (std::sscanf(word.c_str(), "f%x", &a) == 1) {
            e.flags = static_cast<uint16_t>(a);
        } else if (std::sscanf(word.c_str(), "d%u/%u", &a, &b) == 2) {
            e.duration1 = static_cast<uint16_t>(a);
            e.duration2 = static_cast<uint16_t>(b);
        } else {
            ADD_FAILURE() << "no annotation '" << word << "'";
        }
    }
}

std::string annotationsOf(const MidiEvent& e) {
    std::string out;
    char buf[32];
    if (e.strand != -1) out += " s" + std::to_string(e.strand);
    if (e.flags != 0) {
        std::snprintf(buf, sizeof buf, " f%x", e.flags);
        out += buf;
    }
    if (e.duration1 != 0 || e.duration2 != 0)
        out += " d" + std::to_string(e.duration1) + '/' + std::to_string(e.duration2);
    return out.empty() ? out : " [" + out.substr(1) + "]";
}

}  // namespace

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

MidiMessage noteOn(uint8_t channel, uint8_t key, uint8_t velocity) {
    return MidiMessage::channel(kind::NoteOn, channel, key, velocity);
}

MidiMessage marker(const std::string& text) { return MidiMessage::markerText(text); }

EventPos posAt(MidiTrack& track, size_t index) {
    return std::next(track.begin(), static_cast<std::ptrdiff_t>(index));
}

MidiTrack trackFromText(std::string items, uint32_t division) {
    std::replace(items.begin(), items.end(), '\n', ' ');
    MidiTrack track(division);
    std::istringstream all(items);
    std::string item;
    int64_t last = 0;
    while (std::getline(all, item, ',')) {
        item = unindented(item);
        if (item.empty()) continue;
        std::string notes;
        if (const size_t open = item.find(" ["); open != std::string::npos && item.back() == ']') {
            notes = item.substr(open + 2, item.size() - open - 3);
            item = item.substr(0, open);
        }
        const size_t space = item.find(' ');
        const int64_t time = std::stoll(item.substr(0, space));
        EXPECT_GE(time, last) << "times go back at '" << item << "'";
        const MidiMessage message = messageFromText(unindented(item.substr(space)));
        MidiEvent e(static_cast<uint32_t>(time - last), message);
        annotate(e, notes);
        track.append(std::move(e));
        last = time;
    }
    return track;
}

std::string trackText(const MidiTrack& track, bool annotated) {
    std::string out;
    int64_t time = 0;
    for (const MidiEvent& e : track.events) {
        time += e.time;
        out += (out.empty() ? "" : ", ") + std::to_string(time) + ' ' + describe(e.message);
        if (annotated) out += annotationsOf(e);
    }
    return out;
}

}  // namespace vl::test
