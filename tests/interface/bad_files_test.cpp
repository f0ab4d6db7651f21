// Every malformed file in tests/data/bad either fails to open (null handle) or
// opens, initialises and is walked completely through the C interface. The
// sanitizer build turns any bad read, leak or undefined behaviour on the way
// into a failure; the table says which of the two outcomes each file has.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "support/source_path.h"
#include "vlmidiin.h"

namespace {

namespace fs = std::filesystem;

enum class Outcome { Null, Opens };

// File name -> what open does with it.
const std::map<std::string, Outcome>& expectedOutcomes() {
    static const std::map<std::string, Outcome> table{
        {"empty.mid", Outcome::Null},
        {"three_bytes.mid", Outcome::Null},
        {"truncated_header.mid", Outcome::Null},
        {"header_only_no_tracks_present.mid", Outcome::Null},
        {"wrong_signature.mid", Outcome::Null},
        {"track_count_too_high.mid", Outcome::Null},
        {"track_count_65535.mid", Outcome::Null},
        {"truncated_track_header.mid", Outcome::Null},
        {"chunk_length_past_end.mid", Outcome::Opens},
        {"chunk_length_ffffffff.mid", Outcome::Opens},
        {"chunk_length_zero.mid", Outcome::Opens},
        {"vlq_five_bytes.mid", Outcome::Opens},
        {"vlq_cut_at_end.mid", Outcome::Opens},
        {"meta_length_past_end.mid", Outcome::Opens},
        {"meta_type_missing_at_end.mid", Outcome::Opens},
        {"sysex_length_past_end.mid", Outcome::Opens},
        {"data_byte_at_track_start.mid", Outcome::Opens},
        {"note_data_cut_at_end.mid", Outcome::Opens},
        {"division_zero.mid", Outcome::Opens},
        {"division_smpte.mid", Outcome::Opens},
        {"time_signature_numerator_zero.mid", Outcome::Opens},
        {"time_signature_denominator_power_7.mid", Outcome::Opens},
        {"time_signature_denominator_power_255.mid", Outcome::Opens},
        {"time_signature_payload_short.mid", Outcome::Opens},
        {"delta_2_28_at_division_1.mid", Outcome::Opens},
        {"note_on_never_off.mid", Outcome::Opens},
        {"marker_payloads_garbage.mid", Outcome::Opens},
        {"riff_without_rmid.rmi", Outcome::Null},
        {"riff_without_data.rmi", Outcome::Null},
        {"riff_data_size_past_end.rmi", Outcome::Opens},
        {"riff_truncated.rmi", Outcome::Null},
    };
    return table;
}

fs::path badFolder() { return vl::test::sourcePath("tests/data/bad"); }

bool isMidiFile(const fs::path& p) { return p.extension() == ".mid" || p.extension() == ".rmi"; }

// More items than this from a file of a few dozen bytes means runaway work.
constexpr uint64_t kItemCeiling = 1'000'000;

uint64_t walkList(ImportSession* session) {
    uint64_t items = 0;
    ImportItem item{};
    std::array<char, 128> buffer{};
    for (bool more = vlImportGetFirstItem(session, &item) != 0; more && items < kItemCeiling;
         more = vlImportGetNextItem(session, &item) != 0) {
        ++items;
        VliGetDescription(&item, buffer.data(), static_cast<uint32_t>(buffer.size()));
        (void)vlImportItemText(session, &item);
    }
    return items;
}

// Walks everything a host can ask for; returns the number of items and lines.
uint64_t walkEverything(ImportSession* session) {
    uint64_t count = 0;
    if (vlImportGetStartItems(session) != 0) count += walkList(session);
    if (vlImportGetGuideStrand(session) != 0) count += walkList(session);
    ImportItem voicing{};
    for (bool more = vlImportGetFirstStrand(session) != 0; more && count < kItemCeiling;
         more = vlImportGetNextStrand(session) != 0) {
        vlImportGetStartVoicing(session, &voicing);
        count += walkList(session);
    }
    for (bool more = VlMidiTextLineSetFirst(session) != 0; more && count < kItemCeiling;
         more = VlMidiTextLineSetNext(session) != 0) {
        ++count;
        for (uint16_t chunk = 0; chunk < 16; ++chunk) (void)VlMidiTextLineTextChunk(session, chunk);
    }
    return count;
}

TEST(BadFilesTest, FolderAndTableListTheSameFiles) {
    std::set<std::string> onDisk;
    for (const auto& entry : fs::directory_iterator(badFolder()))
        if (isMidiFile(entry.path())) onDisk.insert(entry.path().filename().string());
    std::set<std::string> inTable;
    for (const auto& [name, outcome] : expectedOutcomes()) inTable.insert(name);
    EXPECT_EQ(onDisk, inTable);
    EXPECT_GE(onDisk.size(), 25u);
}

TEST(BadFilesTest, EachFileFailsCleanlyOrImportsToTheEnd) {
    for (const auto& [name, outcome] : expectedOutcomes()) {
        SCOPED_TRACE(name);
        const std::string path = (badFolder() / name).string();
        ImportSession* session = vlImportOpenFromName(path.c_str());
        if (outcome == Outcome::Null) {
            EXPECT_EQ(session, nullptr);
            vlImportClose(&session);
            continue;
        }
        ASSERT_NE(session, nullptr);
        const int32_t strands = vlImportInitialise(session);
        EXPECT_GE(strands, 0);
        EXPECT_EQ(vlImportStrandCount(session), strands);
        EXPECT_LT(walkEverything(session), kItemCeiling);
        vlImportClose(&session);
        EXPECT_EQ(session, nullptr);
    }
}

}  // namespace
