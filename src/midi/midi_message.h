#pragma once
// One MIDI message as a track stores it: status, two data bytes, a spare
// byte and an optional payload (meta, system-exclusive and marker events).

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vl {

// Owned payload of a meta, system-exclusive or text event. Empty means
// "no payload": a block of length 0 and an absent block are the same thing.
// Up to kInlineBytes bytes (every marker the library writes for a note or a
// bar) live inside the block; longer payloads get one heap block. At 24 bytes
// it keeps an event and its list links within 56 bytes, which is most of the
// transcription's memory.
class MidiDataBlock {
public:
    static constexpr uint32_t kInlineBytes = 16;

    // The note that a note marker's text spells (or that the text is no note
    // marker), written down by the marker writer that made the text, so that
    // the analysis, which asks at nearly every step of its walks, need not
    // scan the text again. Text from a file or a host stays Unread and is
    // scanned when asked; any change of the bytes makes it Unread again.
    struct NoteMemo {
        enum State : uint8_t { Unread, NoNote, Note };
        State state = Unread;
        uint8_t status = 0;
        uint8_t key = 0;
    };

    MidiDataBlock() = default;
    MidiDataBlock(const uint8_t* bytes, int32_t length);
    explicit MidiDataBlock(std::string_view text);
    MidiDataBlock(const MidiDataBlock& other);
    MidiDataBlock(MidiDataBlock&& other) noexcept;
    MidiDataBlock& operator=(const MidiDataBlock& other);
    MidiDataBlock& operator=(MidiDataBlock&& other) noexcept;
    ~MidiDataBlock() { release(); }

    int32_t length() const { return static_cast<int32_t>(length_); }
    bool empty() const { return length_ == 0; }
    const uint8_t* data() const { return onHeap() ? heapBytes() : inline_; }
    // Byte i, or -1 when the block is shorter.
    int byteAt(int32_t i) const;
    std::string_view text() const {
        return {reinterpret_cast<const char*>(data()), length_};
    }
    // Written out so that a comparison with a constant text compiles to a
    // length check and a few loads, with no call.
    bool equals(std::string_view text) const {
        return length_ == text.size() && std::memcmp(data(), text.data(), text.size()) == 0;
    }
    void assign(const uint8_t* bytes, int32_t length);
    void clear() { release(); }
    NoteMemo noteMemo() const { return memo_; }
    void rememberNote(NoteMemo memo) { memo_ = memo; }

private:
    bool onHeap() const { return length_ > kInlineBytes; }
    // The heap pointer is kept in the inline bytes, which keeps the block at
    // 4-byte alignment and 20 bytes.
    uint8_t* heapBytes() const;
    void release();
    void copyFrom(const uint8_t* bytes, uint32_t length);

    uint32_t length_ = 0;
    uint8_t inline_[kInlineBytes] = {};
    NoteMemo memo_;
};

namespace kind {
constexpr uint8_t NoteOff = 0x80;
constexpr uint8_t NoteOn = 0x90;
constexpr uint8_t KeyPressure = 0xA0;
constexpr uint8_t ControlChange = 0xB0;
constexpr uint8_t ProgramChange = 0xC0;
constexpr uint8_t ChannelPressure = 0xD0;
constexpr uint8_t PitchBend = 0xE0;
}  // namespace kind

namespace meta {
constexpr uint8_t Status = 0xFF;
constexpr uint8_t EndOfTrack = 0x2F;
constexpr uint8_t Tempo = 0x51;
constexpr uint8_t SmpteOffset = 0x54;
constexpr uint8_t TimeSignature = 0x58;
constexpr uint8_t KeySignature = 0x59;
constexpr uint8_t SequencerSpecific = 0x7F;  // carrier of the library's own markers
}  // namespace meta

// Text kinds of meta types 1 to 7.
namespace textkind {
constexpr int None = 0;
constexpr int Text = 4096;
constexpr int TrackName = 4098;
constexpr int InstrumentName = 4099;
}  // namespace textkind

// Total length of a message with this status, status included; 0 when a
// length-prefixed payload follows (meta, system-exclusive, undefined, data bytes).
int messageLength(uint8_t status);

class MidiMessage {
public:
    uint8_t status = 0;
    uint8_t data1 = 0;  // meta type for meta events
    uint8_t data2 = 0;
    uint8_t spare = 0;
    MidiDataBlock payload;

    MidiMessage() = default;
    static MidiMessage channel(uint8_t kind, uint8_t channel, uint8_t data1, uint8_t data2);
    // Windows short-message packing: status lowest byte, then data1, data2, spare.
    static MidiMessage packed(uint32_t value);
    static MidiMessage metaEvent(uint8_t type, int32_t length, const uint8_t* bytes);
    // A sequencer-specific meta event carrying a marker text; empty text, no payload.
    static MidiMessage markerText(std::string_view text);

    uint32_t pack() const;
    uint8_t kind() const { return status & 0xF0; }

    bool isMeta() const { return status == meta::Status; }
    int metaType() const { return isMeta() ? data1 : -1; }
    bool isChannelMessage() const { return status >= 0x80 && status < 0xF0; }
    bool isSysex() const { return status == 0xF0 || status == 0xF7; }
    bool isNote() const { return kind() == kind::NoteOn || kind() == kind::NoteOff; }
    bool isNoteOn() const { return kind() == kind::NoteOn && data2 != 0; }
    bool isNoteOff() const {
        return kind() == kind::NoteOff || (kind() == kind::NoteOn && data2 == 0);
    }
    bool isKeyPressure() const { return kind() == kind::KeyPressure; }
    bool isControlChange() const { return kind() == kind::ControlChange; }
    bool isProgramChange() const { return kind() == kind::ProgramChange; }
    bool isChannelPressure() const { return kind() == kind::ChannelPressure; }
    bool isPitchBend() const { return kind() == kind::PitchBend; }
    bool isEndOfTrack() const { return isMeta() && data1 == meta::EndOfTrack; }
    bool isTimeSignatureMeta() const { return isMeta() && data1 == meta::TimeSignature; }
    bool isKeySignatureMeta() const { return isMeta() && data1 == meta::KeySignature; }
    bool isTempoMeta() const { return isMeta() && data1 == meta::Tempo; }
    bool isMarkerText() const { return isMeta() && data1 == meta::SequencerSpecific; }
    // A marker text event whose whole payload equals the text.
    bool isMarkerTextEqual(std::string_view text) const {
        return isMarkerText() && payload.equals(text);
    }
    // Asked for at nearly every step of every walk, so both are inline.
    bool isBarMarker() const;
    bool isDeletedMarker() const;
    // 4096 + type - 1 for meta types 1 to 7, else textkind::None.
    int textKind() const;
    // Real channel: status & 15 below 0xF0, else 255.
    uint8_t channel() const { return status < 0xF0 ? (status & 0x0F) : 255; }
    bool isNoteOfChannelKey(uint8_t channel, uint8_t key) const;

    std::string_view payloadText() const { return payload.text(); }
};

// Payload text of the bar marker and the deleted-event marker.
inline constexpr std::string_view kBarMarkerText = "KQVLBAR";
inline constexpr std::string_view kDeletedMarkerText = "KQVLZZZ";

inline bool MidiMessage::isBarMarker() const { return isMarkerTextEqual(kBarMarkerText); }
inline bool MidiMessage::isDeletedMarker() const { return isMarkerTextEqual(kDeletedMarkerText); }

}  // namespace vl
