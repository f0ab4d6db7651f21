// Loading and saving the two settings records, and the chord and overlap
// tolerance tests.
#include "settings/resolution_settings.h"

#include <gtest/gtest.h>

#include <climits>

#include "settings/settings_store.h"
#include "support/smf_builder.h"

namespace {

using vl::ResolutionSettings;

TEST(ResolutionSettings, an_empty_store_gives_each_section_its_defaults) {
    const vl::SettingsStore store("");
    const ResolutionSettings files = vl::loadResolutionSettings(store, vl::kRhythmResolutionSection);
    EXPECT_EQ(files.triplets, 1u);
    EXPECT_EQ(files.swing, 1u);
    EXPECT_EQ(files.quantisationBeat, 7);
    const ResolutionSettings live = vl::loadResolutionSettings(store, vl::kInputResolutionSection);
    EXPECT_EQ(live.triplets, 0u);
    EXPECT_EQ(live.swing, 0u);
    EXPECT_EQ(live.quantisationBeat, 5);
    EXPECT_EQ(live.chordEndTolerance, 100);  // tolerances are constants, not stored
    EXPECT_EQ(live.overlapTolerance3, 30);
}

TEST(ResolutionSettings, stored_values_become_booleans_and_a_clamped_beat) {
    struct Case {
        int32_t stored, flag;
        uint8_t beat;
    } cases[] = {
        {9, 1, 7},  {2, 1, 3},   {261, 1, 5},  // 261: lowest byte 5
        {3, 1, 3},  {7, 1, 7},   {4, 1, 4},   {0, 0, 3},
        {-1, 1, 7},  // lowest byte 255
        {256, 1, 3}, {-250, 1, 6},  // -250: lowest byte 6
    };
    for (const Case& c : cases) {
        vl::SettingsStore store("");
        store.writeInt("input resolution", "swing", c.stored);
        store.writeInt("input resolution", "triplets", c.stored);
        store.writeInt("input resolution", "quantisation beat", c.stored);
        const ResolutionSettings s = vl::loadResolutionSettings(store, vl::kInputResolutionSection);
        EXPECT_EQ(s.swing, static_cast<uint32_t>(c.flag)) << c.stored;
        EXPECT_EQ(s.triplets, static_cast<uint32_t>(c.flag)) << c.stored;
        EXPECT_EQ(s.quantisationBeat, c.beat) << c.stored;
    }
}

TEST(ResolutionSettings, both_records_round_trip_through_the_file) {
    vl::test::TempDir dir;
    const std::string path = dir.path() + "/Tolvek Software/vlmidiin.ini";
    ResolutionSettings files;
    files.triplets = 5;  // any non-zero value is stored as 1
    files.swing = 0;
    files.quantisationBeat = 4;
    ResolutionSettings live;
    live.triplets = 0;
    live.swing = 1;
    live.quantisationBeat = 6;
    {
        vl::SettingsStore store(path);
        vl::saveResolutionSettings(store, vl::kRhythmResolutionSection, files);
        vl::saveResolutionSettings(store, vl::kInputResolutionSection, live);
        ASSERT_TRUE(store.save());
    }
    vl::SettingsStore store(path);
    store.load();
    EXPECT_EQ(store.readInt("rhythm resolution", "triplets", -1), 1);
    EXPECT_EQ(store.readInt("rhythm resolution", "quantisation beat", -1), 4);
    const ResolutionSettings f = vl::loadResolutionSettings(store, vl::kRhythmResolutionSection);
    const ResolutionSettings l = vl::loadResolutionSettings(store, vl::kInputResolutionSection);
    EXPECT_EQ(f.triplets, 1u);
    EXPECT_EQ(f.swing, 0u);
    EXPECT_EQ(f.quantisationBeat, 4);
    EXPECT_EQ(l.triplets, 0u);
    EXPECT_EQ(l.swing, 1u);
    EXPECT_EQ(l.quantisationBeat, 6);
}

TEST(ResolutionSettings, overlaps_are_accepted_by_class_and_tolerance) {
    const ResolutionSettings s;  // tolerances 40, 40, 30
    const int64_t q = 10;
    struct Case {
        int64_t overlap, length;
        bool accepted;
    } cases[] = {
        {-50, 1, true},     // a gap
        {9, 1, true},       // o < q: always
        {15, 38, true},     // q <= o < 2q: 1500 < 40 x 38
        {15, 37, false},
        {25, 63, true},     // 2q <= o < 4q: 2500 < 40 x 63
        {25, 62, false},
        {50, 167, true},    // 4q <= o < 8q: 5000 < 30 x 167
        {50, 166, false},
        {79, 1000, true},
        {80, 1000000, false},  // o >= 8q: always refused
    };
    for (const Case& c : cases) {
        // first span (0, 1000 + o) ends o after the second (1000, 1000 + L) starts;
        // the second is the shorter one.
        const int64_t b = 1000 + c.overlap;
        EXPECT_EQ(vl::acceptOverlap(b - 1000000, b, 1000, 1000 + c.length, q, s), c.accepted)
            << c.overlap << " over " << c.length;
        // second form: the length is that of the first span
        EXPECT_EQ(vl::acceptOverlap(b - c.length, b, 1000, q, s), c.accepted)
            << c.overlap << " over " << c.length;
    }
    // the first span being the shorter one decides too
    EXPECT_FALSE(vl::acceptOverlap(1000 - 22, 1015, 1000, 5000, q, s));  // L 37
    EXPECT_TRUE(vl::acceptOverlap(1000 - 23, 1015, 1000, 5000, q, s));   // L 38
}

TEST(ResolutionSettings, overlap_tests_do_not_overflow_at_the_extremes) {
    const ResolutionSettings s;
    // o = L = 2^64 - 1: beyond 8q, and beyond every tolerance for q = 2^63 - 1
    EXPECT_FALSE(vl::acceptOverlap(INT64_MIN, INT64_MAX, INT64_MIN, INT64_MAX, 1, s));
    EXPECT_FALSE(vl::acceptOverlap(INT64_MIN, INT64_MAX, INT64_MIN, INT64_MAX, INT64_MAX, s));
    // o = 2^62 - 1 in the first class (q = 2^61), L = 2^64 - 1: 100 o < 40 L
    const int64_t c = int64_t{1} << 62;
    EXPECT_TRUE(vl::acceptOverlap(INT64_MIN, INT64_MAX, c, int64_t{1} << 61, s));
    EXPECT_FALSE(vl::acceptOverlap(INT64_MIN, INT64_MAX, c, INT64_MAX, int64_t{1} << 61, s));
    EXPECT_TRUE(vl::acceptOverlap(0, INT64_MAX, INT64_MAX - 1, INT64_MAX, s));  // o = 1 < q
    EXPECT_FALSE(vl::acceptOverlap(INT64_MAX, INT64_MIN, INT64_MIN, 0, s));    // q = 0
}

}  // namespace
