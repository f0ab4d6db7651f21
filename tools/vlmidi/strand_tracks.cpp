// Strand numbers read back from the listing's annotation column.

#include "strand_tracks.h"

#include <cctype>
#include <cstdint>

namespace vl::cli {

namespace {

constexpr std::int16_t kTrackHeaderLine = 2;
constexpr std::int16_t kEventLine = 3;
constexpr std::uint16_t kAnnotationChunk = 6;
// Strand numbers are 16-bit signed in the events; anything larger is not a strand number.
constexpr long kMaxStrandNumber = 32767;

}  // namespace

int strandNumberInAnnotation(const char* annotation) {
    if (annotation == nullptr || annotation[0] != '[') return -1;
    long number = 0;
    const char* c = annotation + 1;
    if (!std::isdigit(static_cast<unsigned char>(*c))) return -1;
    for (; std::isdigit(static_cast<unsigned char>(*c)); ++c) {
        number = number * 10 + (*c - '0');
        if (number > kMaxStrandNumber) return -1;
    }
    return *c == ']' ? static_cast<int>(number) : -1;
}

std::vector<int> findStrandTracks(ImportSession* session) {
    // Only the strands a walk can reach matter: once each of them has its track, the rest of
    // the listing (whose annotations are the costly part) is not read.
    const std::int32_t strandCount = vlImportStrandCount(session);
    if (strandCount <= 0) return {};
    const auto wanted = static_cast<std::size_t>(strandCount);
    std::size_t found = 0;
    std::vector<int> trackOfStrand;
    int track = -1;
    for (bool on = VlMidiTextLineSetFirst(session) != 0; on && found < wanted;
         on = VlMidiTextLineSetNext(session) != 0) {
        const std::int16_t type = VlMidiTextLineType(session);
        if (type == kTrackHeaderLine) {
            ++track;
            continue;
        }
        if (type != kEventLine || track < 0) continue;
        const int strand = strandNumberInAnnotation(VlMidiTextLineTextChunk(session,
                                                                            kAnnotationChunk));
        if (strand < 0) continue;
        if (static_cast<std::size_t>(strand) >= trackOfStrand.size()) {
            trackOfStrand.resize(static_cast<std::size_t>(strand) + 1, -1);
        }
        if (trackOfStrand[strand] >= 0) continue;
        trackOfStrand[strand] = track;
        if (static_cast<std::size_t>(strand) < wanted) ++found;
    }
    return trackOfStrand;
}

}  // namespace vl::cli
