// Copying the first track's signatures into other tracks as meta markers, and removing
// them again (rows in tests/data/cases/meta_markers.txt).

#include "markers/meta_markers.h"

#include <gtest/gtest.h>

#include "markers/marker_cases.h"
#include "support/case_file.h"

namespace vl::test {
namespace {

// Every insertion is also repeated (it adds nothing) and, where the destination had
// no meta markers, undone by removing them.
TEST(MetaMarkers, every_case_of_the_table_gives_its_track) {
    for (const Case& c : readCases("meta_markers")) {
        SCOPED_TRACE(where("meta_markers", c));
        MidiTrack dest = trackOf((c["dest"]));
        const std::string before = trackText(dest);
        if (c.has("removed")) {
            EXPECT_EQ(removeMetaMarkers(dest), c.number("removed"));
            EXPECT_EQ(trackText(dest), flat(c["after"]));
            continue;
        }
        const MidiTrack source = trackOf(c["source"]);
        EXPECT_EQ(insertMetaMarkers(dest, source), c.number("copied"));
        EXPECT_EQ(trackText(dest), flat(c["after"]));
        EXPECT_EQ(insertMetaMarkers(dest, source), 0u);
        EXPECT_EQ(trackText(dest), flat(c["after"]));
        if (before.find("KQVLMTA") != std::string::npos) continue;
        EXPECT_EQ(removeMetaMarkers(dest), c.number("copied"));
        EXPECT_EQ(trackText(dest), before);
    }
}

TEST(MetaMarkers, a_track_set_copies_from_its_first_track_into_the_others) {
    TrackSet set;
    set.appendTrack(trackFromText("0 TS 3 2, 10 on 0 60"));
    EXPECT_EQ(insertMetaMarkers(set), 0u);
    set.appendTrack(trackFromText("0 on 1 60, 20 off 1 60"));
    set.appendTrack(trackFromText("5 on 2 60, 20 KS 1 1"));
    EXPECT_EQ(insertMetaMarkers(set), 2u);
    EXPECT_EQ(trackText(set.tracks[0]) + " | " + trackText(set.tracks[1]) + " | " +
                  trackText(set.tracks[2]),
              "0 TS 3 2, 10 on 0 60 | 0 KQVLMTA 58 03 02 18 08, 0 on 1 60, 20 off 1 60 | "
              "0 KQVLMTA 58 03 02 18 08, 5 on 2 60, 20 KS 1 1");
    EXPECT_EQ(removeMetaMarkers(set), 2u);
    EXPECT_EQ(trackText(set.tracks[2]), "5 on 2 60, 20 KS 1 1");
}

}  // namespace
}  // namespace vl::test
