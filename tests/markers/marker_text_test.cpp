// Marker payload texts: the number scanner and the readers of note and meta markers
// (rows in tests/data/cases/marker_text.txt). The texts written are pinned by the bar
// group, meta marker and marker event tables.

#include "markers/marker_text.h"

#include <gtest/gtest.h>

#include <array>

#include "markers/marker_cases.h"
#include "support/case_file.h"

namespace vl::test {
namespace {

std::string noteRead(const MidiMessage& m) {
    const std::optional<ProprietaryNote> note = readProprietaryNote(m);
    return note ? hex(note->status) + " " + hex(note->key) : "none";
}

std::string messageText(const MidiMessage& m) {
    const std::string text(m.payload.text());
    return hex(m.status) + " " + hex(m.data1) + " " + hex(m.data2) +
           (text.empty() ? "" : " '" + text + "'");
}

TEST(MarkerText, every_case_of_the_table_reads_as_expected) {
    for (const Case& c : readCases("marker_text")) {
        SCOPED_TRACE(where("marker_text", c));
        std::string got;
        if (c.has("scan")) {
            std::array<uint32_t, 5> out{};
            const size_t n = scanHexNumbers(quoted(c["scan"]), out);
            for (size_t k = 0; k < n; ++k) got += (k == 0 ? "" : " ") + hex(out[k], "%x");
            EXPECT_EQ(got, c["numbers"]);
        } else if (c.has("note")) {
            const MidiMessage m = MidiMessage::markerText(quoted(c["note"]));
            EXPECT_EQ(noteRead(m), c["read"]);
            EXPECT_EQ(noteRead(m), c["read"]) << "read again from what the first read kept";
            EXPECT_EQ(messageText(decodeProprietaryNote(m)), c["decoded"]);
        } else {
            const auto type = static_cast<uint8_t>(std::stoul(c["type"], nullptr, 16));
            const auto values = readMetaMarker(MidiMessage::markerText(quoted(c["meta"])), type);
            for (size_t k = 0; values && k < 4; ++k)
                got += (k == 0 ? "" : " ") + hex((*values)[k]);
            EXPECT_EQ(values ? got : "none", c["values"]);
        }
    }
}

TEST(MarkerText, the_scanner_never_reads_past_its_view) {
    const std::string buffer = "KQVLEVT 90 3c77";
    std::array<uint32_t, 2> out{};
    EXPECT_EQ(scanHexNumbers(std::string_view(buffer).substr(7, 5), out), 2u);
    EXPECT_EQ(out, (std::array<uint32_t, 2>{0x90, 0x3}));
}

TEST(MarkerText, new_payload_bytes_forget_the_remembered_note) {
    MidiMessage m = MidiMessage::markerText("KQVLEVT 93 3c");
    ASSERT_EQ(noteRead(m), "93 3c");
    const MidiMessage copy = m;
    m.payload = MidiDataBlock(std::string_view("KQVLEVT 82 40"));
    EXPECT_EQ(noteRead(m), "82 40");
    EXPECT_EQ(noteRead(copy), "93 3c");
    m.payload = MidiDataBlock(std::string_view("KQVLBAR"));
    EXPECT_EQ(noteRead(m), "none");
    MidiMessage taken = std::move(m);
    m.payload = MidiDataBlock(std::string_view("KQVLEVT 90 3c"));  // NOLINT: reused after the move
    EXPECT_EQ(noteRead(m), "90 3c");
    EXPECT_EQ(noteRead(taken), "none");
}

}  // namespace
}  // namespace vl::test
