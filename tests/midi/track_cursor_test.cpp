// Walking a track with a cursor (rows in tests/data/cases/track_cursor.txt), and
// inserting at the cursor.

#include "midi/track_cursor.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "support/case_file.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

std::string here(const TrackCursor& c) {
    return " " + std::to_string(c.time()) + "/" + std::to_string(c.barTime());
}

std::string walk(MidiTrack& t) {
    TrackCursor c(t);
    std::string out;
    for (; !c.atEnd(); c.advance()) out += here(c);
    for (out += " |"; c.hasPrevious();) {
        c.retreat();
        out += here(c);
    }
    return out.substr(1);
}

std::string seek(MidiTrack& t, const std::string& searches) {
    std::istringstream in(searches);
    std::string out;
    for (long start = 0, time = 0; in >> start >> time; in.ignore(1)) {
        TrackCursor c(t);
        for (long i = 0; i < start; ++i) c.advance();
        const bool found = c.seekInsertionPoint(time);
        const long at = std::distance(t.events.begin(), c.position());
        out += found ? " " + std::to_string(at) : at == static_cast<long>(t.size()) ? " end" : " ?";
    }
    return out.substr(1);
}

TEST(TrackCursor, every_track_of_the_table_walks_as_expected) {
    for (const Case& c : readCases("track_cursor")) {
        SCOPED_TRACE(where("track_cursor", c));
        MidiTrack t = trackFromText(c["track"], static_cast<uint32_t>(c.number("division", 96)));
        std::string phases;
        for (TrackCursor k(t); !k.atEnd(); k.advance()) phases += std::to_string(k.quarterPhase());
        if (c.has("walk")) { EXPECT_EQ(walk(t), c["walk"]); }
        if (c.has("phases")) { EXPECT_EQ(phases, c["phases"]); }
        if (c.has("seek")) { EXPECT_EQ(seek(t, c["seek"]), c["at"]); }
    }
}

TEST(TrackCursor, inserting_stands_on_the_new_event_without_passing_it) {
    MidiTrack t = trackFromText("0 on 0 60, 30 on 0 61");
    TrackCursor c(t);
    c.advance();
    ASSERT_TRUE(c.insertBefore(10, MidiEvent(0, "KQVLBAR")));
    EXPECT_TRUE(c.event().message.isBarMarker());
    EXPECT_FALSE(c.insertBefore(21, MidiEvent(0, "KQVLBAR")));  // the new delta is 20
    EXPECT_EQ(here(c), " 20/0");
    EXPECT_EQ(trackText(t), "0 on 0 60, 20 KQVLBAR, 30 on 0 61");
}

}  // namespace
}  // namespace vl::test
