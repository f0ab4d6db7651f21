// Shared track operations: finding a note's end, moving events earlier and
// later, deleting notes and tied pieces, moving back one place, purging and
// the combined channel mask. Cases are in data/cases/track_operations.txt.

#include "analysis/track_operations.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/track_step_driver.h"
#include "platform/progress_reporter.h"
#include "support/case_file.h"
#include "support/fake_host.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

std::vector<size_t> indicesOf(const Case& c) {
    std::istringstream in(c["at"]);
    std::vector<size_t> out;
    for (size_t i = 0; in >> i;) out.push_back(i);
    return out;
}

TrackCursor cursorAt(MidiTrack& track, size_t index) {
    TrackCursor c(track);
    for (size_t i = 0; i < index; ++i) c.advance();
    return c;
}

std::string indexOf(MidiTrack& track, EventPos p) {
    return std::to_string(std::distance(track.begin(), p));
}

std::string findEnd(MidiTrack& t, size_t at) {
    EventPos p = posAt(t, at);
    const NoteEnd end = findNoteEnd(t, p);
    TrackCursor cursor = cursorAt(t, at);
    const NoteEnd byCursor = findNoteEnd(cursor);
    EXPECT_EQ(byCursor.found, end.found);
    EXPECT_EQ(byCursor.length, end.length);
    EXPECT_EQ(indexOf(t, cursor.position()), indexOf(t, p));
    return std::to_string(end.found) + ' ' + std::to_string(end.length) + ' ' + indexOf(t, p) +
           ' ' + std::to_string(cursor.time()) + ' ' + std::to_string(cursor.barTime());
}

std::string shift(MidiTrack& t, size_t at, int64_t ticks) {
    TrackCursor cursor = cursorAt(t, at);
    const size_t passed = shiftEvent(cursor, ticks);
    return std::to_string(passed) + ' ' + std::to_string(cursor.time()) + ' ' +
           std::to_string(cursor.barTime()) + ' ' +
           (cursor.atEnd() ? "end" : describe(cursor.event().message));
}

// Runs the case's operation; its result as the case states it.
std::string run(const Case& c, MidiTrack& t) {
    const std::string op = c["op"];
    const std::vector<size_t> at = c.has("at") ? indicesOf(c) : std::vector<size_t>{};
    if (op == "note-end") return findEnd(t, at.at(0));
    if (op == "shift") return shift(t, at.at(0), c.number("ticks"));
    if (op == "delete-note") deleteNote(t, posAt(t, at.at(0)), posAt(t, at.at(1)));
    if (op == "delete-tied") deleteTiedPiece(t, posAt(t, at.at(0)), posAt(t, at.at(1)));
    if (op == "purge") return std::to_string(purgeDeleted(t));
    std::string result;
    if (op == "move-back")
        for (size_t i : at) result += (result.empty() ? "" : " ") +
                                      std::to_string(moveBackOnePlace(t, posAt(t, i)));
    if (op == "mask") {
        t.channelMask = 0xFFFF;
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%x", computeChannelMask(t));
        EXPECT_EQ(t.channelMask, computeChannelMask(t));
        result = hex;
    }
    return result;
}

TEST(TrackOperations, each_operation_leaves_the_track_and_result_of_its_case) {
    for (const Case& c : readCases("track_operations")) {
        SCOPED_TRACE(where("track_operations", c));
        MidiTrack t = trackFromText(c["in"]);
        const std::string result = run(c, t);
        EXPECT_EQ(trackText(t, true), c.oneLine(c.has("out") ? "out" : "in"));
        if (c.has("result")) {
            EXPECT_EQ(result, c["result"]);
        }
        if (c.has("velocity")) {  // "index velocity" of the note-on handed over
            std::istringstream in(c["velocity"]);
            size_t index = 0;
            int velocity = 0;
            in >> index >> velocity;
            EXPECT_EQ(posAt(t, index)->message.data2, velocity);
        }
    }
}

TEST(TrackOperations, cancelled_purge_leaves_the_rest_for_the_next_purge) {
    MidiTrack t =
        trackFromText("0 st b0 01, 2 KQVLZZZ, 4 st b0 02, 6 st b0 03, 8 KQVLZZZ, 10 st b0 04");
    // Index i reports (i + 1) * 100 / 6 percent: index 3 is the first at 60.
    FakeHost host;
    host.cancelFromPercent(60);
    EventProgress progress(host.progress, t.size());
    EXPECT_EQ(purgeDeleted(t, &progress), 1u);
    EXPECT_EQ(trackText(t), "0 st b0 01, 4 st b0 02, 6 st b0 03, 8 KQVLZZZ, 10 st b0 04");
    EXPECT_EQ(purgeDeleted(t), 1u);
    EXPECT_EQ(trackText(t), "0 st b0 01, 4 st b0 02, 6 st b0 03, 10 st b0 04");
}

}  // namespace
}  // namespace vl::test
