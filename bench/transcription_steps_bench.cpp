// Times the transcription steps on synthetic music of growing length: a
// session is filled through live input (jittered onsets around a semiquaver
// grid, chords held across bar lines, two hands on one channel, drums on
// channel 10, a tempo and metre track) and initialised, and the time of each
// step is read from the progress captions the driver sends. Prints one row
// per step with the growth between sizes (about 10 per tenfold when linear).

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "midi/live_input.h"
#include "platform/host_messages.h"
#include "session/import_session.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kDivision = 480;

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

// Appends events at absolute times, keeping deltas.
class TrackWriter {
public:
    TrackWriter(vl::TrackSet& set, int32_t track) : set_(set), track_(track) {}
    void at(int64_t time, uint32_t packed) {
        vl::appendLiveEvent(set_, track_, vl::MidiEvent(delta(time), packed));
    }
    void event(int64_t time, vl::MidiEvent e) {
        e.time = delta(time);
        vl::appendLiveEvent(set_, track_, std::move(e));
    }

private:
    uint32_t delta(int64_t time) {
        const int64_t d = time > last_ ? time - last_ : 0;
        last_ += d;
        return static_cast<uint32_t>(d);
    }
    vl::TrackSet& set_;
    int32_t track_;
    int64_t last_ = 0;
};

uint32_t note(bool on, int channel, int key, int velocity) {
    return static_cast<uint32_t>((on ? 0x90 : 0x80) | channel) | (static_cast<uint32_t>(key) << 8) |
           (static_cast<uint32_t>(velocity) << 16);
}

struct TimedNote {
    int64_t on, off;
    int channel, key;
};

// Notes of both hands and the drums until about `events` note events exist,
// sorted into one track's order by the caller.
std::vector<TimedNote> makeNotes(size_t events, Lcg& random) {
    std::vector<TimedNote> notes;
    const int64_t sixteenth = kDivision / 4;
    int64_t t = 0;
    while (notes.size() * 2 < events) {
        const int64_t jitter = static_cast<int64_t>(random.next(21)) - 10;
        const int64_t on = t + jitter > 0 ? t + jitter : 0;
        // right hand: a melody note, sometimes held across the bar line
        const int64_t length = sixteenth * (1 + random.next(8)) - static_cast<int64_t>(random.next(15));
        notes.push_back({on, on + length, 0, 60 + static_cast<int>(random.next(24))});
        if (random.next(4) == 0) {  // left hand: a three-note chord on the beat
            const int root = 36 + static_cast<int>(random.next(12));
            for (int k : {0, 4, 7}) notes.push_back({on, on + 4 * sixteenth, 0, root + k});
        }
        if (random.next(2) == 0) notes.push_back({on, on + sixteenth / 2, 9, 36 + 2 * static_cast<int>(random.next(3))});
        t += sixteenth * (1 + random.next(3));
    }
    return notes;
}

void writeNotes(TrackWriter& writer, const std::vector<TimedNote>& notes) {
    struct Event {
        int64_t time;
        uint32_t packed;
    };
    std::vector<Event> events;
    events.reserve(notes.size() * 2);
    for (const TimedNote& n : notes) {
        events.push_back({n.on, note(true, n.channel, n.key, 80)});
        events.push_back({n.off, note(false, n.channel, n.key, 0)});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.time < b.time; });
    for (const Event& e : events) writer.at(e.time, e.packed);
    writer.at(events.empty() ? 0 : events.back().time, 0x2FFF);
}

std::unique_ptr<vl::ImportSession> makeSession(size_t events, vl::ImportFilterApp& app) {
    auto session = vl::ImportSession::fromLiveInput(kDivision, 2, app);
    Lcg random(12345);
    const auto notes = makeNotes(events, random);
    int64_t end = 0;
    for (const TimedNote& n : notes) end = std::max(end, n.off);
    TrackWriter conductor(session->analysis().tracks(), 0);
    const int64_t bar = 4 * kDivision;
    for (int64_t t = 0; t < end; t += 16 * bar) {
        conductor.event(t, vl::timeSignatureEvent(0x08180204u, 0));  // 4/4
        conductor.event(t, vl::tempoEvent(400000 + static_cast<uint32_t>(random.next(200000)), 0));
    }
    conductor.at(end, 0x2FFF);
    TrackWriter music(session->analysis().tracks(), 1);
    writeNotes(music, notes);
    return session;
}

// Records when each step caption arrives.
struct StepClock {
    std::vector<std::pair<std::string, Clock::time_point>> marks;
};
StepClock* activeClock = nullptr;

intptr_t recordStep(void*, uint32_t, uintptr_t, intptr_t lparam) {
    const auto* report = reinterpret_cast<const VlProgressReport*>(lparam);
    if (activeClock != nullptr && report->line == 1 && report->text != nullptr)
        activeClock->marks.emplace_back(report->text, Clock::now());
    return 0;
}

// Walks every list the host can ask for, item by item; returns the count.
size_t walkAllItems(vl::ItemWalk& walk) {
    size_t items = 0;
    ImportItem item{};
    auto walkList = [&] {
        for (bool more = walk.firstItem(&item); more; more = walk.nextItem(&item)) ++items;
    };
    if (walk.openStartItems()) walkList();
    if (walk.openGuideStrand()) walkList();
    for (bool more = walk.openFirstStrand(); more; more = walk.openNextStrand()) {
        walk.startVoicing(&item);
        walkList();
    }
    return items;
}

// Peak resident set of the process so far, in MiB.
double peakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<size_t> sizes = {10000, 100000, 1000000};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i) sizes.push_back(static_cast<size_t>(std::atol(argv[i])));
    }
    const char* settingsPath = "/nonexistent/vlmidiin-bench.ini";  // defaults, never written
    vl::ImportFilterApp app(settingsPath);
    // The sessions are live input: resolve triplets and swing there too, at
    // the finest beat, so every step of the pipeline runs.
    app.inputResolution().triplets = 1;
    app.inputResolution().swing = 1;
    app.inputResolution().quantisationBeat = 7;
    vl::setHostMessageHandler(recordStep);
    app.setHostWindow(reinterpret_cast<void*>(1), 0x8000);

    std::vector<std::string> order;
    std::map<std::string, std::vector<double>> stepMs;
    std::vector<double> totals, eventCounts, walks, itemCounts, strandCounts, peaks;
    for (size_t size : sizes) {
        auto session = makeSession(size, app);
        eventCounts.push_back(static_cast<double>(session->analysis().tracks().eventCount()));
        StepClock clock;
        activeClock = &clock;
        const auto start = Clock::now();
        session->transcribe();
        const auto end = Clock::now();
        activeClock = nullptr;
        for (size_t i = 0; i < clock.marks.size(); ++i) {
            const auto until = i + 1 < clock.marks.size() ? clock.marks[i + 1].second : end;
            const std::string& name = clock.marks[i].first;
            if (stepMs.find(name) == stepMs.end()) order.push_back(name);
            stepMs[name].push_back(std::chrono::duration<double, std::milli>(until - clock.marks[i].second).count());
        }
        totals.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        const auto walkStart = Clock::now();
        itemCounts.push_back(static_cast<double>(walkAllItems(session->walk())));
        walks.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - walkStart).count());
        strandCounts.push_back(session->analysis().strandCount());
        peaks.push_back(peakResidentMiB());
    }

    std::printf("%-38s", "step (ms)");
    for (double n : eventCounts) std::printf(" %12.0f", n);
    std::printf("   growth per size step\n");
    auto row = [&](const std::string& name, const std::vector<double>& ms) {
        std::printf("%-38s", name.c_str());
        for (double v : ms) std::printf(" %12.2f", v);
        std::printf("  ");
        for (size_t i = 1; i < ms.size(); ++i) std::printf(" x%.1f", ms[i - 1] > 0 ? ms[i] / ms[i - 1] : 0.0);
        std::printf("\n");
    };
    for (const std::string& name : order) row(name, stepMs[name]);
    row("initialise (total)", totals);
    row("walk every item of every list", walks);
    auto plain = [&](const char* name, const std::vector<double>& values, const char* format) {
        std::printf("%-38s", name);
        for (double v : values) std::printf(format, v);
        std::printf("\n");
    };
    plain("strands", strandCounts, " %12.0f");
    plain("items handed out", itemCounts, " %12.0f");
    plain("peak resident set so far (MiB)", peaks, " %12.1f");
    std::printf("%-38s", "events per second (total)");
    for (size_t i = 0; i < totals.size(); ++i) std::printf(" %12.0f", eventCounts[i] / (totals[i] / 1000.0));
    std::printf("\n");
    return 0;
}
