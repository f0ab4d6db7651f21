#include "midi/midi_message.h"

#include <cstring>
#include <utility>

namespace vl {

static_assert(sizeof(MidiDataBlock) == 24, "an event and its list links should fit 56 bytes");

MidiDataBlock::MidiDataBlock(const uint8_t* bytes, int32_t length) { assign(bytes, length); }

MidiDataBlock::MidiDataBlock(std::string_view text) {
    copyFrom(reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()));
}

MidiDataBlock::MidiDataBlock(const MidiDataBlock& other) : memo_(other.memo_) {
    copyFrom(other.data(), other.length_);
}

MidiDataBlock::MidiDataBlock(MidiDataBlock&& other) noexcept
    : length_(other.length_), memo_(other.memo_) {
    std::memcpy(inline_, other.inline_, kInlineBytes);
    other.length_ = 0;
    other.memo_ = NoteMemo{};
}

MidiDataBlock& MidiDataBlock::operator=(const MidiDataBlock& other) {
    if (this != &other) {
        MidiDataBlock copy(other);
        *this = std::move(copy);
    }
    return *this;
}

MidiDataBlock& MidiDataBlock::operator=(MidiDataBlock&& other) noexcept {
    if (this != &other) {
        release();
        length_ = other.length_;
        memo_ = other.memo_;
        std::memcpy(inline_, other.inline_, kInlineBytes);
        other.length_ = 0;
        other.memo_ = NoteMemo{};
    }
    return *this;
}

uint8_t* MidiDataBlock::heapBytes() const {
    uint8_t* p = nullptr;
    std::memcpy(&p, inline_, sizeof p);
    return p;
}

void MidiDataBlock::release() {
    if (onHeap()) delete[] heapBytes();
    length_ = 0;
    memo_ = NoteMemo{};
}

// The block must be empty.
void MidiDataBlock::copyFrom(const uint8_t* bytes, uint32_t length) {
    if (length == 0) return;
    if (length <= kInlineBytes) {
        std::memcpy(inline_, bytes, length);
    } else {
        uint8_t* heap = new uint8_t[length];
        std::memcpy(heap, bytes, length);
        std::memcpy(inline_, &heap, sizeof heap);
    }
    length_ = length;
}

void MidiDataBlock::assign(const uint8_t* bytes, int32_t length) {
    // Copied before the old bytes go, which may be the source.
    MidiDataBlock fresh;
    if (bytes != nullptr && length > 0) fresh.copyFrom(bytes, static_cast<uint32_t>(length));
    *this = std::move(fresh);
}

int MidiDataBlock::byteAt(int32_t i) const {
    if (i < 0 || i >= length()) return -1;
    return data()[i];
}

int messageLength(uint8_t status) {
    if (status < 0x80) return 0;
    if (status < 0xC0) return 3;
    if (status < 0xE0) return 2;
    if (status < 0xF0) return 3;
    switch (status) {
        case 0xF1:
        case 0xF3:
            return 2;
        case 0xF2:
            return 3;
        case 0xF6:
        case 0xF8:
        case 0xFA:
        case 0xFB:
        case 0xFC:
        case 0xFE:
            return 1;
        default:
            return 0;
    }
}

MidiMessage MidiMessage::channel(uint8_t kind, uint8_t channel, uint8_t data1, uint8_t data2) {
    MidiMessage m;
    m.status = static_cast<uint8_t>(kind | (channel & 0x0F));
    m.data1 = data1;
    m.data2 = data2;
    return m;
}

MidiMessage MidiMessage::packed(uint32_t value) {
    MidiMessage m;
    m.status = static_cast<uint8_t>(value & 0xFF);
    m.data1 = static_cast<uint8_t>((value >> 8) & 0xFF);
    m.data2 = static_cast<uint8_t>((value >> 16) & 0xFF);
    m.spare = static_cast<uint8_t>((value >> 24) & 0xFF);
    return m;
}

MidiMessage MidiMessage::metaEvent(uint8_t type, int32_t length, const uint8_t* bytes) {
    MidiMessage m;
    m.status = meta::Status;
    m.data1 = type;
    if (length != 0) m.payload.assign(bytes, length);
    return m;
}

MidiMessage MidiMessage::markerText(std::string_view text) {
    MidiMessage m;
    m.status = meta::Status;
    m.data1 = meta::SequencerSpecific;
    m.payload = MidiDataBlock(text);
    return m;
}

uint32_t MidiMessage::pack() const {
    return static_cast<uint32_t>(status) | (static_cast<uint32_t>(data1) << 8) |
           (static_cast<uint32_t>(data2) << 16) | (static_cast<uint32_t>(spare) << 24);
}

int MidiMessage::textKind() const {
    if (!isMeta() || data1 < 1 || data1 > 7) return textkind::None;
    return textkind::Text + data1 - 1;
}

bool MidiMessage::isNoteOfChannelKey(uint8_t ch, uint8_t key) const {
    return isNote() && (data1 == key || key == 255) && channel() == ch;
}

}  // namespace vl
