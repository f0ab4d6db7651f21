#include "analysis/track_text.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/track_listing.h"

namespace vl::test {
namespace {

// Without its leading spaces; trailing ones belong to a marker's text.
std::string unindented(const std::string& s) {
    const size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first);
}

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

}  // namespace

MidiTrack trackFromText(const std::string& items) {
    TrackBuilder builder;
    std::istringstream all(items);
    std::string item;
    while (std::getline(all, item, ',')) {
        item = unindented(item);
        const size_t space = item.find(' ');
        const int64_t time = std::stoll(item.substr(0, space));
        builder.at(time, messageFromText(unindented(item.substr(space))));
    }
    return builder.take();
}

std::string trackText(const MidiTrack& track) {
    std::string out;
    for (const Timed& t : listTrack(track))
        out += (out.empty() ? "" : ", ") + std::to_string(t.time) + ' ' + t.what;
    return out;
}

}  // namespace vl::test
