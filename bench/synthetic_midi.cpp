#include "synthetic_midi.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>

namespace vl::bench {

namespace {

constexpr int64_t kDivision = 480;
constexpr int64_t kBeat = kDivision;
constexpr int64_t kSixteenth = kDivision / 4;
constexpr int64_t kEighth = kDivision / 2;
constexpr int64_t kTripletEighth = kDivision / 3;
constexpr int64_t kSwungOffbeat = 2 * kDivision / 3;  // 2:1 swing
constexpr int64_t kBarsPerSection = 8;

class Random {
public:
    explicit Random(uint32_t seed) : state_(seed * 2654435761u + 1u) {}
    uint32_t below(uint32_t bound) {
        state_ = state_ * 1664525u + 1013904223u;
        return bound == 0 ? 0 : (state_ >> 8) % bound;
    }
    int jitter(int width) {
        return static_cast<int>(below(static_cast<uint32_t>(2 * width + 1))) - width;
    }
    bool chance(uint32_t oneIn) { return below(oneIn) == 0; }

private:
    uint32_t state_;
};

enum class Style { Straight, Swung, Triplets };

struct Bar {
    int64_t start = 0;
    int64_t length = 0;
    uint8_t numerator = 4;
    uint8_t denominatorExponent = 2;
    Style style = Style::Straight;
    size_t index = 0;
    int64_t beats() const { return length / kBeat; }
};

// Bars one after another; each section of eight bars has its own metre and
// rhythmic style, and a new tempo.
class Timeline {
public:
    explicit Timeline(bool varied) : varied_(varied) {}

    Bar next() {
        Bar bar;
        bar.index = count_++;
        bar.start = end_;
        const size_t section = bar.index / kBarsPerSection;
        bar.numerator = 4;
        bar.denominatorExponent = 2;
        bar.style = Style::Straight;
        if (varied_) {
            static constexpr std::array<uint8_t, 5> kNumerators{4, 4, 3, 4, 2};
            static constexpr std::array<Style, 5> kStyles{Style::Straight, Style::Swung,
                                                          Style::Straight, Style::Triplets,
                                                          Style::Swung};
            bar.numerator = kNumerators[section % kNumerators.size()];
            bar.style = kStyles[(section / 2 + section) % kStyles.size()];
        }
        bar.length = bar.numerator * kBeat;
        end_ += bar.length;
        return bar;
    }
    bool startsSection(const Bar& bar) const { return bar.index % kBarsPerSection == 0; }

private:
    bool varied_;
    size_t count_ = 0;
    int64_t end_ = 0;
};

enum class Part { Piano, Strings, Bass, Drums };

// Adds a note played near `at` for about `length` ticks (slightly detached).
void play(Track& track, Random& random, int64_t at, int64_t length, int key, int velocity) {
    const int64_t on = std::max<int64_t>(0, at + random.jitter(12));
    const int64_t off = on + std::max<int64_t>(12, length - static_cast<int64_t>(random.below(24)));
    track.notes.push_back({on, off, track.channel, static_cast<uint8_t>(std::clamp(key, 0, 127)),
                           static_cast<uint8_t>(std::clamp(velocity + random.jitter(10), 1, 127))});
}

// Onsets of one beat of melody in the bar's style, with their lengths.
void melodyBeat(Track& track, Random& random, const Bar& bar, int64_t beat, int& pitch) {
    const int64_t at = bar.start + beat * kBeat;
    auto step = [&](int64_t offset, int64_t length) {
        pitch = std::clamp(pitch + random.jitter(4), 60, 84);
        play(track, random, at + offset, length, pitch, 80);
    };
    switch (bar.style) {
    case Style::Triplets:
        for (int64_t k = 0; k < 3; ++k) step(k * kTripletEighth, kTripletEighth);
        break;
    case Style::Swung:
        step(0, kSwungOffbeat);
        step(kSwungOffbeat, kBeat - kSwungOffbeat);
        break;
    case Style::Straight:
        for (int64_t t = 0; t < kBeat;) {
            const int64_t length = kSixteenth * (1 + random.below(3));
            step(t, length);
            t += length;
        }
        break;
    }
}

void pianoBar(Track& track, Random& random, const Bar& bar, int& pitch) {
    // Right hand: a melody; its last note now and then held over the bar line.
    for (int64_t beat = 0; beat < bar.beats(); ++beat) melodyBeat(track, random, bar, beat, pitch);
    if (random.chance(3)) play(track, random, bar.start + bar.length - kEighth, kBeat + kEighth, pitch + 2, 76);
    // Left hand on the same channel: a triad every two beats, the last one
    // sometimes sustained into the next bar.
    for (int64_t beat = 0; beat < bar.beats(); beat += 2) {
        const int root = 43 + static_cast<int>(random.below(10));
        const bool across = beat + 2 >= bar.beats() && random.chance(2);
        const int64_t length = across ? 3 * kBeat : std::min<int64_t>(2, bar.beats() - beat) * kBeat;
        for (int interval : {0, 4, 7}) play(track, random, bar.start + beat * kBeat, length, root + interval, 70);
    }
}

void stringsBar(Track& track, Random& random, const Bar& bar) {
    // A four-note chord from the middle of the bar across the bar line.
    const int root = 55 + static_cast<int>(random.below(7));
    const int64_t from = bar.start + (bar.beats() / 2) * kBeat;
    for (int interval : {0, 3, 7, 12}) play(track, random, from, bar.length, root + interval, 64);
}

void bassBar(Track& track, Random& random, const Bar& bar) {
    for (int64_t beat = 0; beat < bar.beats(); ++beat) {
        const int key = 31 + static_cast<int>(random.below(12));
        if (bar.style == Style::Straight && random.chance(2)) {
            play(track, random, bar.start + beat * kBeat, kEighth, key, 90);
            play(track, random, bar.start + beat * kBeat + kEighth, kEighth, key + 7, 85);
        } else {
            play(track, random, bar.start + beat * kBeat, kBeat, key, 90);
        }
    }
}

void drumsBar(Track& track, Random& random, const Bar& bar) {
    constexpr int kKick = 36;
    constexpr int kSnare = 38;
    constexpr int kHiHat = 42;
    for (int64_t beat = 0; beat < bar.beats(); ++beat) {
        const int64_t at = bar.start + beat * kBeat;
        play(track, random, at, kSixteenth, beat % 2 == 0 ? kKick : kSnare, 100);
        play(track, random, at, kSixteenth, kHiHat, 70);
        const int64_t offbeat =
            bar.style == Style::Swung ? kSwungOffbeat
                                      : (bar.style == Style::Triplets ? kTripletEighth : kEighth);
        play(track, random, at + offbeat, kSixteenth, kHiHat, 60);
        if (bar.style == Style::Triplets) play(track, random, at + 2 * kTripletEighth, kSixteenth, kHiHat, 55);
    }
}

void partBar(Part part, Track& track, Random& random, const Bar& bar, int& pitch) {
    switch (part) {
    case Part::Piano: pianoBar(track, random, bar, pitch); break;
    case Part::Strings: stringsBar(track, random, bar); break;
    case Part::Bass: bassBar(track, random, bar); break;
    case Part::Drums: drumsBar(track, random, bar); break;
    }
}

}  // namespace

Meta meta(int64_t time, uint8_t type, std::vector<uint8_t> data) {
    Meta m;
    m.time = time;
    m.bytes.reserve(data.size() + 3);
    m.bytes.push_back(0xFF);
    m.bytes.push_back(type);
    m.bytes.push_back(static_cast<uint8_t>(data.size()));
    for (uint8_t b : data) m.bytes.push_back(b);
    return m;
}

Meta tempoMeta(int64_t time, uint32_t microsecondsPerQuarter) {
    return meta(time, 0x51,
                {static_cast<uint8_t>(microsecondsPerQuarter >> 16),
                 static_cast<uint8_t>(microsecondsPerQuarter >> 8),
                 static_cast<uint8_t>(microsecondsPerQuarter)});
}

namespace {

Meta metreMeta(const Bar& bar) {
    return meta(bar.start, 0x58, {bar.numerator, bar.denominatorExponent, 24, 8});
}

// ---- Writing ----------------------------------------------------------------

void putVlq(std::vector<uint8_t>& out, uint64_t value) {
    uint8_t buffer[10];
    size_t n = 0;
    buffer[n++] = static_cast<uint8_t>(value & 0x7F);
    while ((value >>= 7) != 0) buffer[n++] = static_cast<uint8_t>(0x80 | (value & 0x7F));
    while (n > 0) out.push_back(buffer[--n]);
}

void putBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

struct TimedBytes {
    int64_t time;
    int order;  // at one tick: metas, then note-offs, then note-ons
    size_t sequence;
    std::array<uint8_t, 3> channelBytes;
    const Meta* meta;
};

std::vector<uint8_t> trackChunk(const Track& track) {
    std::vector<TimedBytes> events;
    events.reserve(track.notes.size() * 2 + track.metas.size() + 2);
    size_t sequence = 0;
    for (const Meta& m : track.metas) events.push_back({m.time, 0, sequence++, {}, &m});
    const Meta name = meta(0, 0x03, std::vector<uint8_t>(track.name.begin(), track.name.end()));
    events.push_back({0, 0, sequence++, {}, &name});
    events.push_back({0, 1, sequence++, {uint8_t(0xC0 | track.channel), track.program, 0}, nullptr});
    for (const Note& n : track.notes) {
        const uint8_t status = static_cast<uint8_t>(0x90 | n.channel);
        events.push_back({n.on, 3, sequence++, {status, n.key, n.velocity}, nullptr});
        events.push_back({n.off, 2, sequence++, {status, n.key, 0}, nullptr});
    }
    std::sort(events.begin(), events.end(), [](const TimedBytes& a, const TimedBytes& b) {
        if (a.time != b.time) return a.time < b.time;
        if (a.order != b.order) return a.order < b.order;
        return a.sequence < b.sequence;
    });
    std::vector<uint8_t> body;
    body.reserve(events.size() * 4 + 16);
    int64_t last = 0;
    uint8_t runningStatus = 0;
    for (const TimedBytes& e : events) {
        putVlq(body, static_cast<uint64_t>(e.time - last));
        last = e.time;
        if (e.meta != nullptr) {
            body.insert(body.end(), e.meta->bytes.begin(), e.meta->bytes.end());
            runningStatus = 0;
            continue;
        }
        const uint8_t status = e.channelBytes[0];
        if (status != runningStatus) body.push_back(status);
        runningStatus = status;
        body.push_back(e.channelBytes[1]);
        if ((status & 0xF0) != 0xC0) body.push_back(e.channelBytes[2]);
    }
    for (uint8_t b : {0x00, 0xFF, 0x2F, 0x00}) body.push_back(b);
    std::vector<uint8_t> chunk{'M', 'T', 'r', 'k'};
    putBigEndian(chunk, static_cast<uint32_t>(body.size()), 4);
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

}  // namespace

std::vector<uint8_t> smfBytes(const std::vector<Track>& tracks) {
    std::vector<uint8_t> out{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    putBigEndian(out, static_cast<uint32_t>(tracks.size()), 2);
    putBigEndian(out, static_cast<uint32_t>(kDivision), 2);
    for (const Track& track : tracks) {
        const std::vector<uint8_t> chunk = trackChunk(track);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

namespace {

size_t noteTotal(const std::vector<Track>& tracks) {
    size_t total = 0;
    for (const Track& t : tracks) total += t.notes.size();
    return total;
}

// Keeps the first `count` notes by onset.
void keepFirstNotes(Track& track, size_t count) {
    std::stable_sort(track.notes.begin(), track.notes.end(),
                     [](const Note& a, const Note& b) { return a.on < b.on; });
    if (track.notes.size() > count) track.notes.resize(count);
}

}  // namespace

std::vector<uint8_t> makeEnsembleFile(size_t noteCount, uint32_t seed) {
    Random random(seed);
    std::vector<Track> tracks(5);
    tracks[0].name = "Conductor";
    const std::array<Part, 4> parts{Part::Piano, Part::Strings, Part::Bass, Part::Drums};
    const std::array<const char*, 4> names{"Piano", "Strings", "Bass", "Drums"};
    const std::array<uint8_t, 4> channels{0, 1, 2, 9};
    const std::array<uint8_t, 4> programs{0, 48, 33, 0};
    for (size_t i = 0; i < parts.size(); ++i) {
        tracks[i + 1].name = names[i];
        tracks[i + 1].channel = channels[i];
        tracks[i + 1].program = programs[i];
    }
    Timeline timeline(true);
    int pitch = 72;
    while (noteTotal(tracks) < noteCount) {
        const Bar bar = timeline.next();
        if (timeline.startsSection(bar)) {
            tracks[0].metas.push_back(metreMeta(bar));
            tracks[0].metas.push_back(tempoMeta(bar.start, 400000 + random.below(250000)));
        }
        for (size_t i = 0; i < parts.size(); ++i) partBar(parts[i], tracks[i + 1], random, bar, pitch);
    }
    // Trim the piano, which has most notes, to the exact count.
    const size_t others = noteTotal(tracks) - tracks[1].notes.size();
    keepFirstNotes(tracks[1], noteCount > others ? noteCount - others : 0);
    return smfBytes(tracks);
}

std::vector<uint8_t> makePeersFile(size_t trackCount, size_t notesPerTrack, uint32_t seed) {
    Random random(seed);
    std::vector<Track> tracks(trackCount);
    const std::array<Part, 4> parts{Part::Piano, Part::Bass, Part::Strings, Part::Drums};
    std::vector<int> pitches(trackCount, 72);
    for (size_t i = 0; i < trackCount; ++i) {
        tracks[i].name = "Track " + std::to_string(i + 1);
        tracks[i].channel = static_cast<uint8_t>(i % 16);
        tracks[i].program = static_cast<uint8_t>((i * 8) % 128);
    }
    if (!tracks.empty()) tracks[0].metas.push_back(tempoMeta(0, 500000));
    Timeline timeline(false);
    bool more = notesPerTrack > 0;
    while (more) {
        const Bar bar = timeline.next();
        more = false;
        for (size_t i = 0; i < trackCount; ++i) {
            if (tracks[i].notes.size() >= notesPerTrack) continue;
            // Channel 10 plays drums; the others take turns with the other parts.
            const Part part = tracks[i].channel == 9 ? Part::Drums : parts[i % 3];
            partBar(part, tracks[i], random, bar, pitches[i]);
            more = more || tracks[i].notes.size() < notesPerTrack;
        }
    }
    for (Track& track : tracks) keepFirstNotes(track, notesPerTrack);
    return smfBytes(tracks);
}

size_t countFileEvents(const std::vector<uint8_t>& bytes) {
    auto be32 = [&](size_t at) {
        return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) |
               (uint32_t{bytes[at + 2]} << 8) | uint32_t{bytes[at + 3]};
    };
    if (bytes.size() < 14 || !std::equal(bytes.begin(), bytes.begin() + 4, "MThd")) return 0;
    size_t at = 8 + be32(4);
    size_t events = 0;
    while (at + 8 <= bytes.size()) {
        const size_t end = std::min(bytes.size(), at + 8 + size_t{be32(at + 4)});
        const bool isTrack = std::equal(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(at) + 4, "MTrk");
        size_t p = at + 8;
        at = end;
        if (!isTrack) continue;
        uint8_t running = 0;
        auto vlq = [&]() {
            uint64_t v = 0;
            for (int i = 0; i < 4 && p < end; ++i) {
                const uint8_t b = bytes[p++];
                v = (v << 7) | (b & 0x7F);
                if ((b & 0x80) == 0) break;
            }
            return v;
        };
        while (p < end) {
            vlq();
            if (p >= end) break;
            uint8_t status = bytes[p];
            if (status & 0x80) {
                ++p;
            } else {
                status = running;
            }
            if (status == 0xFF) {
                if (p >= end) break;
                ++p;  // type
                const uint64_t length = vlq();
                p = length > end - p ? end : p + static_cast<size_t>(length);
            } else if (status == 0xF0 || status == 0xF7) {
                const uint64_t length = vlq();
                p = length > end - p ? end : p + static_cast<size_t>(length);
            } else if (status >= 0x80) {
                running = status;
                const size_t dataBytes = ((status & 0xE0) == 0xC0) ? 1 : 2;
                p = std::min(end, p + dataBytes);
            } else {
                break;  // data without a status
            }
            ++events;
        }
    }
    return events;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace vl::bench
