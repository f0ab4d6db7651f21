// Predicates and values that treat real messages and marker events alike (rows in
// tests/data/cases/marker_events.txt).

#include "markers/marker_events.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "markers/marker_cases.h"
#include "markers/marker_text.h"
#include "support/case_file.h"

namespace vl::test {
namespace {

std::string classification(const MidiMessage& m) {
    const bool flags[] = {isNoteCombined(m), isNoteOnCombined(m),  isNoteOffCombined(m),
                          isBarKeyOrTime(m), isBarKeyTimeOrTempo(m), isRealKeyOrTime(m),
                          isMetaMarker(m),   isStructuralEvent(m)};
    std::string out;
    for (size_t k = 0; k < 8; ++k) out += flags[k] ? std::string(1, "NOFBTRMS"[k]) : "";
    const bool marker = m.isMeta();
    EXPECT_EQ(isProprietaryNote(m), marker && flags[0]);
    EXPECT_EQ(isProprietaryNoteOn(m), marker && flags[1]);
    EXPECT_EQ(isProprietaryNoteOff(m), marker && flags[2]);
    return (out.empty() ? "-" : out) + " ch " + std::to_string(channelOf(m)) + " " +
           std::to_string(channelOf(m, true)) + " key " + std::to_string(keyOf(m));
}

std::string matches(const MidiMessage& m, const std::string& of) {
    unsigned channel = 0, key = 0;
    std::istringstream(of) >> channel >> key;
    const auto c = static_cast<uint8_t>(channel);
    const auto k = static_cast<uint8_t>(key);
    std::string out = std::string(isNoteOnOf(m, c, k) ? " on" : "") +
                      (isNoteOffOf(m, c, k) ? " off" : "") +
                      (isBarOrNoteOnOf(m, c, k) ? " bar-or-on" : "");
    return out.empty() ? "none" : out.substr(1);
}

std::string tempoText(const MidiMessage& m) {
    const auto us = tempoMicroseconds(m), qpm = quartersPerMinute(m);
    return !us ? "none" : std::to_string(*us) + " " + (qpm ? std::to_string(*qpm) : "none");
}

// The values read into bytes that hold 55 before: "key sf mi", "time ..." or "tempo ...".
std::string signatureText(const MidiMessage& m) {
    std::array<uint8_t, 4> v{0x55, 0x55, 0x55, 0x55};
    const char* what = keySignature(m, v[0], v[1])                     ? "key"
                       : timeSignature(m, v[0], v[1], v[2], v[3]) ? "time"
                       : tempo(m, v[0], v[1], v[2])               ? "tempo"
                                                                  : "none";
    const std::string kind = what;
    std::string out = kind;
    for (size_t k = 0; kind != "none" && k < (kind == "key" ? 2u : kind == "time" ? 4u : 3u); ++k)
        out += " " + hex(v[k]);
    return out;
}

TEST(MarkerEvents, every_case_of_the_table_gives_its_values) {
    for (const Case& c : readCases("marker_events")) {
        SCOPED_TRACE(where("marker_events", c));
        const MidiMessage m = messageOf(c["message"]);
        const auto division = static_cast<uint32_t>(c.number("division"));
        const std::map<std::string, std::function<std::string()>> checks = {
            {"is", [&] { return classification(m); }},
            {"matches", [&] { return matches(m, c["of"]); }},
            {"tempo", [&] { return tempoText(m); }},
            {"bar", [&] { return std::to_string(barLength(m, division)); }},
            {"signature", [&] { return signatureText(m); }}};
        for (const auto& [key, actual] : checks) {
            if (c.has(key)) {
                EXPECT_EQ(actual(), c[key]) << key;
            }
        }
    }
    EXPECT_EQ(signatureText(timeSignatureMarkerMessage(6, 3, 24, 8)), "time 06 03 18 08");
}

}  // namespace
}  // namespace vl::test
