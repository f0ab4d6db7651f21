#include "markers/marker_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <limits>

namespace vl {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// Appends " hh": a space and the byte as two lower-case hex digits.
void appendHexByte(std::string& out, uint8_t value) {
    out.push_back(' ');
    out.push_back(kHexDigits[value >> 4]);
    out.push_back(kHexDigits[value & 0x0F]);
}

std::string tagged(std::string_view tag, std::initializer_list<uint8_t> bytes) {
    std::string out;
    out.reserve(tag.size() + 3 * bytes.size());
    out.append(tag);
    for (uint8_t b : bytes) appendHexByte(out, b);
    return out;
}

bool isScanSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One %x conversion starting at text[i]; advances i past what it consumed.
std::optional<uint32_t> scanOneHex(std::string_view text, size_t& i) {
    const size_t n = text.size();
    while (i < n && isScanSpace(text[i])) ++i;
    size_t p = i;
    bool negative = false;
    if (p < n && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    bool prefix = false;
    if (p + 1 < n && text[p] == '0' && (text[p + 1] == 'x' || text[p + 1] == 'X')) {
        // A "0x" with no digit after it still reads as 0, as the C library does.
        prefix = true;
        p += 2;
    }
    uint64_t value = 0;
    bool overflow = false;
    size_t digits = 0;
    for (; p < n; ++p) {
        const int d = hexValue(text[p]);
        if (d < 0) break;
        ++digits;
        if (value > (std::numeric_limits<uint64_t>::max() >> 4)) overflow = true;
        value = (value << 4) | static_cast<uint64_t>(d);
    }
    if (digits == 0 && !prefix) return std::nullopt;
    i = p;
    if (overflow) return std::numeric_limits<uint32_t>::max();
    if (negative) value = ~value + 1;
    return static_cast<uint32_t>(value);
}

// Compared without substr, which checks its bounds and may throw, in the
// functions the walks call for every marker they pass.
bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::memcmp(text.data(), prefix.data(), prefix.size()) == 0;
}

// The value of each lower-case hex digit; -1 for every other byte.
constexpr std::array<int8_t, 256> kLowerHexValues = [] {
    std::array<int8_t, 256> values{};
    values.fill(-1);
    for (int c = '0'; c <= '9'; ++c) values[static_cast<size_t>(c)] = static_cast<int8_t>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c)
        values[static_cast<size_t>(c)] = static_cast<int8_t>(c - 'a' + 10);
    return values;
}();

int lowerHexValue(char c) { return kLowerHexValues[static_cast<uint8_t>(c)]; }

// The note markers this library writes read "KQVLEVT ss kk" exactly; the
// analysis steps ask for them at every step of their walks, so that form is
// decoded directly. Any other spelling goes through the general scan, which
// gives the same answer for this form.
std::optional<ProprietaryNote> readWrittenNoteText(std::string_view text) {
    constexpr size_t kWrittenLength = kMarkerTagLength + 6;
    constexpr std::string_view kWrittenTag = "KQVLEVT ";
    static_assert(kWrittenTag.substr(0, kMarkerTagLength) == kNoteMarkerTag);
    if (text.size() != kWrittenLength || !startsWith(text, kWrittenTag) || text[10] != ' ')
        return std::nullopt;
    const int s1 = lowerHexValue(text[8]);
    const int s2 = lowerHexValue(text[9]);
    const int k1 = lowerHexValue(text[11]);
    const int k2 = lowerHexValue(text[12]);
    if ((s1 | s2 | k1 | k2) < 0) return std::nullopt;
    const int status = s1 << 4 | s2;
    if (status < 0x80 || status > 0x9F) return std::nullopt;
    ProprietaryNote note;
    note.status = static_cast<uint8_t>(status);
    note.key = static_cast<uint8_t>(k1 << 4 | k2);
    return note;
}

// A marker the library writes that stands for no note, noted so in its payload.
MidiMessage markerNotingNoNote(std::string_view text) {
    MidiMessage m = MidiMessage::markerText(text);
    m.payload.rememberNote({MidiDataBlock::NoteMemo::NoNote});
    return m;
}

std::string_view payloadUpToNul(const MidiMessage& m) {
    std::string_view text = m.payloadText();
    const size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace

std::string barMarkerText() { return std::string(kBarMarkerText); }

std::string deletedMarkerText() { return std::string(kDeletedMarkerText); }

std::string proprietaryNoteOffText(uint8_t channel, uint8_t key) {
    return tagged(kNoteMarkerTag, {static_cast<uint8_t>(0x80 | (channel & 0x0F)), key});
}

std::string proprietaryNoteOnText(uint8_t channel, uint8_t key) {
    return tagged(kNoteMarkerTag, {static_cast<uint8_t>(0x90 | (channel & 0x0F)), key});
}

std::string keySignatureMarkerText(uint8_t sf, uint8_t mi) {
    return tagged(kMetaMarkerTag, {meta::KeySignature, sf, mi});
}

std::string timeSignatureMarkerText(uint8_t nn, uint8_t dd, uint8_t cc, uint8_t bb) {
    return tagged(kMetaMarkerTag, {meta::TimeSignature, nn, dd, cc, bb});
}

std::string tempoMarkerText(uint8_t t1, uint8_t t2, uint8_t t3) {
    return tagged(kMetaMarkerTag, {meta::Tempo, t1, t2, t3});
}

MidiMessage barMarkerMessage() { return markerNotingNoNote(kBarMarkerText); }

MidiMessage proprietaryNoteMessage(bool noteOn, uint8_t channel, uint8_t key) {
    MidiMessage m = MidiMessage::markerText(noteOn ? proprietaryNoteOnText(channel, key)
                                                   : proprietaryNoteOffText(channel, key));
    const auto status = static_cast<uint8_t>((noteOn ? 0x90 : 0x80) | (channel & 0x0F));
    m.payload.rememberNote({MidiDataBlock::NoteMemo::Note, status, key});
    return m;
}

MidiMessage keySignatureMarkerMessage(uint8_t sf, uint8_t mi) {
    return markerNotingNoNote(keySignatureMarkerText(sf, mi));
}

MidiMessage timeSignatureMarkerMessage(uint8_t nn, uint8_t dd, uint8_t cc, uint8_t bb) {
    return markerNotingNoNote(timeSignatureMarkerText(nn, dd, cc, bb));
}

size_t scanHexNumbers(std::string_view text, std::span<uint32_t> out) {
    std::fill(out.begin(), out.end(), 0u);
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    size_t i = 0;
    size_t converted = 0;
    while (converted < out.size()) {
        const std::optional<uint32_t> v = scanOneHex(text, i);
        if (!v) break;
        out[converted++] = *v;
    }
    return converted;
}

bool hasMarkerTag(const MidiMessage& m, std::string_view tag) {
    if (!m.isMarkerText()) return false;
    const std::string_view text = m.payloadText();
    return text.size() >= kMarkerTagLength && startsWith(text, tag);
}

std::optional<ProprietaryNote> decodeNoteMarker(const MidiMessage& m) {
    if (!m.isMarkerText()) return std::nullopt;
    if (const std::optional<ProprietaryNote> note = readWrittenNoteText(m.payloadText()))
        return note;
    if (!hasMarkerTag(m, kNoteMarkerTag)) return std::nullopt;
    std::array<uint32_t, 2> numbers{};
    scanHexNumbers(payloadUpToNul(m).substr(kMarkerTagLength), numbers);
    if (numbers[0] < 0x80 || numbers[0] > 0x9F) return std::nullopt;
    ProprietaryNote note;
    note.status = static_cast<uint8_t>(numbers[0]);
    note.key = static_cast<uint8_t>(numbers[1] & 0xFF);
    return note;
}

std::optional<uint32_t> metaMarkerType(const MidiMessage& m) {
    if (!hasMarkerTag(m, kMetaMarkerTag)) return std::nullopt;
    std::array<uint32_t, 1> type{};
    scanHexNumbers(payloadUpToNul(m).substr(kMarkerTagLength), type);
    return type[0];
}

std::optional<std::array<uint8_t, 4>> readMetaMarker(const MidiMessage& m, uint8_t type) {
    if (!hasMarkerTag(m, kMetaMarkerTag)) return std::nullopt;
    std::array<uint32_t, 5> numbers{};
    scanHexNumbers(payloadUpToNul(m).substr(kMarkerTagLength), numbers);
    if (numbers[0] != type) return std::nullopt;
    std::array<uint8_t, 4> values{};
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<uint8_t>(numbers[i + 1] & 0xFF);
    return values;
}

MidiMessage decodeProprietaryNote(const MidiMessage& m) {
    const std::optional<ProprietaryNote> note = readProprietaryNote(m);
    if (!note) return m;
    return MidiMessage::channel(static_cast<uint8_t>(note->status & 0xF0), note->channel(),
                                note->key, note->isOn() ? 127 : 0);
}

}  // namespace vl
