#pragma once
// Test helpers that compose MIDI file bytes readably and put them on disk.
//
//   Bytes smf = SmfBuilder().format(1).division(96)
//                   .track().noteOn(0, 0, 60, 100).noteOff(96, 0, 60)
//                   .meta(0, 0x51, {0x07, 0xA1, 0x20}).endTrack()
//                   .bytes();
//   TempFile file = writeTempFile(smf);
//   readMidiFile(file.path(), header, tracks);
//
// Every event takes its delta time first. Malformed files are built with the
// escape hatches: raw() bytes inside a chunk, running() events without a
// status byte, chunkLength() to state a wrong length, trackCount() and
// headerLength() to state a wrong header, rawFileBytes() outside any chunk,
// and by cutting the finished byte vector.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vl::test {

using Bytes = std::vector<uint8_t>;

// Variable-length quantity of a Standard MIDI File (value at most 0x0FFFFFFF).
Bytes vlq(uint32_t value);

class SmfBuilder {
public:
    // Header. The track count defaults to the number of chunks added.
    SmfBuilder& format(uint16_t f);
    SmfBuilder& division(uint16_t ticksPerQuarter);
    SmfBuilder& trackCount(uint16_t announced);
    // Length stated in the header chunk; the header written stays 14 bytes.
    SmfBuilder& headerLength(uint32_t stated);
    // Replaces the header chunk's type "MThd".
    SmfBuilder& headerType(std::string_view fourChars);
    // Leaves the header out entirely (the bytes start with the first chunk).
    SmfBuilder& noHeader();

    // Starts a new chunk; the events that follow go into it.
    SmfBuilder& track(std::string_view fourChars = "MTrk");
    // States this length for the current chunk instead of its real size.
    SmfBuilder& chunkLength(uint32_t stated);

    // Channel events; channels are 0 to 15.
    SmfBuilder& noteOn(uint32_t delta, uint8_t channel, uint8_t key, uint8_t velocity);
    SmfBuilder& noteOff(uint32_t delta, uint8_t channel, uint8_t key, uint8_t velocity = 0);
    SmfBuilder& controlChange(uint32_t delta, uint8_t channel, uint8_t controller,
                              uint8_t value);
    SmfBuilder& programChange(uint32_t delta, uint8_t channel, uint8_t program);
    SmfBuilder& pitchBend(uint32_t delta, uint8_t channel, uint16_t value14);
    // Any status byte followed by the data bytes given, nothing checked.
    SmfBuilder& message(uint32_t delta, uint8_t status, std::initializer_list<uint8_t> data = {});
    // A running-status event: the delta and the data bytes, no status byte.
    SmfBuilder& running(uint32_t delta, std::initializer_list<uint8_t> data);

    // Meta events: 0xFF, type, length, payload.
    SmfBuilder& meta(uint32_t delta, uint8_t type, const Bytes& payload);
    SmfBuilder& text(uint32_t delta, uint8_t type, std::string_view text);
    SmfBuilder& trackName(uint32_t delta, std::string_view name) { return text(delta, 0x03, name); }
    SmfBuilder& tempo(uint32_t delta, uint32_t microsecondsPerQuarter);
    SmfBuilder& timeSignature(uint32_t delta, uint8_t numerator, uint8_t denominatorPower,
                              uint8_t clocksPerClick = 24, uint8_t thirtySecondsPerQuarter = 8);
    SmfBuilder& keySignature(uint32_t delta, int8_t sharps, bool minor = false);
    // The library's marker events: meta type 0x7F with a text payload.
    SmfBuilder& markerText(uint32_t delta, std::string_view text);
    // End of track (0xFF 0x2F 0x00).
    SmfBuilder& endTrack(uint32_t delta = 0);
    // System exclusive: 0xF0, length, payload (which should end with 0xF7).
    SmfBuilder& sysex(uint32_t delta, const Bytes& payload);

    // Raw bytes into the current chunk, no delta added.
    SmfBuilder& raw(const Bytes& bytes);
    // Raw bytes after the chunks written so far, outside any chunk; a later
    // event starts a new chunk.
    SmfBuilder& rawFileBytes(const Bytes& bytes);

    Bytes bytes() const;

private:
    struct Segment {
        bool isChunk = true;
        std::string type;  // 4 characters for a chunk
        Bytes body;
        std::optional<uint32_t> statedLength;
    };
    Segment& currentChunk();
    SmfBuilder& event(uint32_t delta, std::initializer_list<uint8_t> bytes);
    size_t chunkCount() const;

    uint16_t format_ = 1;
    uint16_t division_ = 96;
    std::optional<uint16_t> trackCount_;
    uint32_t headerLength_ = 6;
    std::string headerType_ = "MThd";
    bool header_ = true;
    std::vector<Segment> segments_;
};

// RIFF chunk: id, little-endian size, body, a pad byte when the size is odd.
// statedSize replaces the real size in the chunk header.
Bytes riffChunk(std::string_view id, const Bytes& body,
                std::optional<uint32_t> statedSize = std::nullopt);
// RIFF form: "RIFF", size, form type, then the given chunks (already encoded).
Bytes riffForm(std::string_view formType, const std::vector<Bytes>& chunks);
// A RIFF MIDI file holding smf as its "data" chunk.
Bytes rmidFile(const Bytes& smf);

// A fresh directory under the system temp directory, removed with its
// contents when this object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(TempDir&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
    TempDir& operator=(TempDir&&) = delete;
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A file holding the given bytes in a private temp directory; both are
// removed when this object goes.
class TempFile {
public:
    explicit TempFile(const Bytes& bytes, std::string_view name = "test.mid");
    const std::string& path() const { return path_; }
    const std::string& directory() const { return dir_.path(); }

private:
    TempDir dir_;
    std::string path_;
};

TempFile writeTempFile(const Bytes& bytes, std::string_view name = "test.mid");

}  // namespace vl::test
