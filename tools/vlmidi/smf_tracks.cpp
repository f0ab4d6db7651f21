#include "smf_tracks.h"

#include "smf_byte_reader.h"

namespace vl::cli {

namespace {

// One track's events up to and including its end of track; false when the track is malformed
// or has no end of track.
bool decodeTrack(const std::string& bytes, ByteReader& in, std::vector<TrackEvent>& events) {
    std::uint8_t running = 0;
    std::uint64_t tick = 0;
    while (true) {
        std::uint32_t delta = 0;
        std::uint8_t status = 0;
        if (!in.quantity(delta) || !in.peek(status)) return false;
        tick += delta;
        if (status >= 0x80) {
            in.byte(status);
        } else if (running != 0) {
            status = running;
        } else {
            return false;
        }
        const std::size_t body = in.position();
        std::uint32_t length = 0;
        std::uint8_t type = 0;
        if (status == 0xFF) {
            if (!in.byte(type) || !in.quantity(length) || !in.skip(length)) return false;
        } else if (status == 0xF0 || status == 0xF7) {
            if (!in.quantity(length) || !in.skip(length)) return false;
        } else if (status > 0xF0) {
            return false;
        } else {
            running = status;
            if (!in.skip(static_cast<std::uint32_t>(dataBytesOf(status)))) return false;
        }
        TrackEvent e{tick, std::string(1, static_cast<char>(status))};
        e.bytes.append(bytes, body, in.position() - body);
        events.push_back(std::move(e));
        if (status == 0xFF && type == 0x2F) return true;
    }
}

}  // namespace

std::optional<SmfHeader> readSmfHeader(const std::string& bytes) {
    ByteReader in(bytes, 0, bytes.size());
    SmfHeader header;
    std::uint32_t length = 0;
    if (!in.tag("MThd") || !in.bigEndian(4, length) || length < 6 ||
        !in.bigEndian(2, header.format) || !in.bigEndian(2, header.trackCount) ||
        !in.bigEndian(2, header.division) || !in.skip(length - 6)) {
        return std::nullopt;
    }
    header.chunksBegin = in.position();
    return header;
}

bool decodeTracks(const std::string& bytes, const SmfHeader& header,
                  std::vector<std::vector<TrackEvent>>& tracks, std::vector<TrackChunk>& chunks) {
    ByteReader in(bytes, header.chunksBegin, bytes.size());
    while (!in.atEnd() && tracks.size() < header.trackCount) {
        const std::size_t chunkStart = in.position();
        const bool isTrack = in.tag("MTrk");
        std::uint32_t chunkLength = 0;
        if ((!isTrack && !in.skip(4)) || !in.bigEndian(4, chunkLength)) return false;
        const std::size_t begin = in.position();
        if (!in.skip(chunkLength)) return false;
        if (!isTrack) continue;
        ByteReader events(bytes, begin, in.position());
        if (!decodeTrack(bytes, events, tracks.emplace_back())) return false;
        chunks.push_back(TrackChunk{chunkStart, in.position(), !events.atEnd()});
    }
    return true;
}

}  // namespace vl::cli
