// Swing figures summed over a track set and the swing amount drawn from them:
// from hand-made statistics and from whole tracks of straight, swung or mixed
// note-ons. Cases are in data/cases/swing_detection.txt.

#include "analysis/swing_detection.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>

#include "midi/swing_statistics.h"
#include "support/case_file.h"

namespace vl::test {
namespace {

using Four = std::array<int32_t, 4>;

Four fourOf(std::istream& in) {
    Four f{};
    for (int32_t& v : f) in >> v;
    std::string bar;
    in >> bar;
    return f;
}

std::string textOf(const Four& f) {
    return std::to_string(f[0]) + ' ' + std::to_string(f[1]) + ' ' + std::to_string(f[2]) + ' ' +
           std::to_string(f[3]);
}

// A track with the statistics "counts | sums | squares".
MidiTrack statisticsTrack(const std::string& line) {
    std::istringstream in(line);
    MidiTrack t(96);
    t.swing.count = fourOf(in);
    t.swing.offsetSum = fourOf(in);
    t.swing.offsetSquares = fourOf(in);
    return t;
}

// Note-ons at the positions of the line in each of 8 quarter notes.
MidiTrack notesInEveryQuarter(const std::string& line, uint32_t division) {
    MidiTrack t(division);
    uint32_t previous = 0;
    for (uint32_t q = 0; q < 8; ++q) {
        std::istringstream in(line);
        for (uint32_t p = 0; in >> p;) {
            t.append(MidiEvent(q * division + p - previous,
                               MidiMessage::channel(kind::NoteOn, 0, 60, 90)));
            previous = q * division + p;
        }
    }
    computeSwingStatistics(t);
    return t;
}

std::string run(const Case& c) {
    const std::string op = c["op"];
    if (op == "root") return std::to_string(ceilingSquareRoot(c.number("at")));
    if (op == "amount") {
        SwingFigures f;
        std::istringstream mean(c["mean"] + " |");
        std::istringstream deviation(c["deviation"] + " |");
        f.mean = fourOf(mean);
        f.deviation = fourOf(deviation);
        return std::to_string(swingAmount(f));
    }
    TrackSet set;
    set.division = static_cast<uint32_t>(c.number("division", 96));
    std::istringstream lines(c["tracks"]);
    for (std::string line; std::getline(lines, line);)
        set.appendTrack(op == "figures" ? statisticsTrack(line)
                                        : notesInEveryQuarter(line, set.division));
    if (op == "tracks") return std::to_string(detectSwing(set));
    const SwingFigures f = computeSwingFigures(set);
    return textOf(f.count) + " | " + textOf(f.mean) + " | " + textOf(f.deviation);
}

TEST(SwingDetection, figures_and_amounts_are_those_of_their_cases) {
    for (const Case& c : readCases("swing_detection")) {
        SCOPED_TRACE(where("swing_detection", c));
        EXPECT_EQ(run(c), c["result"]);
    }
}

}  // namespace
}  // namespace vl::test
