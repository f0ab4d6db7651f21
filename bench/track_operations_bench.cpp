// Times the shared track operations on synthetic tracks of growing length and
// prints the growth per tenfold and per doubling (near 10 and 2 for linear
// passes; a tenfold step that leaves the caches costs more per event).

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "analysis/track_operations.h"
#include "markers/bar_groups.h"
#include "markers/marker_events.h"
#include "markers/meta_markers.h"
#include "midi/midi_track.h"
#include "midi/track_cursor.h"
#include "midi/track_set.h"

namespace {

using vl::EventPos;
using vl::MidiEvent;
using vl::MidiMessage;
using vl::MidiTrack;
using vl::TrackSet;

constexpr uint32_t kDivision = 96;
constexpr int64_t kBarGroupSpacing = 1000;

// Small deterministic generator, so every run times the same tracks.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : state_(seed) {}
    uint32_t next(uint32_t bound) {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) % bound;
    }

private:
    uint32_t state_;
};

// About eventCount events of notes and small chords, keys cycling through two
// octaves so that notes of one key do not overlap.
MidiTrack noteTrack(size_t eventCount, uint8_t channel, uint32_t seed) {
    MidiTrack track(kDivision);
    Lcg random(seed);
    uint8_t key = 48;
    while (track.size() < eventCount) {
        const uint32_t chord = 1 + random.next(3);
        for (uint32_t i = 0; i < chord; ++i) {
            const uint32_t delta = i == 0 ? random.next(48) : 0;
            track.append(MidiEvent(delta, MidiMessage::channel(vl::kind::NoteOn, channel,
                                                               static_cast<uint8_t>(key + i), 90)));
        }
        for (uint32_t i = 0; i < chord; ++i) {
            const uint32_t delta = i == 0 ? 1 + random.next(96) : 0;
            track.append(MidiEvent(delta, MidiMessage::channel(vl::kind::NoteOff, channel,
                                                               static_cast<uint8_t>(key + i), 0)));
        }
        key = static_cast<uint8_t>(48 + (key - 48 + chord) % 24);
    }
    return track;
}

int64_t endTime(const MidiTrack& track) {
    int64_t t = 0;
    for (const MidiEvent& e : track.events) t += e.time;
    return t;
}

// A time signature every 8 bars and a key signature every 16, up to endTick.
MidiTrack conductorTrack(int64_t endTick) {
    MidiTrack track(kDivision);
    const uint8_t timeSig[4] = {4, 2, 24, 8};
    const uint8_t keySig[2] = {0, 0};
    const int64_t bar = 4 * kDivision;
    int64_t last = 0;
    for (int64_t t = 0, n = 0; t <= endTick; t += 8 * bar, ++n) {
        track.append(
            MidiEvent(static_cast<uint32_t>(t - last), vl::meta::TimeSignature, 4, timeSig));
        if (n % 2 == 0) track.append(MidiEvent(0, vl::meta::KeySignature, 2, keySig));
        last = t;
    }
    return track;
}

// A conductor and two note tracks, eventCount note events in all.
TrackSet trackSet(size_t eventCount) {
    TrackSet set;
    MidiTrack a = noteTrack(eventCount / 2, 0, 1);
    MidiTrack b = noteTrack(eventCount / 2, 1, 2);
    set.appendTrack(conductorTrack(std::max(endTime(a), endTime(b))));
    set.appendTrack(std::move(a));
    set.appendTrack(std::move(b));
    return set;
}

// Bar groups of the notes sounding across every multiple of the spacing.
size_t insertBarGroups(MidiTrack& track) {
    vl::SoundingNotes sounding;
    size_t inserted = 0;
    int64_t time = 0;
    int64_t nextBar = kBarGroupSpacing;
    for (EventPos p = track.begin(); p != track.end(); ++p) {
        time += p->time;
        while (time > nextBar) {
            vl::EventList group = vl::buildBarGroup(sounding, 0, vl::barpart::All);
            const size_t groupSize = group.size();
            const auto early = static_cast<uint32_t>(time - nextBar);
            if (track.insertRunBefore(p, early, group) != track.end()) inserted += groupSize;
            nextBar += kBarGroupSpacing;
        }
        const int key = vl::keyOf(*p);
        const int channel = vl::channelOf(*p);
        if (vl::isNoteOnCombined(*p))
            sounding.markSounding(key, channel, -1);
        else if (vl::isNoteOffCombined(*p))
            sounding.markSilent(key, channel);
    }
    return inserted;
}

// Every note-on moved by -3..+3 ticks, the way quantising moves onsets.
size_t shiftPass(MidiTrack& track) {
    Lcg random(7);
    size_t moved = 0;
    for (vl::TrackCursor c(track); !c.atEnd(); c.advance()) {
        if (!vl::isNoteOnCombined(c.event())) continue;
        const int64_t ticks = static_cast<int64_t>(random.next(7)) - 3;
        vl::shiftEvent(c, ticks);
        ++moved;
    }
    return moved;
}

// Every third note deleted in place.
size_t deletePass(MidiTrack& track) {
    size_t deleted = 0;
    size_t noteOns = 0;
    for (EventPos p = track.begin(); p != track.end(); ++p) {
        if (!vl::isNoteOnCombined(*p) || ++noteOns % 3 != 0) continue;
        EventPos off = p;
        if (vl::findNoteEnd(track, off).found) {
            vl::deleteNote(track, p, off);
            ++deleted;
        }
    }
    return deleted;
}

using Clock = std::chrono::steady_clock;

// Best of repeats: prepare builds fresh input (not timed), run is timed.
template <typename Input>
double bestMilliseconds(int repeats, const std::function<Input()>& prepare,
                        const std::function<void(Input&)>& run) {
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        Input input = prepare();
        const auto start = Clock::now();
        run(input);
        const std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    return best;
}

struct Row {
    std::string name;
    std::vector<double> ms;
};

std::vector<Row> measure(const std::vector<size_t>& sizes, int repeats) {
    std::vector<Row> rows = {{"insert meta markers (set)", {}},
                             {"bar groups every 1000 ticks", {}},
                             {"shift pass (note-ons +-3)", {}},
                             {"delete pass (every 3rd note)", {}},
                             {"purge deleted", {}}};
    for (const size_t n : sizes) {
        rows[0].ms.push_back(bestMilliseconds<TrackSet>(
            repeats, [&] { return trackSet(n); }, [](TrackSet& s) { vl::insertMetaMarkers(s); }));
        rows[1].ms.push_back(bestMilliseconds<MidiTrack>(
            repeats, [&] { return noteTrack(n, 0, 3); }, [](MidiTrack& t) { insertBarGroups(t); }));
        rows[2].ms.push_back(bestMilliseconds<MidiTrack>(
            repeats,
            [&] {
                MidiTrack t = noteTrack(n, 0, 4);
                insertBarGroups(t);
                return t;
            },
            [](MidiTrack& t) { shiftPass(t); }));
        rows[3].ms.push_back(bestMilliseconds<MidiTrack>(
            repeats, [&] { return noteTrack(n, 0, 5); }, [](MidiTrack& t) { deletePass(t); }));
        rows[4].ms.push_back(bestMilliseconds<MidiTrack>(
            repeats,
            [&] {
                MidiTrack t = noteTrack(n, 0, 6);
                deletePass(t);
                return t;
            },
            [](MidiTrack& t) { vl::purgeDeleted(t); }));
    }
    return rows;
}

// Growth between neighbouring sizes: about 10 per tenfold and 2 per doubling
// when a pass is linear. The steps that leave the caches cost more per event,
// so the doublings at the top show where the per-event cost has settled.
void printTable(const std::vector<size_t>& sizes, const std::vector<Row>& rows) {
    std::printf("%-30s", "operation (ms, best run)");
    for (const size_t n : sizes) std::printf(" %10zu", n);
    std::printf("  ");
    for (size_t i = 1; i < sizes.size(); ++i) std::printf("  x%-4zu", sizes[i] / sizes[i - 1]);
    std::printf("  ns/event at top\n");
    for (const Row& row : rows) {
        std::printf("%-30s", row.name.c_str());
        for (const double ms : row.ms) std::printf(" %10.3f", ms);
        std::printf("  ");
        for (size_t i = 1; i < row.ms.size(); ++i)
            std::printf(" %6.1f", row.ms[i - 1] > 0 ? row.ms[i] / row.ms[i - 1] : 0.0);
        std::printf("  %8.1f\n", row.ms.back() * 1e6 / static_cast<double>(sizes.back()));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::vector<size_t> sizes = {10'000, 100'000, 1'000'000, 2'000'000, 4'000'000};
    printTable(sizes, measure(sizes, repeats));
    return 0;
}
