// Inserting and erasing events in a track keeps the absolute times of the others
// (rows in tests/data/cases/midi_track.txt).

#include "midi/midi_track.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "support/case_file.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

TEST(MidiTrack, every_edit_of_the_table_keeps_the_other_events_times) {
    for (const Case& c : readCases("midi_track")) {
        SCOPED_TRACE(where("midi_track", c));
        MidiTrack t = trackFromText(c["track"]);
        MidiTrack run = trackFromText(c.has("events") ? c["events"] : "");
        const std::string edit = c.has("insert") ? "insert" : c.has("erase") ? "erase" : "run";
        std::istringstream in(c[edit]);
        std::string at;
        uint32_t ticks = 0;
        in >> at >> ticks;
        const EventPos p = at == "end" ? t.end() : std::next(t.begin(), std::stol(at));
        const EventPos got = edit == "insert" ? t.insertBefore(p, ticks, MidiEvent(999, "KQVLBAR"))
                             : edit == "erase" ? t.erase(p)
                                               : t.insertRunBefore(p, ticks, run.events);
        EXPECT_EQ(got == t.end() ? "end" : std::to_string(std::distance(t.begin(), got)),
                  c["result"]);
        EXPECT_EQ(trackText(t), c["after"]);
        EXPECT_EQ(run.size(), static_cast<size_t>(c.number("run left")));
    }
}

}  // namespace
}  // namespace vl::test
