// Predicates and accessors that treat real messages and marker events alike.

#include "markers/marker_events.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "markers/marker_text.h"
#include "support/track_listing.h"

namespace vl {
namespace {

using test::keySig;
using test::marker;
using test::metaBytes;
using test::noteOff;
using test::noteOn;
using test::timeSig;

MidiMessage sysex() {
    MidiMessage m;
    m.status = 0xF0;
    return m;
}

// Flags: N note, O note-on, F note-off, B bar/key/time, T bar/key/time/tempo,
// R real key or time, M meta marker, S structural event.
struct Classification {
    const char* name;
    MidiMessage message;
    std::string flags;
    int channel, realChannel, key;
    bool has(char f) const { return flags.find(f) != std::string::npos; }
};

TEST(MarkerEventsClassify, RealAndMarkerFormsAlike) {
    const std::vector<Classification> cases = {
        {"note-on", noteOn(3, 60), "NO", 3, 3, 60},
        {"on vel 0", noteOn(3, 60, 0), "NF", 3, 3, 60},
        {"note-off", noteOff(15, 0), "NF", 15, 15, 0},
        {"prop on", marker("KQVLEVT 92 40"), "NO", 2, -1, 64},
        {"prop off", marker("KQVLEVT 8e 7f"), "NF", 14, -1, 127},
        {"prop rest", marker("KQVLEVT 90 fe"), "NO", 0, -1, 254},
        {"no note", marker("KQVLEVT 70 3c"), "", -1, -1, -2},
        {"bare tag", marker("KQVLEVT"), "", -1, -1, -2},
        {"bar", marker("KQVLBAR"), "BTS", -1, -1, -2},
        {"bar+space", marker("KQVLBAR "), "", -1, -1, -2},
        {"deleted", marker("KQVLZZZ"), "", -1, -1, -2},
        {"real TS", timeSig(4, 2), "BTRS", -1, -1, -2},
        {"TS marker", marker("KQVLMTA 58 03 02 18 08"), "BTMS", -1, -1, -2},
        {"real KS", keySig(0xFE, 0), "BTRS", -1, -1, -2},
        {"KS marker", marker("KQVLMTA 59 02 00"), "BTMS", -1, -1, -2},
        {"real tempo", metaBytes(0x51, {7, 0xA1, 0x20}), "TS", -1, -1, -2},
        {"tempo marker", marker("KQVLMTA 51 07 a1 20"), "TMS", -1, -1, -2},
        {"other MTA", marker("KQVLMTA 77 01"), "", -1, -1, -2},
        {"program", MidiMessage::channel(kind::ProgramChange, 9, 5, 0), "S", 9, 9, -2},
        {"control", MidiMessage::channel(kind::ControlChange, 1, 7, 90), "", 1, 1, -2},
        {"track name", metaBytes(0x03, {'P', 'n'}), "S", -1, -1, -2},
        {"instrument", metaBytes(0x04, {'V'}), "S", -1, -1, -2},
        {"lyric", metaBytes(0x05, {'l'}), "", -1, -1, -2},
        {"end of track", metaBytes(0x2F, {}), "", -1, -1, -2},
        {"empty marker", MidiMessage::metaEvent(0x7F, 0, nullptr), "", -1, -1, -2},
        {"sysex", sysex(), "", -1, -1, -2},
    };
    for (const Classification& c : cases) {
        SCOPED_TRACE(c.name);
        const MidiMessage& m = c.message;
        EXPECT_EQ(isNoteCombined(m), c.has('N'));
        EXPECT_EQ(isNoteOnCombined(m), c.has('O'));
        EXPECT_EQ(isNoteOffCombined(m), c.has('F'));
        EXPECT_EQ(isProprietaryNote(m), c.has('N') && m.isMeta());
        EXPECT_EQ(isProprietaryNoteOn(m), c.has('O') && m.isMeta());
        EXPECT_EQ(isProprietaryNoteOff(m), c.has('F') && m.isMeta());
        EXPECT_EQ(isBarKeyOrTime(m), c.has('B'));
        EXPECT_EQ(isBarKeyTimeOrTempo(m), c.has('T'));
        EXPECT_EQ(isRealKeyOrTime(m), c.has('R'));
        EXPECT_EQ(isMetaMarker(m), c.has('M'));
        EXPECT_EQ(isStructuralEvent(m), c.has('S'));
        EXPECT_EQ(channelOf(m), c.channel);
        EXPECT_EQ(channelOf(m, true), c.realChannel);
        EXPECT_EQ(keyOf(m), c.key);
        const MidiEvent e(5, m);
        EXPECT_EQ(isNoteCombined(e), c.has('N'));
        EXPECT_EQ(channelOf(e), c.channel);
        EXPECT_EQ(isStructuralEvent(e), c.has('S'));
    }
}

// Random payloads after each tag: the predicates must agree with each other.
TEST(MarkerEventsClassify, PredicatesAgreeOnGeneratedPayloads) {
    const std::string alphabet = " 0123456789abcdefx+-Zg";
    const char* const tags[] = {"KQVLEVT", "KQVLMTA", "KQVLBAR", "KQVL"};
    const char* const starts[] = {"", " 9", " 8", " 58", " 59", " 51", " 0x", " -"};
    size_t notes = 0, metaMarkers = 0;
    std::mt19937 random(7u);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    for (int i = 0; i < 4000; ++i) {
        // Half the texts open with a likely first number, so that all kinds occur.
        std::string text = std::string(tags[i % 4]) + starts[(i / 4) % 8];
        for (int k = i % 13; k > 0; --k) text.push_back(alphabet[pick(random)]);
        const MidiMessage m = marker(text);
        SCOPED_TRACE(text);
        EXPECT_EQ(isNoteCombined(m), isNoteOnCombined(m) || isNoteOffCombined(m));
        EXPECT_FALSE(isNoteOnCombined(m) && isNoteOffCombined(m));
        EXPECT_EQ(keyOf(m) != kNoKey, isNoteCombined(m));
        EXPECT_EQ(channelOf(m) >= 0, isNoteCombined(m));
        EXPECT_EQ(channelOf(m, true), -1);
        if (isNoteCombined(m)) {
            EXPECT_TRUE(isNoteOnOf(m, static_cast<uint8_t>(channelOf(m)), kAnyKey) ||
                        isNoteOffOf(m, static_cast<uint8_t>(channelOf(m)), kAnyKey));
        }
        EXPECT_EQ(isMetaMarker(m),
                  isKeySignatureMarker(m) || isTimeSignatureMarker(m) || isTempoMarker(m));
        EXPECT_EQ(isBarKeyTimeOrTempo(m), isBarKeyOrTime(m) || isTempoMarker(m));
        if (!isTimeSignatureMarker(m)) {
            EXPECT_EQ(barLength(m, 96), 0u);
        }
        EXPECT_EQ(tempoMicroseconds(m).has_value(), isTempoMarker(m));
        notes += isNoteCombined(m) ? 1 : 0;
        metaMarkers += isMetaMarker(m) ? 1 : 0;
    }
    EXPECT_GT(notes, 50u);
    EXPECT_GT(metaMarkers, 50u);
}

struct ChannelKeyCase {
    MidiMessage message;
    uint8_t channel, key;
    bool onOf, offOf, barOrOnOf;
};

TEST(MarkerEventsClassify, NoteOfChannelAndKey) {
    const std::vector<ChannelKeyCase> cases = {
        {noteOn(2, 60), 2, 60, true, false, true},
        {noteOn(2, 60), 2, kAnyKey, true, false, true},
        {noteOn(2, 60), 3, 60, false, false, false},
        {noteOn(2, 60, 0), 2, 60, false, true, false},
        {noteOff(2, 60), 2, kAnyKey, false, true, false},
        {marker("KQVLEVT 92 3c"), 2, 60, true, false, true},
        {marker("KQVLEVT 92 3c"), 1, 60, false, false, false},
        {marker("KQVLEVT 82 3c"), 2, 60, false, true, false},
        {marker("KQVLEVT 82 3c"), 2, 59, false, false, false},
        {marker("KQVLBAR"), 0, 0, false, false, true},
        {marker("KQVLMTA 59 00 00"), 0, 0, false, false, false},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const ChannelKeyCase& c = cases[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(isNoteOnOf(c.message, c.channel, c.key), c.onOf);
        EXPECT_EQ(isNoteOffOf(c.message, c.channel, c.key), c.offOf);
        EXPECT_EQ(isBarOrNoteOnOf(c.message, c.channel, c.key), c.barOrOnOf);
    }
}

TEST(MarkerEventsValues, TimeSignatureMarkerRoundTripsSixEight) {
    const MidiMessage m = timeSignatureMarkerMessage(6, 3, 24, 8);
    uint8_t nn = 0, dd = 0, cc = 0, bb = 0;
    ASSERT_TRUE(timeSignature(m, nn, dd, cc, bb));
    EXPECT_EQ(nn, 6);
    EXPECT_EQ(dd, 3);
    EXPECT_EQ(cc, 24);
    EXPECT_EQ(bb, 8);
    uint8_t sf = 9, mi = 9;
    EXPECT_FALSE(keySignature(m, sf, mi));
    EXPECT_EQ(sf, 9);
}

TEST(MarkerEventsValues, RealFormWritesOnlyBytesThatExist) {
    uint8_t sf = 0x55, mi = 0x55;
    EXPECT_TRUE(keySignature(metaBytes(0x59, {}), sf, mi));
    EXPECT_EQ(sf, 0x55);
    EXPECT_EQ(mi, 0x55);
    EXPECT_TRUE(keySignature(metaBytes(0x59, {0xFD}), sf, mi));
    EXPECT_EQ(sf, 0xFD);
    EXPECT_EQ(mi, 0x55);
    EXPECT_TRUE(keySignature(keySig(2, 1), sf, mi));
    EXPECT_EQ(sf, 2);
    EXPECT_EQ(mi, 1);

    uint8_t t1 = 1, t2 = 2, t3 = 3;
    EXPECT_TRUE(tempo(metaBytes(0x51, {9, 8}), t1, t2, t3));
    EXPECT_EQ(t1, 9);
    EXPECT_EQ(t2, 8);
    EXPECT_EQ(t3, 3);
    // A marker writes every value; its missing numbers are 0.
    EXPECT_TRUE(tempo(marker("KQVLMTA 51 0a"), t1, t2, t3));
    EXPECT_EQ(t1, 10);
    EXPECT_EQ(t2, 0);
    EXPECT_EQ(t3, 0);
}

TEST(MarkerEventsValues, TempoAndQuartersPerMinute) {
    const MidiMessage tempoMarker = marker("KQVLMTA 51 07 a1 20");
    EXPECT_EQ(tempoMicroseconds(tempoMarker), 500000u);
    EXPECT_EQ(quartersPerMinute(tempoMarker), 120u);
    EXPECT_EQ(tempoMicroseconds(metaBytes(0x51, {0x07, 0xA1, 0x20})), 500000u);
    EXPECT_EQ(quartersPerMinute(metaBytes(0x51, {0x0F, 0x42, 0x40})), 60u);
    EXPECT_EQ(quartersPerMinute(metaBytes(0x51, {0x00, 0x00, 0x01})), 60000000u);

    const MidiMessage zero = marker("KQVLMTA 51 00 00 00");
    EXPECT_EQ(tempoMicroseconds(zero), 0u);
    EXPECT_FALSE(quartersPerMinute(zero));
    EXPECT_EQ(tempoMicroseconds(metaBytes(0x51, {})), 0u);  // a tempo with no value
    EXPECT_FALSE(quartersPerMinute(metaBytes(0x51, {})));

    EXPECT_FALSE(tempoMicroseconds(timeSig(4, 2)));
    EXPECT_FALSE(tempoMicroseconds(marker("KQVLMTA 58 07 a1 20")));
}

struct BarLengthCase {
    MidiMessage message;
    uint32_t division;
    uint32_t ticks;
};

TEST(MarkerEventsValues, BarLength) {
    const std::vector<BarLengthCase> cases = {
        {timeSig(4, 2), 96, 384},
        {marker("KQVLMTA 58 06 03 18 08"), 96, 288},
        {marker("KQVLMTA 58 03 02 18 08"), 480, 1440},
        {timeSig(1, 6), 96, 6},         // 1/64
        {timeSig(3, 7), 96, 0},         // denominator power above 6
        {timeSig(0, 2), 96, 0},
        {timeSig(4, 2), 0, 0},          // division 0
        {timeSig(255, 0), 0xFFFFFFFFu, 0xFFFFFFFFu},  // clamped, no wrap-around
        {keySig(0, 0), 96, 0},
        {noteOn(0, 60), 96, 0},
        {marker("KQVLMTA 59 06 03"), 96, 0},
    };
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(barLength(cases[i].message, cases[i].division), cases[i].ticks) << i;
}

}  // namespace
}  // namespace vl
