// Marker payload texts: the exact bytes written, the scanf-like number reader,
// and the readers of note and meta markers.

#include "markers/marker_text.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace vl {
namespace {

using namespace std::string_literals;

struct TextCase {
    std::string built;
    std::string expected;
};

TEST(MarkerTextBuilders, WriteExactPayloads) {
    const std::vector<TextCase> cases = {
        {barMarkerText(), "KQVLBAR"},
        {deletedMarkerText(), "KQVLZZZ"},
        {proprietaryNoteOnText(0, 0x3C), "KQVLEVT 90 3c"},
        {proprietaryNoteOnText(15, 127), "KQVLEVT 9f 7f"},
        {proprietaryNoteOffText(15, 0), "KQVLEVT 8f 00"},
        {proprietaryNoteOnText(3, 0xFE), "KQVLEVT 93 fe"},  // placeholder-rest key
        {proprietaryNoteOnText(0x13, 5), "KQVLEVT 93 05"},  // channel taken modulo 16
        {keySignatureMarkerText(0xFE, 0), "KQVLMTA 59 fe 00"},  // two flats, major
        {keySignatureMarkerText(3, 1), "KQVLMTA 59 03 01"},
        {timeSignatureMarkerText(3, 2, 24, 8), "KQVLMTA 58 03 02 18 08"},
        {tempoMarkerText(0x07, 0xA1, 0x20), "KQVLMTA 51 07 a1 20"},
    };
    for (const TextCase& c : cases) EXPECT_EQ(c.built, c.expected);
}

TEST(MarkerTextBuilders, MessagesCarryTheTextAsSequencerSpecificMeta) {
    const MidiMessage on = proprietaryNoteMessage(true, 2, 64);
    EXPECT_EQ(on.pack(), 0x7FFFu);
    EXPECT_EQ(on.payloadText(), "KQVLEVT 92 40");
    EXPECT_EQ(proprietaryNoteMessage(false, 2, 64).payloadText(), "KQVLEVT 82 40");
}

struct ScanCase {
    std::string text;
    size_t converted;
    std::array<uint32_t, 3> values;
};

TEST(MarkerTextScan, BehavesLikeHexConversionsOfTheCLibrary) {
    const std::vector<ScanCase> cases = {
        {"", 0, {0, 0, 0}},
        {"  \t9F\n  7F  ", 2, {0x9F, 0x7F, 0}},
        {" 0xg 5", 1, {0, 0, 0}},          // ... and the scan then fails at "g"
        {" 12 zz 34", 1, {0x12, 0, 0}},    // a failed conversion ends the scan
        {" 123456789", 1, {0x23456789, 0, 0}},
        {" 11111111111111111111", 1, {0xFFFFFFFF, 0, 0}},  // beyond 64 bits saturates
        {" 90\0 3c"s, 1, {0x90, 0, 0}},    // a NUL ends the text
        {" 1 2 3 4", 3, {1, 2, 3}},        // no more than asked for
    };
    for (const ScanCase& c : cases) {
        std::array<uint32_t, 3> out{7, 7, 7};
        EXPECT_EQ(scanHexNumbers(c.text, out), c.converted) << '"' << c.text << '"';
        EXPECT_EQ(out, c.values) << '"' << c.text << '"';
    }
}

// The reader never sees a terminator; compare it with the C library on
// terminated copies of many small texts made of the characters that matter.
TEST(MarkerTextScan, AgreesWithSscanfOnGeneratedTexts) {
    const std::string alphabet = " \t0x0Xa9F+-g 1";
    std::mt19937 random(20240601u);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 12);
    for (int i = 0; i < 5000; ++i) {
        std::string text;
        const int n = length(random);
        for (int k = 0; k < n; ++k) text.push_back(alphabet[pick(random)]);
        unsigned c[5] = {0, 0, 0, 0, 0};
        const int r = std::sscanf(text.c_str(), " %x %x %x %x %x", &c[0], &c[1], &c[2], &c[3],
                                  &c[4]);
        const size_t expectedCount = r < 0 ? 0 : static_cast<size_t>(r);
        std::array<uint32_t, 5> out{};
        ASSERT_EQ(scanHexNumbers(text, out), expectedCount) << '"' << text << '"';
        for (size_t k = 0; k < expectedCount; ++k)
            ASSERT_EQ(out[k], c[k]) << '"' << text << "\" number " << k;
    }
}

TEST(MarkerTextScan, NeverReadsPastTheView) {
    // The view ends inside a number; what follows in memory must not count.
    const std::string buffer = "KQVLEVT 90 3c77";
    std::array<uint32_t, 2> out{};
    EXPECT_EQ(scanHexNumbers(std::string_view(buffer).substr(7, 5), out), 2u);
    EXPECT_EQ(out[0], 0x90u);
    EXPECT_EQ(out[1], 0x3u);
}

struct NoteReadCase {
    std::string payload;
    bool isNote;
    uint8_t status;
    uint8_t key;
};

TEST(MarkerTextReaders, ProprietaryNotes) {
    const std::vector<NoteReadCase> cases = {
        {"KQVLEVT 90 3c", true, 0x90, 0x3C},
        {"KQVLEVT   9f    7f   ", true, 0x9F, 0x7F},  // extra spaces
        {"KQVLEVT90 3c", true, 0x90, 0x3C},            // no space after the tag
        {"KQVLEVT 0x91 0x40", true, 0x91, 0x40},
        {"KQVLEVT 80", true, 0x80, 0},                  // missing key counts as 0
        {"KQVLEVT 90 zz", true, 0x90, 0},               // non-hex key counts as 0
        {"KQVLEVT 90 13c", true, 0x90, 0x3C},           // key keeps its low byte
        {"KQVLEVT", false, 0, 0},                       // exactly the tag: first number 0
        {"KQVLEVT ", false, 0, 0},
        {"KQVLEVT 70 3c", false, 0, 0},
        {"KQVLEVT a0 3c", false, 0, 0},
        {"KQVLEVT 190 3c", false, 0, 0},                // not a status byte
        {"KQVLEVT -70 3c", false, 0, 0},
        {"KQVLEVT zz 90", false, 0, 0},
        {"KQVLEVX 90 3c", false, 0, 0},                 // unknown tag
        {"KQVLMTA 90 3c", false, 0, 0},
        {"KQVLEV", false, 0, 0},                        // shorter than the tag
        {"kqvlevt 90 3c", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const NoteReadCase& c : cases) {
        const MidiMessage m = MidiMessage::markerText(c.payload);
        // The second read comes from what the first one remembered.
        for (int read = 0; read < 2; ++read) {
            const std::optional<ProprietaryNote> note = readProprietaryNote(m);
            ASSERT_EQ(note.has_value(), c.isNote) << '"' << c.payload << "\" read " << read;
            if (!note) continue;
            EXPECT_EQ(note->status, c.status) << c.payload;
            EXPECT_EQ(note->key, c.key) << c.payload;
        }
    }
}

TEST(MarkerTextReaders, NewBytesForgetTheRememberedNote) {
    MidiMessage m = MidiMessage::markerText("KQVLEVT 93 3c");
    ASSERT_TRUE(readProprietaryNote(m));
    const MidiMessage copy = m;
    const std::string other = "KQVLEVT 82 40";
    m.payload.assign(reinterpret_cast<const uint8_t*>(other.data()),
                     static_cast<int32_t>(other.size()));
    const std::optional<ProprietaryNote> reread = readProprietaryNote(m);
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread->status, 0x82);
    EXPECT_EQ(reread->key, 0x40);
    const std::optional<ProprietaryNote> copied = readProprietaryNote(copy);
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->status, 0x93);

    m.payload = MidiDataBlock(kBarMarkerText);
    EXPECT_FALSE(readProprietaryNote(m));
    MidiMessage taken = std::move(m);
    m.payload = MidiDataBlock(std::string_view("KQVLEVT 90 3c"));  // NOLINT: reused after the move
    EXPECT_TRUE(readProprietaryNote(m));
    EXPECT_FALSE(readProprietaryNote(taken));
    taken.payload.clear();
    EXPECT_FALSE(readProprietaryNote(taken));
}

TEST(MarkerTextReaders, NoteMarkerNeedsSequencerSpecificMeta) {
    const std::string text = "KQVLEVT 90 3c";
    const auto bytes = reinterpret_cast<const uint8_t*>(text.data());
    const MidiMessage asText = MidiMessage::metaEvent(0x01, static_cast<int32_t>(text.size()),
                                                      bytes);
    EXPECT_FALSE(readProprietaryNote(asText));
    MidiMessage notMeta = MidiMessage::markerText(text);
    notMeta.status = 0xF0;
    EXPECT_FALSE(readProprietaryNote(notMeta));
    EXPECT_FALSE(readProprietaryNote(MidiMessage::channel(kind::NoteOn, 0, 60, 100)));
}

struct MetaReadCase {
    std::string payload;
    uint8_t type;
    bool matches;
    std::array<uint8_t, 4> values;
};

TEST(MarkerTextReaders, MetaMarkers) {
    const std::vector<MetaReadCase> cases = {
        {"KQVLMTA 58 06 03 18 08", 0x58, true, {6, 3, 24, 8}},
        {"KQVLMTA 58 06 03 18 08", 0x59, false, {}},
        {"KQVLMTA 59 fe 01", 0x59, true, {0xFE, 1, 0, 0}},
        {"KQVLMTA 59", 0x59, true, {0, 0, 0, 0}},  // missing numbers are 0
        {"KQVLMTA 51 07 a1 20", 0x51, true, {7, 0xA1, 0x20, 0}},
        {"KQVLMTA 158 01 02", 0x58, false, {}},
        {"KQVLMTA", 0x58, false, {}},  // no type number: 0
        {"KQVLMTA xx 58", 0x58, false, {}},
        {"KQVLMT", 0x58, false, {}},
    };
    for (const MetaReadCase& c : cases) {
        const auto values = readMetaMarker(MidiMessage::markerText(c.payload), c.type);
        ASSERT_EQ(values.has_value(), c.matches) << '"' << c.payload << '"';
        if (values) {
            EXPECT_EQ(*values, c.values) << c.payload;
        }
    }
    EXPECT_EQ(metaMarkerType(MidiMessage::markerText("KQVLMTA 77 1")), 0x77u);
    EXPECT_EQ(metaMarkerType(MidiMessage::markerText("KQVLMTA")), 0u);
    EXPECT_FALSE(metaMarkerType(MidiMessage::markerText("KQVLEVT 58")));
}

TEST(MarkerTextReaders, BarAndDeletedMarkersCompareTheWholeText) {
    EXPECT_TRUE(MidiMessage::markerText("KQVLBAR").isBarMarker());
    EXPECT_FALSE(MidiMessage::markerText("KQVLBAR ").isBarMarker());
    EXPECT_FALSE(MidiMessage::markerText("KQVLBAR\0"s).isBarMarker());
    EXPECT_TRUE(MidiMessage::markerText("KQVLZZZ").isDeletedMarker());
    EXPECT_FALSE(MidiMessage::markerText("KQVLZZZ 1").isDeletedMarker());
}

TEST(MarkerTextDecode, ProprietaryNotesBecomeChannelMessages) {
    const MidiMessage on = decodeProprietaryNote(MidiMessage::markerText("KQVLEVT 9f 7f"));
    EXPECT_EQ(on.status, 0x9F);
    EXPECT_EQ(on.data1, 127);
    EXPECT_EQ(on.data2, 127);
    EXPECT_TRUE(on.isNoteOn());
    EXPECT_TRUE(on.payload.empty());

    const MidiMessage off = decodeProprietaryNote(MidiMessage::markerText("KQVLEVT 8f 7f"));
    EXPECT_EQ(off.status, 0x8F);
    EXPECT_EQ(off.data1, 127);
    EXPECT_EQ(off.data2, 0);
    EXPECT_TRUE(off.isNoteOff());
}

TEST(MarkerTextDecode, AnythingElseIsCopied) {
    for (const std::string text : {"KQVLBAR", "KQVLMTA 58 04 02 18 08", "KQVLEVT 70 3c"}) {
        const MidiMessage m = MidiMessage::markerText(text);
        const MidiMessage d = decodeProprietaryNote(m);
        EXPECT_EQ(d.pack(), m.pack()) << text;
        EXPECT_EQ(d.payloadText(), text);
    }
    const MidiMessage cc = MidiMessage::channel(kind::ControlChange, 4, 7, 100);
    EXPECT_EQ(decodeProprietaryNote(cc).pack(), cc.pack());
}

}  // namespace
}  // namespace vl
