// The statistics record of a track set: whole-tick grids by division and grid
// fits of the onset intervals (case files) and presence bits of the first track;
// the swing figures are pinned through the export on a read file.
#include "dialogs/statistics_record.h"

#include <gtest/gtest.h>

#include <sstream>

#include "markers/marker_text.h"
#include "support/case_file.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

template <typename Values>
std::string joined(const Values& values, size_t from, size_t count) {
    std::string out;
    for (size_t i = from; i < from + count; ++i)
        out += (out.empty() ? "" : " ") + std::to_string(values[i]);
    return out;
}

StatisticsValues computed(const TrackSet& set) {
    StatisticsValues v;
    v.fill(12345);
    EXPECT_TRUE(computeStatistics(set, v));
    return v;
}

TEST(StatisticsGrids, whole_tick_grids_by_division) {
    for (const Case& c : readCases("statistics_grids")) {
        const auto division = static_cast<uint32_t>(c.number("division"));
        EXPECT_EQ(joined(straightGrids(division), 0, kGridCount), c["straight"]) << c.name;
        EXPECT_EQ(joined(tripletGrids(division), 0, kGridCount), c["triplet"]) << c.name;
    }
}

TEST(StatisticsGridFits, onset_intervals_against_each_grid) {
    for (const Case& c : readCases("statistics_grid_fits")) {
        TrackSet set;
        set.division = static_cast<uint32_t>(c.number("division"));
        std::istringstream tracks(c["tracks"]);
        for (std::string text; std::getline(tracks, text, '|');)
            set.appendTrack(trackFromText(text, set.division));
        const StatisticsValues v = computed(set);
        EXPECT_EQ(joined(v, statistics::StraightFits, kGridCount), c["straight"]) << c.name;
        EXPECT_EQ(joined(v, statistics::TripletFits, kGridCount), c["triplet"]) << c.name;
    }
}

MidiEvent realMeta(uint32_t delta, uint8_t type) {
    static const uint8_t bytes[4] = {0x07, 0xA1, 0x20, 0x08};
    return MidiEvent(delta, type, type == meta::KeySignature ? 2 : type == meta::Tempo ? 3 : 4,
                     bytes);
}

TEST(StatisticsPresence, real_signatures_and_tempo_of_the_first_track_only) {
    using namespace presence;
    const uint8_t tempo = meta::Tempo, time = meta::TimeSignature, key = meta::KeySignature;
    const struct {
        std::vector<MidiEvent> first, second;
        int32_t bits;
    } cases[] = {
        {{realMeta(0, tempo), realMeta(960, tempo)}, {}, TempoAtStart | TempoLater},
        {{}, {realMeta(0, tempo), realMeta(960, tempo)}, 0},
        {{realMeta(0, time), realMeta(1, meta::SmpteOffset), realMeta(479, key)}, {},
         TimeSignatureAtStart | KeySignatureLater},
        {{realMeta(0, time), realMeta(0, key), realMeta(0, tempo), realMeta(1, time),
          realMeta(0, key), realMeta(0, tempo)}, {}, 0x3F},
        {{MidiEvent(0, MidiMessage::markerText(tempoMarkerText(7, 0xA1, 0x20))),
          MidiEvent(0, timeSignatureMarkerMessage(4, 2, 24, 8)),
          MidiEvent(96, keySignatureMarkerMessage(2, 0))}, {}, 0},
    };
    for (const auto& c : cases) {
        TrackSet set;
        set.division = 96;
        for (const auto* events : {&c.first, &c.second}) {
            MidiTrack& t = set.addEmptyTrack();
            for (const MidiEvent& e : *events) t.append(e);
        }
        EXPECT_EQ(computed(set)[statistics::Presence], c.bits) << &c - cases;
    }
}

}  // namespace
}  // namespace vl::test
