// Rendering written notes as MIDI events.

#include "render.h"

#include <algorithm>

#include "../synthetic_midi.h"

namespace vl::fidelity {

namespace {

constexpr std::int64_t kUnitsPerTick = kUnitsPerQuarter / kTicksPerQuarter;
constexpr std::uint32_t kMicrosecondsPerQuarter = 500000;
constexpr std::int64_t kSwungOffbeat = 2 * kUnitsPerQuarter / 3;  // 2:1
constexpr int kJitterTicks = 14;  // about 3 % of a crotchet either way
constexpr int kTimeSignatureType = 0x58;

class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 7) {}
    int between(int low, int high) {  // inclusive
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return low + static_cast<int>((state_ >> 33) % static_cast<std::uint64_t>(high - low + 1));
    }

private:
    std::uint64_t state_;
};

int log2Of(int value) {
    int exponent = 0;
    while ((1 << exponent) < value) ++exponent;
    return exponent;
}

bench::Meta timeSignature(std::int64_t tick, const Metre& metre) {
    return bench::meta(tick, kTimeSignatureType,
                       {static_cast<std::uint8_t>(metre.beats),
                        static_cast<std::uint8_t>(log2Of(metre.beatType)), 24, 8});
}

// Where a written note sounds, in units: swung quavers move the off-beat one later and the
// on-beat one longer.
std::pair<std::int64_t, std::int64_t> sounding(const Note& note) {
    if (!note.swung) return {note.onset, note.onset + note.value};
    const bool offBeat = note.onset % kUnitsPerQuarter != 0;
    const std::int64_t beat = note.onset - note.onset % kUnitsPerQuarter;
    if (offBeat) return {beat + kSwungOffbeat, beat + kUnitsPerQuarter};
    return {beat, beat + kSwungOffbeat};
}

}  // namespace

std::vector<std::uint8_t> renderPiece(const Piece& piece, Rendering rendering,
                                      std::uint32_t seed) {
    Random random(seed);
    const bool played = rendering == Rendering::PlayedIn;
    const std::int64_t late = piece.lateTicks + (played ? random.between(1, 2) : 0);

    std::vector<bench::Track> tracks(1 + piece.tracks.size());
    tracks[0].name = "Conductor";
    tracks[0].metas.push_back(bench::tempoMeta(0, kMicrosecondsPerQuarter));
    for (std::size_t b = 0; b < piece.bars.size(); ++b) {
        const Bar& bar = piece.bars[b];
        if (b > 0 && bar.metre == piece.bars[b - 1].metre) continue;
        // A signature change sits exactly on the bar line; the opening one at tick 0.
        bench::Track& carrier = b > 0 && piece.metreInLaterTrack ? tracks.back() : tracks[0];
        carrier.metas.push_back(timeSignature(bar.start / kUnitsPerTick, bar.metre));
    }
    for (std::size_t t = 0; t < piece.tracks.size(); ++t) {
        bench::Track& track = tracks[t + 1];
        track.name = "Part " + std::to_string(t + 1);
        track.channel = static_cast<std::uint8_t>(piece.tracks[t].channel);
        for (const Note& note : piece.tracks[t].notes) {
            auto [on, off] = sounding(note);
            std::int64_t onTick = on / kUnitsPerTick + late;
            std::int64_t offTick = off / kUnitsPerTick + late;
            int velocity = 80;
            if (played) {
                onTick = std::max<std::int64_t>(0, onTick + random.between(-kJitterTicks,
                                                                           kJitterTicks));
                const std::int64_t held = (offTick - on / kUnitsPerTick - late) *
                                          random.between(80, 95) / 100;
                offTick = onTick + std::max<std::int64_t>(held, 1);
                velocity = random.between(50, 110);
            }
            track.notes.push_back(bench::Note{onTick, offTick, track.channel,
                                              static_cast<std::uint8_t>(note.pitch),
                                              static_cast<std::uint8_t>(velocity)});
        }
    }
    return bench::smfBytes(tracks);
}

}  // namespace vl::fidelity
