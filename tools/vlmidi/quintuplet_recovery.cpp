#include "quintuplet_recovery.h"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "pitch_spelling.h"
#include "smf_tracks.h"
#include "voice_builder.h"

namespace vl::cli {

namespace {

constexpr std::size_t kGroup = 5;
constexpr std::int64_t kQuintupletPiece = kUnitsPerQuarter / 5;
constexpr int kSemiquaver = 5;  // value index
// A file larger than this is not looked at for quintuplets.
constexpr std::uintmax_t kMaxFileSize = 64u << 20;

struct Onset {
    std::uint64_t tick = 0;
    int key = 0;
};

// Whether the five onsets of crotchet k sit each within a twentieth of a crotchet of a fifth.
bool evenFifths(const std::vector<Onset>& onsets, std::uint64_t k, std::uint64_t division) {
    if (onsets.size() != kGroup) return false;
    for (std::size_t j = 0; j < kGroup; ++j) {
        const auto at = static_cast<std::int64_t>(5 * onsets[j].tick);
        const auto even = static_cast<std::int64_t>(5 * k * division + j * division);
        if (std::llabs(at - even) > static_cast<std::int64_t>(division / 4)) return false;
    }
    return true;
}

// One channel's note-ons, in the order of the track, checked crotchet by crotchet. A note
// played a little early belongs to the crotchet it anticipates.
void findInChannel(const std::vector<Onset>& onsets, std::uint64_t division, int track,
                   int channel, std::vector<PlayedQuintuplet>& found) {
    const std::uint64_t early = division / 10;
    std::size_t first = 0;
    while (first < onsets.size()) {
        const std::uint64_t k = (onsets[first].tick + early) / division;
        std::size_t end = first;
        bool single = true;
        while (end < onsets.size() && (onsets[end].tick + early) / division == k) {
            if (end > first && onsets[end].tick == onsets[end - 1].tick) single = false;
            ++end;
        }
        const std::vector<Onset> crotchet(onsets.begin() + static_cast<std::ptrdiff_t>(first),
                                          onsets.begin() + static_cast<std::ptrdiff_t>(end));
        if (single && evenFifths(crotchet, k, division)) {
            PlayedQuintuplet q{track, channel, static_cast<std::int64_t>(k), {}};
            for (std::size_t j = 0; j < kGroup; ++j) q.keys[j] = crotchet[j].key;
            found.push_back(q);
        }
        first = end;
    }
}

// The key of a note-on with a velocity above 0, or -1.
int noteOnKey(const TrackEvent& e, int& channel) {
    if (e.bytes.size() != 3) return -1;
    const auto status = static_cast<std::uint8_t>(e.bytes[0]);
    if ((status & 0xF0) != 0x90 || e.bytes[2] == 0) return -1;
    channel = status & 0x0F;
    return static_cast<std::uint8_t>(e.bytes[1]);
}

// Where a crotchet of the voice starts: its first note, the notes up to the crotchet's end.
struct CrotchetSpan {
    std::size_t segment = 0;
    std::size_t first = 0;
    std::size_t end = 0;
};

// Whether the library's notes of the crotchet can be the quintuplet's: it starts with the first
// key, has no chord and no tie in or out, fills the crotchet exactly, and its notes have the
// quintuplet's keys in order. Rests are the gaps of notes played short.
bool writtenAsQuintuplet(const MeasureElements& elements, const CrotchetSpan& span,
                         const PlayedQuintuplet& played) {
    std::size_t next = 0;
    std::int64_t length = 0;
    for (std::size_t i = span.first; i < span.end; ++i) {
        const VoiceElement& e = elements[i];
        if (e.kind != VoiceElement::Kind::Note) return false;
        const ScoreNote& n = e.note;
        if (n.chord || n.tieStart || n.tieStop || (n.rest && i == span.first)) return false;
        length += n.duration;
        if (n.rest) continue;
        while (next < kGroup && played.keys[next] != keyOf(n.pitch)) ++next;
        if (next == kGroup || (i == span.first && next != 0)) return false;
        ++next;
    }
    return span.end > span.first && length == kUnitsPerQuarter;
}

// The elements from the note at `first` (at `start`) up to the end of its crotchet.
CrotchetSpan crotchetAt(const MeasureElements& elements, std::size_t segment, std::size_t first,
                        std::int64_t start) {
    CrotchetSpan span{segment, first, first};
    std::int64_t end = start;
    while (span.end < elements.size() && end < start + kUnitsPerQuarter) {
        const VoiceElement& e = elements[span.end];
        if (e.kind == VoiceElement::Kind::Note && !e.note.chord) end += e.note.duration;
        ++span.end;
    }
    while (span.end < elements.size() && elements[span.end].kind == VoiceElement::Kind::Note &&
           elements[span.end].note.chord) {
        ++span.end;  // members of the last note's chord: they keep the crotchet as it is
    }
    return span;
}

MeasureElements quintupletElements(const MeasureElements& written, const CrotchetSpan& span,
                                   const PlayedQuintuplet& played, const KeySignature& key) {
    MeasureElements five;
    for (int k : played.keys) {
        VoiceElement e = written[span.first];
        ScoreNote& n = e.note;
        n.pitch = spellPitch(k, key.fifths, key.minor);
        for (std::size_t i = span.first; i < span.end; ++i) {
            if (keyOf(written[i].note.pitch) == k) n.pitch = written[i].note.pitch;
        }
        n.valueIndex = kSemiquaver;
        n.dots = 0;
        n.duration = kQuintupletPiece;
        n.tuplet = Tuplet::Quintuplet;
        n.tupletStart = n.tupletStop = false;
        five.push_back(e);
    }
    return five;
}

}  // namespace

std::vector<PlayedQuintuplet> findPlayedQuintuplets(const std::string& bytes) {
    std::vector<PlayedQuintuplet> found;
    const auto header = readSmfHeader(bytes);
    // Ticks per crotchet only (not time code), fine enough to tell fifths apart.
    if (!header || (header->division & 0x8000) != 0 || header->division < 20) return found;
    std::vector<std::vector<TrackEvent>> tracks;
    std::vector<TrackChunk> chunks;
    if (!decodeTracks(bytes, *header, tracks, chunks)) return found;
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        std::vector<Onset> byChannel[16];
        for (const TrackEvent& e : tracks[t]) {
            int channel = 0;
            const int key = noteOnKey(e, channel);
            if (key >= 0) byChannel[channel].push_back(Onset{e.tick, key});
        }
        for (int c = 0; c < 16; ++c) {
            findInChannel(byChannel[c], header->division, static_cast<int>(t), c, found);
        }
    }
    return found;
}

std::vector<PlayedQuintuplet> findPlayedQuintupletsInFile(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileSize) return {};
    std::ifstream in(path, std::ios::binary);
    try {
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        return findPlayedQuintuplets(bytes);
    } catch (const std::exception&) {
        return {};
    }
}

int rewritePlayedQuintuplets(std::vector<MeasureElements>& segments,
                             const std::vector<PlayedQuintuplet>& played, int track, int channel,
                             const KeySignature& key) {
    std::map<std::int64_t, const PlayedQuintuplet*> byStart;
    for (const PlayedQuintuplet& q : played) {
        if (q.track == track && q.channel == channel) {
            byStart[q.crotchet * kUnitsPerQuarter] = &q;
        }
    }
    if (byStart.empty()) return 0;
    int rewritten = 0;
    std::int64_t position = 0;
    for (std::size_t s = 0; s < segments.size(); ++s) {
        const MeasureElements& elements = segments[s];
        MeasureElements out;
        out.reserve(elements.size());
        std::size_t i = 0;
        while (i < elements.size()) {
            const VoiceElement& e = elements[i];
            const bool starts = e.kind == VoiceElement::Kind::Note && !e.note.chord;
            const auto found = starts ? byStart.find(position) : byStart.end();
            if (found != byStart.end()) {
                const CrotchetSpan span = crotchetAt(elements, s, i, position);
                if (writtenAsQuintuplet(elements, span, *found->second)) {
                    const MeasureElements five =
                        quintupletElements(elements, span, *found->second, key);
                    out.insert(out.end(), five.begin(), five.end());
                    position += kUnitsPerQuarter;
                    i = span.end;
                    ++rewritten;
                    continue;
                }
            }
            if (starts) position += e.note.duration;
            out.push_back(e);
            ++i;
        }
        segments[s] = std::move(out);
    }
    if (rewritten > 0) bracketTuplets(segments);
    return rewritten;
}

}  // namespace vl::cli
