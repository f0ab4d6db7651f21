// The starting program of a channel: the earliest first program change over
// all tracks, the earlier track on equal times, whatever the channel masks of
// the tracks say (they only order the search).

#include "notation/program_lookup.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/case_file.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

// tracks: track texts separated by "|", masks: the channel mask of each
// track, channel, program (or "none").
TEST(ProgramOfChannel, earliest_first_change_wins_and_equal_times_go_to_the_earlier_track) {
    for (const Case& c : readCases("notation/program_lookup")) {
        TrackSet set;
        std::istringstream tracks(c["tracks"]);
        std::istringstream masks(c["masks"]);
        for (std::string text; std::getline(tracks, text, '|');) {
            MidiTrack track = trackFromText(text);
            masks >> track.channelMask;
            set.appendTrack(std::move(track));
        }
        const uint8_t program = programOfChannel(set, uint8_t(c.number("channel")));
        EXPECT_EQ(program == kNoProgram ? "none" : std::to_string(program), c["program"])
            << where("program_lookup", c);
    }
}

}  // namespace
}  // namespace vl::test
