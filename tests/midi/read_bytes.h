#pragma once
// Files written as text in case tables, and what the reader made of them as text.
//
// Bytes: hex ("00ff2f00"), "MThd" for ASCII, 80*5000 for a repeated byte, and
// [ ... ] / { ... } for a big-endian / little-endian 32-bit length of what they enclose.
// Read: "ok|failed <header type> <length> format <f> tracks <n> division <d>", then one
// line per track: "<type> <length> ch <mask>:" and its events as
// "<delta> <status> <data1> <data2>[ +<payload>]"; types and payloads are shown as
// text when printable (payloads in quotes), else in hex.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "midi/midi_file_reader.h"
#include "midi/riff_reader.h"
#include "midi/swing_statistics.h"
#include "support/case_file.h"
#include "support/smf_builder.h"

namespace vl::test {

inline Bytes bytesFromText(const std::string& text) {
    Bytes out;
    std::vector<std::pair<size_t, bool>> open;  // where a length goes, and whether big-endian
    std::istringstream in(text);
    for (std::string t; in >> t;) {
        if (t == "[" || t == "{") {
            open.emplace_back(out.size(), t == "[");
            out.insert(out.end(), 4, 0);
        } else if (t == "]" || t == "}") {
            const auto [at, big] = open.back();
            open.pop_back();
            const size_t n = out.size() - at - 4;
            for (size_t k = 0; k < 4; ++k)
                out[at + k] = static_cast<uint8_t>(n >> (8 * (big ? 3 - k : k)));
        } else if (t.front() == '"') {
            out.insert(out.end(), t.begin() + 1, t.end() - 1);
        } else if (const size_t star = t.find('*'); star != std::string::npos) {
            out.insert(out.end(), std::stoul(t.substr(star + 1)),
                       static_cast<uint8_t>(std::stoul(t.substr(0, star), nullptr, 16)));
        } else {
            for (size_t k = 0; k + 1 < t.size(); k += 2)
                out.push_back(static_cast<uint8_t>(std::stoul(t.substr(k, 2), nullptr, 16)));
        }
    }
    return out;
}

inline std::string hex(unsigned value, const char* format = "%02x") {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// The text (between quotes) when printable, else its bytes in hex.
inline std::string textOrHex(std::string_view text, const std::string& quote = "") {
    std::string bytes;
    for (const char c : text) bytes += hex(static_cast<uint8_t>(c));
    const bool printable = std::all_of(text.begin(), text.end(), [](char c) {
        return std::isprint(static_cast<unsigned char>(c)) != 0;
    });
    return printable ? quote + std::string(text) + quote : bytes;
}

inline std::string swingText(const SwingStatistics& s) {
    std::string out;
    for (const auto* figures : {&s.count, &s.offsetSum, &s.offsetSquares})
        for (size_t c = 0; c < 4; ++c) out += (c == 0 ? " " : "/") + std::to_string((*figures)[c]);
    return s.count == std::array<int32_t, 4>{} ? "none" : out.substr(1);
}

inline std::string readText(bool ok, const MidiFileHeader& h, const TrackSet& tracks) {
    std::string out = (ok ? "ok " : "failed ") + textOrHex({h.chunkType.data(), 4}) + " " +
                      std::to_string(h.chunkLength) + " format " + std::to_string(h.format) +
                      " tracks " + std::to_string(h.trackCount) + " division " +
                      std::to_string(tracks.division);
    for (const MidiTrack& t : tracks.tracks) {
        out += "\n" + textOrHex({t.chunkType.data(), 4}) + " " + std::to_string(t.chunkLength) +
               " ch " + hex(t.channelMask, "%04x") + ":";
        for (const MidiEvent& e : t.events) {
            const MidiMessage& m = e.message;
            const std::string payload =
                m.payload.empty() ? "" : " +" + textOrHex(m.payload.text(), "'");
            out += " " + std::to_string(e.time) + " " + hex(m.status) + " " + hex(m.data1) + " " +
                   hex(m.data2) + payload + ",";
        }
    }
    return out;
}

// Runs every case of the table: "bytes" read whole, or from "offset", must give "read";
// "swing": the first track's figures (counts, offset sums, squares by class), also when
// computed again; "rmid": where the RIFF walk finds the embedded file (none by default).
inline void expectReadCases(const std::string& table) {
    for (const Case& c : readCases(table)) {
        SCOPED_TRACE(where(table, c));
        const TempFile file = writeTempFile(bytesFromText(c["bytes"]));
        if (c.has("read")) {
            MidiFileHeader header;
            TrackSet tracks;
            const bool ok = c.has("offset")
                                ? readStandardMidiFile(file.path(), c.number("offset"), header,
                                                       tracks)
                                : readMidiFile(file.path(), header, tracks);
            EXPECT_EQ(readText(ok, header, tracks), c["read"]);
            if (c.has("swing")) {
                MidiTrack again = tracks.tracks.at(0);  // computing again gives the same
                again.swing.count[2] = 9;
                computeSwingStatistics(again);
                EXPECT_EQ(swingText(tracks.tracks[0].swing), c["swing"]);
                EXPECT_EQ(swingText(again.swing), c["swing"]);
            }
        }
        ReadOnlyFile f(file.path());
        const std::optional<uint64_t> at = findRmidDataOffset(f);
        EXPECT_EQ(at ? std::to_string(*at) : "none", c.has("rmid") ? c["rmid"] : "none");
    }
}

}  // namespace vl::test
