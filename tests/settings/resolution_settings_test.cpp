// Loading and saving the two resolution records, and the overlap tolerance test.
#include "settings/resolution_settings.h"

#include <gtest/gtest.h>

#include <climits>

#include "settings/settings_store.h"
#include "support/case_file.h"
#include "support/smf_builder.h"

namespace vl::test {
namespace {

std::string summary(const ResolutionSettings& r) {
    return std::to_string(r.triplets) + " " + std::to_string(r.swing) + " " +
           std::to_string(r.quantisationBeat);
}

TEST(ResolutionSettings, an_empty_store_gives_each_section_its_defaults) {
    const SettingsStore store("");
    EXPECT_EQ(summary(loadResolutionSettings(store, kRhythmResolutionSection)) + " " +
                  summary(loadResolutionSettings(store, kInputResolutionSection)), "1 1 7 0 0 5");
}

TEST(ResolutionSettings, stored_values_become_flags_and_a_clamped_beat) {
    for (const Case& c : readCases("resolution_settings_stored")) {
        SettingsStore store("");
        for (const char* name : {"swing", "triplets", "quantisation beat"})
            store.writeInt("input resolution", name, static_cast<int32_t>(c.number("stored")));
        EXPECT_EQ(summary(loadResolutionSettings(store, kInputResolutionSection)),
                  c["flag"] + " " + c["flag"] + " " + c["beat"])
            << where("resolution_settings_stored", c);
    }
}

TEST(ResolutionSettings, both_records_round_trip_through_the_file) {
    const TempDir dir;
    const std::string path = dir.path() + "/Tolvek Software/vlmidiin.ini";
    ResolutionSettings files, live;
    files.triplets = 5;  // any non-zero value is stored as 1
    files.swing = 0;
    files.quantisationBeat = live.swing = 4;
    live.quantisationBeat = 6;
    SettingsStore written(path);
    saveResolutionSettings(written, kRhythmResolutionSection, files);
    saveResolutionSettings(written, kInputResolutionSection, live);
    ASSERT_TRUE(written.save());
    SettingsStore store(path);
    store.load();
    EXPECT_EQ(store.readInt("rhythm resolution", "triplets", -1), 1);
    EXPECT_EQ(summary(loadResolutionSettings(store, kRhythmResolutionSection)), "1 0 4");
    EXPECT_EQ(summary(loadResolutionSettings(store, kInputResolutionSection)), "0 1 6");
}

TEST(ResolutionSettings, overlaps_are_accepted_by_class_and_tolerance) {
    const ResolutionSettings s;
    for (const Case& c : readCases("resolution_settings_overlaps")) {
        SCOPED_TRACE(where("resolution_settings_overlaps", c));
        // the first span ends `overlap` after the second (1000, 1000 + length) starts
        const int64_t end = 1000 + c.number("overlap");
        const int64_t length = c.number("length");
        const bool accepted = c.number("accepted") != 0;
        EXPECT_EQ(acceptOverlap(end - 1000000, end, 1000, 1000 + length, 10, s), accepted);
        EXPECT_EQ(acceptOverlap(end - length, end, 1000, 10, s), accepted);
    }
    // the first span being the shorter one decides too
    EXPECT_FALSE(acceptOverlap(1000 - 22, 1015, 1000, 5000, 10, s));
    EXPECT_TRUE(acceptOverlap(1000 - 23, 1015, 1000, 5000, 10, s));
}

TEST(ResolutionSettings, overlap_tests_do_not_overflow_at_the_extremes) {
    const ResolutionSettings s;
    EXPECT_FALSE(acceptOverlap(INT64_MIN, INT64_MAX, INT64_MIN, INT64_MAX, 1, s));
    EXPECT_FALSE(acceptOverlap(INT64_MIN, INT64_MAX, INT64_MIN, INT64_MAX, INT64_MAX, s));
    const int64_t c = int64_t{1} << 62;  // overlap 2^62 - 1 in the first class, L = 2^64 - 1
    EXPECT_TRUE(acceptOverlap(INT64_MIN, INT64_MAX, c, int64_t{1} << 61, s));
    EXPECT_FALSE(acceptOverlap(INT64_MIN, INT64_MAX, c, INT64_MAX, int64_t{1} << 61, s));
    EXPECT_TRUE(acceptOverlap(0, INT64_MAX, INT64_MAX - 1, INT64_MAX, s));  // overlap 1 < q
    EXPECT_FALSE(acceptOverlap(INT64_MAX, INT64_MIN, INT64_MIN, 0, s));     // q = 0
}

}  // namespace
}  // namespace vl::test
