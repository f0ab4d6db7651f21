#pragma once
// A Standard MIDI File decoded into its tracks' events at absolute ticks, through the
// bounds-checked reader: for the host's own looks at a file before or beside the library.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vl::cli {

struct TrackEvent {
    std::uint64_t tick = 0;
    std::string bytes;  // status byte first (running status written out), then the rest
};

struct SmfHeader {
    std::uint32_t format = 0;
    std::uint32_t trackCount = 0;
    std::uint32_t division = 0;
    std::size_t chunksBegin = 0;  // the first byte after the header chunk
};

// Where a track's chunk lies in the file: from its tag to its last byte.
struct TrackChunk {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool bytesAfterEnd = false;  // bytes follow the end-of-track event inside the chunk
};

std::optional<SmfHeader> readSmfHeader(const std::string& bytes);

// Every announced track (chunks of other kinds skipped); false when a chunk runs past the end
// of the file or a track is malformed or has no end of track.
bool decodeTracks(const std::string& bytes, const SmfHeader& header,
                  std::vector<std::vector<TrackEvent>>& tracks, std::vector<TrackChunk>& chunks);

}  // namespace vl::cli
