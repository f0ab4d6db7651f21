// The signature gathering: every track decoded (running status, meta, system exclusive) through
// a bounds-checked reader, the first track re-encoded with the gathered events in time order.

#include "signature_gather.h"

#include <stdlib.h>

#include <algorithm>
#include <exception>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "smf_tracks.h"

namespace vl::cli {

namespace {

constexpr std::uint8_t kTimeSignature = 0x58;
constexpr std::uint8_t kKeySignature = 0x59;
constexpr std::uint32_t kMaxQuantity = 0x0FFFFFFF;

// The meta type of a well-formed time or key signature event, else 0.
std::uint8_t signatureType(const TrackEvent& e) {
    if (e.bytes.size() < 3 || static_cast<std::uint8_t>(e.bytes[0]) != 0xFF) return 0;
    const auto type = static_cast<std::uint8_t>(e.bytes[1]);
    const auto length = static_cast<std::uint8_t>(e.bytes[2]);
    if (type == kTimeSignature && length == 4 && e.bytes.size() == 7) return type;
    if (type == kKeySignature && length == 2 && e.bytes.size() == 5) return type;
    return 0;
}

struct Signature {
    const TrackEvent* event = nullptr;
    bool inFirstTrack = false;
};

// The later tracks' signatures of one kind that the first track lacks, in time order.
void gatherKind(const std::vector<std::vector<TrackEvent>>& tracks, std::uint8_t type,
                std::vector<const TrackEvent*>& gathered) {
    std::vector<Signature> all;
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        for (const TrackEvent& e : tracks[t]) {
            if (signatureType(e) == type) all.push_back(Signature{&e, t == 0});
        }
    }
    // At one tick the first track's own signature comes first and wins.
    std::stable_sort(all.begin(), all.end(), [](const Signature& a, const Signature& b) {
        if (a.event->tick != b.event->tick) return a.event->tick < b.event->tick;
        return a.inFirstTrack && !b.inFirstTrack;
    });
    const std::string* inForce = nullptr;
    std::optional<std::uint64_t> lastTick;
    for (const Signature& s : all) {
        if (!s.inFirstTrack) {
            if (lastTick == s.event->tick) continue;
            if (inForce != nullptr && *inForce == s.event->bytes) continue;
            gathered.push_back(s.event);
        }
        inForce = &s.event->bytes;
        lastTick = s.event->tick;
    }
}

void appendQuantity(std::string& out, std::uint32_t value) {
    char groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<char>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) out.push_back(static_cast<char>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

// The first track's chunk body with the gathered events before the first-track events at or
// after their tick; nothing when a delta would not fit.
std::optional<std::string> encodeFirstTrack(const std::vector<TrackEvent>& first,
                                            const std::vector<const TrackEvent*>& gathered) {
    std::string out;
    std::uint64_t previous = 0;
    bool ok = true;
    const auto put = [&](const TrackEvent& e) {
        const std::uint64_t tick = std::max(e.tick, previous);
        if (tick - previous > kMaxQuantity) ok = false;
        appendQuantity(out, static_cast<std::uint32_t>(tick - previous));
        out += e.bytes;
        previous = tick;
    };
    std::size_t next = 0;
    for (const TrackEvent& e : first) {
        const bool endOfTrack = &e == &first.back();
        while (next < gathered.size() && (endOfTrack || gathered[next]->tick <= e.tick)) {
            put(*gathered[next++]);
        }
        put(e);
    }
    if (!ok || out.size() > UINT32_MAX) return std::nullopt;
    return out;
}

}  // namespace

std::optional<std::string> gatherSignatures(const std::string& bytes) {
    const std::optional<SmfHeader> header = readSmfHeader(bytes);
    if (!header || header->format != 1 || header->trackCount < 2) return std::nullopt;
    std::vector<std::vector<TrackEvent>> tracks;
    std::vector<TrackChunk> chunks;
    // The first track is re-encoded whole, so bytes after its end of track are not dropped.
    if (!decodeTracks(bytes, *header, tracks, chunks) || chunks.empty() ||
        chunks[0].bytesAfterEnd) {
        return std::nullopt;
    }
    const std::size_t firstBegin = chunks[0].begin, firstEnd = chunks[0].end;
    if (tracks.size() < 2) return std::nullopt;
    std::vector<const TrackEvent*> gathered;
    gatherKind(tracks, kTimeSignature, gathered);
    gatherKind(tracks, kKeySignature, gathered);
    if (gathered.empty()) return std::nullopt;
    std::stable_sort(gathered.begin(), gathered.end(),
                     [](const TrackEvent* a, const TrackEvent* b) { return a->tick < b->tick; });
    const auto body = encodeFirstTrack(tracks[0], gathered);
    if (!body) return std::nullopt;
    std::string out = bytes.substr(0, firstBegin) + "MTrk";
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>(body->size() >> shift & 0xFF));
    }
    out += *body;
    out.append(bytes, firstEnd, std::string::npos);
    return out;
}

PreparedFile::PreparedFile(const std::string& path, bool gather) : original_(path) {
    std::error_code error;
    // Anything but a regular file (a folder, a missing path) goes to the library as it is.
    if (!gather || !std::filesystem::is_regular_file(path, error)) return;
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    std::string bytes;
    try {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::exception&) {
        return;
    }
    const auto prepared = gatherSignatures(bytes);
    const std::filesystem::path name = std::filesystem::path(path).filename();
    if (!prepared || name.empty()) return;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "vlmidi-XXXXXX").string();
    if (error || mkdtemp(pattern.data()) == nullptr) return;
    folder_ = pattern;
    // The same file name, in case the library shows it.
    const std::string copy = (std::filesystem::path(folder_) / name).string();
    std::ofstream out(copy, std::ios::binary);
    out.write(prepared->data(), static_cast<std::streamsize>(prepared->size()));
    out.close();
    if (out) temporary_ = copy;
}

PreparedFile::~PreparedFile() {
    if (folder_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

}  // namespace vl::cli
