#include "listing/event_line_text.h"

#include <charconv>
#include <cstdio>

#include "analysis/analysis_state.h"
#include "markers/marker_events.h"

namespace vl::listing {

namespace {

// Payload byte i, 0 when the payload is shorter.
uint8_t payloadByte(const MidiMessage& m, int32_t i) {
    const int b = m.payload.byteAt(i);
    return b < 0 ? uint8_t{0} : static_cast<uint8_t>(b);
}

constexpr char kHexDigits[] = "0123456789abcdef";

// The listing formats a field of every line a host reads; these append
// without going through printf.
void appendHexByte(std::string& text, uint8_t b, bool leadingSpace) {
    if (leadingSpace) text += ' ';
    text += kHexDigits[b >> 4];
    text += kHexDigits[b & 0x0F];
}

// A short line built in place; what would overflow it is dropped.
class ShortText {
public:
    void put(char c) {
        if (size_ < sizeof text_) text_[size_++] = c;
    }
    void put(std::string_view s) {
        for (const char c : s) put(c);
    }
    void putDecimal(int value) {
        char digits[12];
        const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        put(std::string_view(digits, static_cast<size_t>(end - digits)));
    }
    size_t size() const { return size_; }
    std::string str() const { return std::string(text_, size_); }

private:
    char text_[64];
    size_t size_ = 0;
};

// Program change and channel pressure carry one data byte, the others two.
int channelDataByteCount(uint8_t status) {
    const uint8_t k = status & 0xF0;
    return (k == kind::ProgramChange || k == kind::ChannelPressure) ? 1 : 2;
}

std::string tempoText(const MidiMessage& m) {
    const uint32_t micro = (uint32_t{payloadByte(m, 0)} << 16) |
                           (uint32_t{payloadByte(m, 1)} << 8) | payloadByte(m, 2);
    // A tempo of 0 microseconds has no quarters per minute; say so in its place.
    if (micro == 0) return "Tempo:  0 microsec per MIDI quarter (no quarters/min)";
    char text[96];
    std::snprintf(text, sizeof text, "Tempo:  %d microsec per MIDI quarter (%d quarters/min)",
                  static_cast<int>(micro), static_cast<int>(60000000u / micro));
    return text;
}

std::string smpteOffsetText(const MidiMessage& m) {
    std::string text = "SMPTE offset: ";
    const int32_t n = m.payload.length();
    if (n < 2) return text;
    for (int32_t i = 0; i < n; ++i) appendHexByte(text, payloadByte(m, i), i > 0);
    return text;
}

// 2 to the power dd; a power that does not fit an int is shown as "2^dd".
std::string denominatorText(uint8_t dd) {
    if (dd <= 30) return std::to_string(1 << dd);
    std::string text = "2^";
    text += std::to_string(dd);
    return text;
}

std::string timeSignatureText(const MidiMessage& m) {
    char text[128];
    std::snprintf(text, sizeof text,
                  "Time sig: %d/%s  (%d MIDI clocks per metronome tick; %d 32nds per MIDI quarter)",
                  payloadByte(m, 0), denominatorText(payloadByte(m, 1)).c_str(),
                  payloadByte(m, 2), payloadByte(m, 3));
    return text;
}

std::string keySignatureText(const MidiMessage& m) {
    char text[32];
    std::snprintf(text, sizeof text, "Key sig: %d %s", static_cast<int8_t>(payloadByte(m, 0)),
                  payloadByte(m, 1) == 0 ? "major" : "minor");
    return text;
}

// "[s] d2 + gap /c /3 5 s1": strand ("-" without one; then two spaces end the
// head), sounding length and gap, chord member, triplet or quintuplet, the
// grid detail and the swing class.
std::string noteOnAnnotation(const MidiEvent& e, uint32_t analysisState) {
    const int strand = (analysisState & state::Strands) != 0 ? e.strand : -1;
    ShortText text;
    text.put('[');
    if (strand < 0) {
        text.put('-');
    } else {
        text.putDecimal(strand);
    }
    text.put("] ");
    text.putDecimal(e.duration2);
    text.put(" + ");
    text.putDecimal(int{e.duration1} - int{e.duration2});
    text.put(strand < 0 ? "  " : " ");
    text.put((e.flags & flag::ChordMember) != 0 ? "/c " : "   ");
    const bool onGrid = (e.flags & (flag::Quintuplet | flag::Triplet)) != 0;
    if ((e.flags & flag::Quintuplet) != 0) {
        text.put("/5 ");
    } else if ((e.flags & flag::Triplet) != 0) {
        text.put("/3 ");
    } else {
        text.put("   ");
    }
    const unsigned detail = e.flags & 0x0Fu;
    text.put(onGrid && detail != 0 ? kHexDigits[detail] : ' ');
    text.put(' ');
    const unsigned swing = (e.flags & 0x700u) >> 8;
    if (swing != 0) {
        text.put('s');
        text.putDecimal(static_cast<int>(swing) - 1);
    } else {
        text.put(' ');
    }
    return text.str();
}

}  // namespace

std::string fileHeaderText(const MidiFileHeader& header) {
    char text[96];
    std::snprintf(text, sizeof text, "%.4s, %d, Format=%d, Tracks=%d, Division=%d",
                  header.chunkType.data(), static_cast<int32_t>(header.chunkLength),
                  int{header.format}, int{header.trackCount}, int{header.division});
    return text;
}

std::string tickText(int32_t ticks) {
    ShortText digits;
    digits.putDecimal(ticks);
    // Right-aligned in eight columns, as "%8d" would.
    std::string text(digits.size() < 8 ? 8 - digits.size() : 0, ' ');
    return text + digits.str();
}

std::string messageBytesText(const MidiMessage& m) {
    std::string text;
    appendHexByte(text, m.status, false);
    if (m.status < 0xF0) {
        appendHexByte(text, m.data1, true);
        if (channelDataByteCount(m.status) == 2) appendHexByte(text, m.data2, true);
    } else if (m.isMeta()) {
        appendHexByte(text, m.data1, true);
    }
    return text;
}

std::string metaDescriptionText(const MidiMessage& m) {
    if (!m.isMeta()) return {};
    switch (m.data1) {
    case meta::EndOfTrack:
        return "End of track";
    case meta::Tempo:
        return tempoText(m);
    case meta::SmpteOffset:
        return smpteOffsetText(m);
    case meta::TimeSignature:
        return timeSignatureText(m);
    case meta::KeySignature:
        return keySignatureText(m);
    default:
        return {};
    }
}

std::string dataLengthText(const MidiMessage& m) {
    if (!m.isMeta() && !m.isSysex()) return {};
    std::string text = "[";
    text += std::to_string(m.payload.length());
    text += ']';
    return text;
}

std::string payloadText(const MidiMessage& m) {
    if (!m.isMeta()) return {};
    const bool textEvent = m.data1 >= 1 && m.data1 <= 7;
    if (!textEvent && m.data1 != meta::SequencerSpecific) return {};
    return std::string(m.payloadText());
}

std::string annotationText(const MidiEvent& e, uint32_t analysisState) {
    if ((analysisState & state::Durations) == 0) return {};
    if (e.message.isBarMarker()) return "[--------------------]";
    if (isNoteOnCombined(e)) return noteOnAnnotation(e, analysisState);
    return {};
}

}  // namespace vl::listing
