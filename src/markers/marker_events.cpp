#include "markers/marker_events.h"

#include <limits>

#include "markers/marker_text.h"

namespace vl {

namespace {

bool channelKeyMatch(uint8_t channel, uint8_t key, uint8_t wantChannel, uint8_t wantKey) {
    return channel == wantChannel && (wantKey == kAnyKey || key == wantKey);
}

bool isMetaMarkerOfType(const MidiMessage& m, uint8_t type) {
    const std::optional<uint32_t> t = metaMarkerType(m);
    return t && *t == type;
}

// Copies the payload bytes that exist into the outputs, in order.
template <size_t N>
void readPayloadBytes(const MidiMessage& m, uint8_t* (&out)[N]) {
    for (size_t i = 0; i < N; ++i) {
        const int b = m.payload.byteAt(static_cast<int32_t>(i));
        if (b < 0) return;
        *out[i] = static_cast<uint8_t>(b);
    }
}

// Reads a signature or tempo of one meta type from either form.
template <size_t N>
bool readMetaValues(const MidiMessage& m, uint8_t type, uint8_t* (&out)[N]) {
    if (m.isMeta() && m.data1 == type) {
        readPayloadBytes(m, out);
        return true;
    }
    const std::optional<std::array<uint8_t, 4>> values = readMetaMarker(m, type);
    if (!values) return false;
    for (size_t i = 0; i < N; ++i) *out[i] = (*values)[i];
    return true;
}

}  // namespace

bool isProprietaryNote(const MidiMessage& m) { return readProprietaryNote(m).has_value(); }

bool isProprietaryNoteOn(const MidiMessage& m) {
    const std::optional<ProprietaryNote> n = readProprietaryNote(m);
    return n && n->isOn();
}

bool isProprietaryNoteOff(const MidiMessage& m) {
    const std::optional<ProprietaryNote> n = readProprietaryNote(m);
    return n && !n->isOn();
}

bool isNoteCombined(const MidiMessage& m) {
    if (m.isNote()) return true;
    return isProprietaryNote(m);
}

bool isNoteOnCombined(const MidiMessage& m) {
    if (m.isChannelMessage()) return m.isNoteOn();
    return isProprietaryNoteOn(m);
}

bool isNoteOffCombined(const MidiMessage& m) {
    if (m.isChannelMessage()) return m.isNoteOff();
    return isProprietaryNoteOff(m);
}

bool isNoteOnOf(const MidiMessage& m, uint8_t channel, uint8_t key) {
    if (m.isChannelMessage())
        return m.isNoteOn() && channelKeyMatch(m.channel(), m.data1, channel, key);
    const std::optional<ProprietaryNote> n = readProprietaryNote(m);
    return n && n->isOn() && channelKeyMatch(n->channel(), n->key, channel, key);
}

bool isNoteOffOf(const MidiMessage& m, uint8_t channel, uint8_t key) {
    if (m.isChannelMessage())
        return m.isNoteOff() && channelKeyMatch(m.channel(), m.data1, channel, key);
    const std::optional<ProprietaryNote> n = readProprietaryNote(m);
    return n && !n->isOn() && channelKeyMatch(n->channel(), n->key, channel, key);
}

bool isBarOrNoteOnOf(const MidiMessage& m, uint8_t channel, uint8_t key) {
    return m.isBarMarker() || isNoteOnOf(m, channel, key);
}

int channelOf(const MidiMessage& m, bool realOnly) {
    if (m.status < 0xF0) return m.status & 0x0F;
    if (realOnly) return -1;
    const std::optional<ProprietaryNote> n = readProprietaryNote(m);
    return n ? n->channel() : -1;
}

int keyOf(const MidiMessage& m) {
    if (m.isChannelMessage()) return m.isNote() ? m.data1 : kNoKey;
    const std::optional<ProprietaryNote> n = readProprietaryNote(m);
    return n ? n->key : kNoKey;
}

bool isKeySignatureMarker(const MidiMessage& m) {
    return isMetaMarkerOfType(m, meta::KeySignature);
}

bool isTimeSignatureMarker(const MidiMessage& m) {
    return isMetaMarkerOfType(m, meta::TimeSignature);
}

bool isTempoMarker(const MidiMessage& m) { return isMetaMarkerOfType(m, meta::Tempo); }

bool isMetaMarker(const MidiMessage& m) {
    const std::optional<uint32_t> t = metaMarkerType(m);
    return t && (*t == meta::KeySignature || *t == meta::TimeSignature || *t == meta::Tempo);
}

bool isRealKeyOrTime(const MidiMessage& m) {
    return m.isKeySignatureMeta() || m.isTimeSignatureMeta();
}

bool isKeySignatureCombined(const MidiMessage& m) {
    return m.isKeySignatureMeta() || isKeySignatureMarker(m);
}

bool isTimeSignatureCombined(const MidiMessage& m) {
    return m.isTimeSignatureMeta() || isTimeSignatureMarker(m);
}

bool isTempoCombined(const MidiMessage& m) { return m.isTempoMeta() || isTempoMarker(m); }

bool isBarKeyOrTime(const MidiMessage& m) {
    if (!m.isMeta()) return false;
    if (isRealKeyOrTime(m) || m.isBarMarker()) return true;
    const std::optional<uint32_t> t = metaMarkerType(m);
    return t && (*t == meta::KeySignature || *t == meta::TimeSignature);
}

bool isBarKeyTimeOrTempo(const MidiMessage& m) {
    if (!m.isMeta()) return false;
    if (isRealKeyOrTime(m) || m.isTempoMeta() || m.isBarMarker()) return true;
    return isMetaMarker(m);
}

bool keySignature(const MidiMessage& m, uint8_t& sf, uint8_t& mi) {
    uint8_t* out[] = {&sf, &mi};
    return readMetaValues(m, meta::KeySignature, out);
}

bool timeSignature(const MidiMessage& m, uint8_t& nn, uint8_t& dd, uint8_t& cc, uint8_t& bb) {
    uint8_t* out[] = {&nn, &dd, &cc, &bb};
    return readMetaValues(m, meta::TimeSignature, out);
}

bool tempo(const MidiMessage& m, uint8_t& t1, uint8_t& t2, uint8_t& t3) {
    uint8_t* out[] = {&t1, &t2, &t3};
    return readMetaValues(m, meta::Tempo, out);
}

std::optional<uint32_t> tempoMicroseconds(const MidiMessage& m) {
    uint8_t t1 = 0, t2 = 0, t3 = 0;
    if (!tempo(m, t1, t2, t3)) return std::nullopt;
    return (static_cast<uint32_t>(t1) << 16) | (static_cast<uint32_t>(t2) << 8) | t3;
}

std::optional<uint32_t> quartersPerMinute(const MidiMessage& m) {
    const std::optional<uint32_t> us = tempoMicroseconds(m);
    if (!us || *us == 0) return std::nullopt;
    return 60000000u / *us;
}

uint32_t barLength(const MidiMessage& m, uint32_t division) {
    uint8_t nn = 0, dd = 0, cc = 0, bb = 0;
    if (!timeSignature(m, nn, dd, cc, bb) || dd > 6) return 0;
    const uint64_t ticks = ((static_cast<uint64_t>(nn) << (6 - dd)) * division) >> 4;
    constexpr uint64_t kMax = std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(ticks > kMax ? kMax : ticks);
}

bool isStructuralEvent(const MidiMessage& m) {
    if (m.isChannelMessage()) return m.isProgramChange();
    if (!m.isMeta()) return false;
    const int text = m.textKind();
    if (text == textkind::TrackName || text == textkind::InstrumentName) return true;
    return isBarKeyTimeOrTempo(m);
}

}  // namespace vl
