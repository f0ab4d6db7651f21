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
// Every event takes its delta time first. Malformed files are built with
// raw() bytes inside a chunk, chunkLength() and trackCount() to state wrong
// sizes, and by cutting the finished byte vector.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vl::test {

using Bytes = std::vector<uint8_t>;

class SmfBuilder {
public:
    // Header. The track count defaults to the number of chunks added.
    SmfBuilder& format(uint16_t f);
    SmfBuilder& division(uint16_t ticksPerQuarter);
    SmfBuilder& trackCount(uint16_t announced);

    // Starts a new chunk; the events that follow go into it.
    SmfBuilder& track(std::string_view fourChars = "MTrk");
    // States this length for the current chunk instead of its real size.
    SmfBuilder& chunkLength(uint32_t stated);

    // Channel events; channels are 0 to 15.
    SmfBuilder& noteOn(uint32_t delta, uint8_t channel, uint8_t key, uint8_t velocity);
    SmfBuilder& noteOff(uint32_t delta, uint8_t channel, uint8_t key, uint8_t velocity = 0);
    SmfBuilder& programChange(uint32_t delta, uint8_t channel, uint8_t program);
    // Any status byte followed by the data bytes given, nothing checked.
    SmfBuilder& message(uint32_t delta, uint8_t status, std::initializer_list<uint8_t> data = {});

    // Meta events: 0xFF, type, length, payload.
    SmfBuilder& meta(uint32_t delta, uint8_t type, const Bytes& payload);
    SmfBuilder& text(uint32_t delta, uint8_t type, std::string_view text);
    SmfBuilder& trackName(uint32_t delta, std::string_view name) { return text(delta, 0x03, name); }
    SmfBuilder& tempo(uint32_t delta, uint32_t microsecondsPerQuarter);
    SmfBuilder& timeSignature(uint32_t delta, uint8_t numerator, uint8_t denominatorPower,
                              uint8_t clocksPerClick = 24, uint8_t thirtySecondsPerQuarter = 8);
    SmfBuilder& keySignature(uint32_t delta, int8_t sharps, bool minor = false);
    // End of track (0xFF 0x2F 0x00).
    SmfBuilder& endTrack(uint32_t delta = 0);

    // Raw bytes into the current chunk, no delta added.
    SmfBuilder& raw(const Bytes& bytes);

    Bytes bytes() const;

private:
    struct Segment {
        std::string type;  // 4 characters for a chunk
        Bytes body;
        std::optional<uint32_t> statedLength;
    };
    Segment& currentChunk();
    SmfBuilder& event(uint32_t delta, std::initializer_list<uint8_t> bytes);

    uint16_t format_ = 1;
    uint16_t division_ = 96;
    std::optional<uint16_t> trackCount_;
    std::vector<Segment> segments_;
};

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
