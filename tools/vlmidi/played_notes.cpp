#include "played_notes.h"

#include <deque>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "smf_tracks.h"

namespace vl::cli {

namespace {

// A file larger than this is not read by the host.
constexpr std::uintmax_t kMaxFileSize = 64u << 20;
constexpr std::uint32_t kFinestDivision = 20;

void readTrack(const std::vector<TrackEvent>& events, int track, PlayedFile& file) {
    std::map<int, PlayedChannel> channels;
    std::map<std::pair<int, int>, std::deque<std::size_t>> sounding;  // (channel, key) -> notes
    for (const TrackEvent& e : events) {
        if (e.bytes.size() != 3) continue;
        const auto status = static_cast<std::uint8_t>(e.bytes[0]);
        const int kind = status & 0xF0;
        const int channel = status & 0x0F;
        const int key = static_cast<std::uint8_t>(e.bytes[1]);
        const bool on = kind == 0x90 && e.bytes[2] != 0;
        const bool off = kind == 0x80 || (kind == 0x90 && e.bytes[2] == 0);
        if (on) {
            PlayedChannel& c = channels[channel];
            c.track = track;
            c.channel = channel;
            sounding[{channel, key}].push_back(c.notes.size());
            c.notes.push_back(PlayedNote{e.tick, 0, key});
        } else if (off) {
            auto& open = sounding[{channel, key}];
            if (open.empty()) continue;
            PlayedNote& note = channels[channel].notes[open.front()];
            note.length = e.tick - note.onset;
            open.pop_front();
        }
    }
    for (auto& [channel, c] : channels) file.channels.push_back(std::move(c));
}

}  // namespace

const PlayedChannel* PlayedFile::find(int track, int channel) const {
    for (const PlayedChannel& c : channels) {
        if (c.track == track && c.channel == channel) return &c;
    }
    return nullptr;
}

std::optional<PlayedFile> readPlayedNotes(const std::string& bytes) {
    const auto header = readSmfHeader(bytes);
    if (!header || (header->division & 0x8000) != 0 || header->division < kFinestDivision) {
        return std::nullopt;
    }
    std::vector<std::vector<TrackEvent>> tracks;
    std::vector<TrackChunk> chunks;
    if (!decodeTracks(bytes, *header, tracks, chunks)) return std::nullopt;
    PlayedFile file;
    file.division = header->division;
    for (std::size_t t = 0; t < tracks.size(); ++t) readTrack(tracks[t], static_cast<int>(t), file);
    return file;
}

std::optional<PlayedFile> readPlayedNotesInFile(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileSize) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    try {
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        return readPlayedNotes(bytes);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace vl::cli
