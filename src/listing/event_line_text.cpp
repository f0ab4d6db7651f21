#include "listing/event_line_text.h"

#include <cstdio>

#include "markers/marker_events.h"
#include "session/import_session.h"

namespace vl::listing {

namespace {

// Payload byte i, 0 when the payload is shorter.
uint8_t payloadByte(const MidiMessage& m, int32_t i) {
    const int b = m.payload.byteAt(i);
    return b < 0 ? uint8_t{0} : static_cast<uint8_t>(b);
}

void appendHexByte(std::string& text, uint8_t b, bool leadingSpace) {
    char hex[4];
    std::snprintf(hex, sizeof hex, leadingSpace ? " %02x" : "%02x", b);
    text += hex;
}

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

// "[s] d2 + gap " with a strand, "[-] d2 + gap  " without one.
std::string durationHead(const MidiEvent& e, int strand) {
    const int sounding = e.duration2;
    const int gap = int{e.duration1} - int{e.duration2};
    char text[48];
    if (strand < 0) {
        std::snprintf(text, sizeof text, "[-] %d + %d  ", sounding, gap);
    } else {
        std::snprintf(text, sizeof text, "[%d] %d + %d ", strand, sounding, gap);
    }
    return text;
}

std::string noteOnAnnotation(const MidiEvent& e, uint32_t analysisState) {
    const int strand = (analysisState & state::Strands) != 0 ? e.strand : -1;
    std::string text = durationHead(e, strand);
    text += (e.flags & flag::ChordMember) != 0 ? "/c" : "  ";
    text += ' ';
    const bool onGrid = (e.flags & (flag::Quintuplet | flag::Triplet)) != 0;
    if ((e.flags & flag::Quintuplet) != 0) {
        text += "/5";
    } else if ((e.flags & flag::Triplet) != 0) {
        text += "/3";
    } else {
        text += "  ";
    }
    text += ' ';
    const unsigned detail = e.flags & 0x0Fu;
    if (onGrid && detail != 0) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%1x", detail);
        text += hex;
    } else {
        text += ' ';
    }
    text += ' ';
    const unsigned swing = (e.flags & 0x700u) >> 8;
    if (swing != 0) {
        text += 's';
        text += std::to_string(static_cast<int>(swing) - 1);
    } else {
        text += ' ';
    }
    return text;
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
    char text[16];
    std::snprintf(text, sizeof text, "%8d", ticks);
    return text;
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
