#pragma once
// What the marker tests' case tables write as text: quoted payloads, messages and
// tracks that may hold any meta event, and bytes as hex.

#include <algorithm>
#include <sstream>
#include <string>

#include "midi/midi_track.h"
#include "midi/read_bytes.h"
#include "support/track_text.h"

namespace vl::test {

// The text between the quotes, with \t \n \v \f \r \0 unescaped.
inline std::string quoted(const std::string& value) {
    std::string out;
    for (size_t i = 1; i + 1 < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        const size_t k = std::string("tnvfr0").find(value[++i]);
        out += k == std::string::npos ? value[i] : "\t\n\v\f\r"[k];
    }
    return out;
}

// A quoted marker payload, "meta <type> <hex bytes>", "sysex <hex bytes>", "packed <hex>"
// or an item of trackFromText without its time ("on 3 60", "TS 4 2", "KQVLBAR").
inline MidiMessage messageOf(const std::string& text) {
    if (text.front() == '"') return marker(quoted(text));
    std::istringstream in(text);
    std::string word;
    in >> word >> std::hex;
    if (word == "packed") return MidiMessage::packed(std::stoul(text.substr(7), nullptr, 16));
    if (word != "meta" && word != "sysex") return trackFromText("0 " + text).events.front().message;
    unsigned type = 0;
    if (word == "meta") in >> type;
    std::string payload;
    for (unsigned byte = 0; in >> byte;) payload += static_cast<char>(byte);
    MidiMessage m = MidiMessage::metaEvent(static_cast<uint8_t>(type),
                                           static_cast<int32_t>(payload.size()),
                                           reinterpret_cast<const uint8_t*>(payload.data()));
    if (word == "sysex") m.status = 0xF0;
    return m;
}

// A value of a case table on one line (continuation lines joined by spaces).
inline std::string flat(std::string value) {
    std::replace(value.begin(), value.end(), '\n', ' ');
    return value;
}

// "time message" items as messageOf reads them, comma-separated.
inline MidiTrack trackOf(const std::string& items) {
    MidiTrack track(96);
    std::istringstream all(flat(items));
    uint32_t last = 0;
    for (std::string item; std::getline(all, item, ',');) {
        std::istringstream in(item);
        uint32_t time = 0;
        in >> time >> std::ws;
        std::string rest;
        std::getline(in, rest);
        track.append(MidiEvent(time - last, messageOf(rest)));
        last = time;
    }
    return track;
}

}  // namespace vl::test
