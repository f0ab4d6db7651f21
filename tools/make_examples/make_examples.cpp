// Writes the MIDI files bundled in examples/: small pieces, the same bytes on every run, that
// show what the import does with a clean melody, a played-in piano part, swing with triplets and
// drums, and a RIFF-wrapped file.
//
//     make_examples DIR
//
// Self-contained on purpose (standard library only): the examples must not depend on the code
// they are meant to exercise.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace vl::examples {

using Bytes = std::vector<std::uint8_t>;

// ---------------------------------------------------------------------------------------------
// Byte encoding

void appendBigEndian(Bytes& out, std::uint32_t value, int byteCount) {
    for (int shift = 8 * (byteCount - 1); shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void appendLittleEndian32(Bytes& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void appendVariableLength(Bytes& out, std::uint32_t value) {
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

void appendText(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

// ---------------------------------------------------------------------------------------------
// Tracks: events are collected at absolute ticks and written as one MTrk chunk.

enum class NoteOffStyle {
    kNoteOff,           // 0x8n key 64
    kZeroVelocityOn,    // 0x9n key 0, the way most keyboards record
};

class TrackWriter {
public:
    explicit TrackWriter(NoteOffStyle noteOffStyle = NoteOffStyle::kNoteOff)
        : noteOffStyle_(noteOffStyle) {}

    void meta(std::uint32_t tick, std::uint8_t type, const Bytes& data) {
        Bytes bytes{0xFF, type};
        appendVariableLength(bytes, static_cast<std::uint32_t>(data.size()));
        bytes.insert(bytes.end(), data.begin(), data.end());
        add(tick, kMetaOrder, std::move(bytes));
    }

    void text(std::uint32_t tick, std::uint8_t type, const std::string& text) {
        meta(tick, type, Bytes(text.begin(), text.end()));
    }

    void tempo(std::uint32_t tick, std::uint32_t beatsPerMinute) {
        const std::uint32_t microseconds = 60000000 / beatsPerMinute;
        Bytes data;
        appendBigEndian(data, microseconds, 3);
        meta(tick, 0x51, data);
    }

    // Denominator as a power of two (2 = crotchet); 24 MIDI clocks per click, 8 32nds a quarter.
    void timeSignature(std::uint32_t tick, std::uint8_t numerator, std::uint8_t denominatorPower) {
        meta(tick, 0x58, {numerator, denominatorPower, 24, 8});
    }

    void keySignature(std::uint32_t tick, std::int8_t sharps, bool minor) {
        meta(tick, 0x59, {static_cast<std::uint8_t>(sharps), static_cast<std::uint8_t>(minor)});
    }

    void programChange(std::uint32_t tick, std::uint8_t channel, std::uint8_t program) {
        add(tick, kControlOrder, {static_cast<std::uint8_t>(0xC0 | channel), program});
    }

    void controlChange(std::uint32_t tick, std::uint8_t channel, std::uint8_t control,
                       std::uint8_t value) {
        add(tick, kControlOrder, {static_cast<std::uint8_t>(0xB0 | channel), control, value});
    }

    void note(std::uint32_t start, std::uint32_t length, std::uint8_t channel, std::uint8_t key,
              std::uint8_t velocity) {
        add(start, kNoteOnOrder, {static_cast<std::uint8_t>(0x90 | channel), key, velocity});
        const bool zeroVelocityOn = noteOffStyle_ == NoteOffStyle::kZeroVelocityOn;
        const auto status = static_cast<std::uint8_t>((zeroVelocityOn ? 0x90 : 0x80) | channel);
        const auto releaseVelocity = static_cast<std::uint8_t>(zeroVelocityOn ? 0 : 64);
        add(start + length, kNoteOffOrder, {status, key, releaseVelocity});
    }

    // The end-of-track event goes here unless a later event pushes it further.
    void endAt(std::uint32_t tick) { endTick_ = tick; }

    // The whole chunk, closed by an end-of-track event at the last event's tick or at the end
    // asked for, whichever is later. Channel
    // messages use running status; a meta event restarts it, as the format asks.
    Bytes chunk() const {
        std::vector<Event> events = events_;
        std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        Bytes body;
        std::uint32_t previousTick = 0;
        std::uint8_t runningStatus = 0;
        for (const Event& event : events) {
            appendVariableLength(body, event.tick - previousTick);
            previousTick = event.tick;
            const std::uint8_t status = event.bytes.front();
            const bool channelMessage = status < 0xF0;
            const auto skip = channelMessage && status == runningStatus ? 1 : 0;
            body.insert(body.end(), event.bytes.begin() + skip, event.bytes.end());
            runningStatus = channelMessage ? status : 0;
        }
        appendVariableLength(body, std::max(endTick_, previousTick) - previousTick);
        body.insert(body.end(), {0xFF, 0x2F, 0x00});

        Bytes chunk;
        appendText(chunk, "MTrk");
        appendBigEndian(chunk, static_cast<std::uint32_t>(body.size()), 4);
        chunk.insert(chunk.end(), body.begin(), body.end());
        return chunk;
    }

private:
    // At one tick: signatures first, then note-offs, then program and controller changes, then
    // note-ons, so that a note ending where the next begins never overlaps it.
    static constexpr int kMetaOrder = 0;
    static constexpr int kNoteOffOrder = 1;
    static constexpr int kControlOrder = 2;
    static constexpr int kNoteOnOrder = 3;

    struct Event {
        std::uint32_t tick;
        int order;
        Bytes bytes;
    };

    void add(std::uint32_t tick, int order, Bytes bytes) {
        events_.push_back(Event{tick, order, std::move(bytes)});
    }

    NoteOffStyle noteOffStyle_;
    std::uint32_t endTick_ = 0;
    std::vector<Event> events_;
};

Bytes standardMidiFile(std::uint16_t format, std::uint16_t division,
                       const std::vector<TrackWriter>& tracks) {
    Bytes file;
    appendText(file, "MThd");
    appendBigEndian(file, 6, 4);
    appendBigEndian(file, format, 2);
    appendBigEndian(file, static_cast<std::uint32_t>(tracks.size()), 2);
    appendBigEndian(file, division, 2);
    for (const TrackWriter& track : tracks) {
        const Bytes chunk = track.chunk();
        file.insert(file.end(), chunk.begin(), chunk.end());
    }
    return file;
}

// One RIFF chunk: id, little-endian length, data, and a pad byte to an even length.
void appendRiffChunk(Bytes& out, const char* id, const Bytes& data) {
    appendText(out, id);
    appendLittleEndian32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2 != 0) out.push_back(0);
}

// A RIFF "RMID" form: the file in its "data" chunk, followed by an INFO list with its name.
Bytes riffMidiFile(const Bytes& midiFile, const std::string& name) {
    Bytes nameText(name.begin(), name.end());
    nameText.push_back(0);
    Bytes info;
    appendText(info, "INFO");
    appendRiffChunk(info, "INAM", nameText);

    Bytes form;
    appendText(form, "RMID");
    appendRiffChunk(form, "data", midiFile);
    appendRiffChunk(form, "LIST", info);

    Bytes riff;
    appendRiffChunk(riff, "RIFF", form);
    return riff;
}

// ---------------------------------------------------------------------------------------------
// The pieces

struct Note {
    std::uint8_t key;
    double beat;    // onset, in crotchets from the start
    double length;  // in crotchets
};

std::uint32_t ticksOf(double beats, std::uint16_t division) {
    return static_cast<std::uint32_t>(beats * division + 0.5);
}

// Twinkle, Twinkle, Little Star in C, 4/4, eight bars; three notes are anticipated so that they
// start before a bar line and sound across it.
Bytes makeTwinkle() {
    constexpr std::uint16_t kDivision = 96;
    constexpr std::uint32_t kArticulationGap = 6;  // ticks of silence before the next note
    const std::vector<Note> melody{
        {60, 0, 1},  {60, 1, 1},  {67, 2, 1},    {67, 3, 1},                    // bar 1
        {69, 4, 1},  {69, 5, 1},  {67, 6, 2},                                   // bar 2
        {65, 8, 1},  {65, 9, 1},  {64, 10, 1},   {64, 11, 1},                   // bar 3
        {62, 12, 1}, {62, 13, 1}, {60, 14, 1},   {67, 15, 2},                   // bar 4, tie
        {67, 17, 1}, {65, 18, 1}, {65, 19, 1},                                  // bar 5
        {64, 20, 1}, {64, 21, 1}, {62, 22, 1.5}, {67, 23.5, 1.5},               // bar 6, tie
        {67, 25, 1}, {65, 26, 1}, {64, 27, 0.5}, {62, 27.5, 1.5},               // bar 7, tie
        {60, 29, 3},                                                            // bar 8
    };

    TrackWriter conductor;
    conductor.text(0, 0x03, "Twinkle, Twinkle, Little Star");
    conductor.text(0, 0x02, "Traditional melody; example file of the vlmidiin project");
    conductor.timeSignature(0, 4, 2);
    conductor.keySignature(0, 0, false);
    conductor.tempo(0, 100);

    constexpr std::uint32_t kEnd = 8 * 4 * kDivision;
    conductor.endAt(kEnd);

    TrackWriter tune;
    tune.endAt(kEnd);
    tune.text(0, 0x03, "Melody");
    tune.text(0, 0x04, "Flute");
    tune.programChange(0, 0, 73);
    for (const Note& n : melody) {
        tune.note(ticksOf(n.beat, kDivision), ticksOf(n.length, kDivision) - kArticulationGap, 0,
                  n.key, 80);
    }
    return standardMidiFile(1, kDivision, {conductor, tune});
}

// A note as a person plays it: onset, length and velocity a little off what is written.
struct PlayedNote {
    std::uint32_t onset;
    std::uint32_t length;
    std::uint8_t velocity;
};

// Small, repeatable deviations from the beat. Each deviation is drawn in its own statement:
// the order in which the arguments of one call are evaluated differs between compilers, and the
// files must come out the same from any of them.
class HumanTouch {
public:
    explicit HumanTouch(std::uint32_t seed) : generator_(seed) {}

    // A whole number in [-spread, spread]; plain modulo keeps it the same on every library.
    int jitter(int spread) {
        const auto span = static_cast<std::uint32_t>(2 * spread + 1);
        return static_cast<int>(generator_() % span) - spread;
    }

    // A tick moved by up to `spread` ticks either way, never before 0.
    std::uint32_t shifted(std::uint32_t tick, int spread) {
        return static_cast<std::uint32_t>(std::max(static_cast<int>(tick) + jitter(spread), 0));
    }

    // Onset moved by up to onsetSpread ticks, length by up to lengthSpread, velocity by up to 8.
    PlayedNote play(std::uint32_t onset, int onsetSpread, std::uint32_t length, int lengthSpread,
                    int velocity) {
        const std::uint32_t playedOnset = shifted(onset, onsetSpread);
        const std::uint32_t playedLength = std::max(shifted(length, lengthSpread), 1u);
        const int velocityShift = jitter(8);
        return PlayedNote{playedOnset, playedLength,
                          static_cast<std::uint8_t>(std::clamp(velocity + velocityShift, 1, 127))};
    }

private:
    std::mt19937 generator_;
};

// A little waltz in G, 3/4, played in on one piano channel: the right hand's melody and the left
// hand's bass note and after-beat chords, with uneven onsets, lengths and touch, and the pedal.
Bytes makeTwoHands() {
    constexpr std::uint16_t kDivision = 480;
    constexpr int kBarBeats = 3;
    const std::vector<Note> rightHand{
        {74, 0, 1},  {71, 1, 1},  {67, 2, 1},                 // bar 1
        {69, 3, 2},  {71, 5, 1},                              // bar 2
        {72, 6, 1},  {76, 7, 1},  {74, 8, 1},                 // bar 3
        {71, 9, 3},                                           // bar 4
        {69, 12, 1}, {66, 13, 1}, {69, 14, 1},                // bar 5
        {67, 15, 1}, {71, 16, 1}, {74, 17, 1},                // bar 6
        {72, 18, 2}, {69, 20, 1},                             // bar 7
        {67, 21, 3},                                          // bar 8
    };
    struct Harmony {
        std::uint8_t bass;
        std::vector<std::uint8_t> chord;
    };
    const Harmony g{43, {55, 59, 62}}, d7{38, {54, 57, 60}}, c{48, {52, 55, 60}},
        d{38, {54, 57, 62}};
    const std::vector<Harmony> bars{g, d7, c, g, d, g, d7, g};

    HumanTouch touch(20240611);
    TrackWriter conductor;
    conductor.text(0, 0x03, "Little Waltz in G");
    conductor.timeSignature(0, 3, 2);
    conductor.keySignature(0, 1, false);
    conductor.tempo(0, 92);
    const std::uint32_t end = static_cast<std::uint32_t>(bars.size()) * kBarBeats * kDivision;
    conductor.endAt(end);

    TrackWriter piano(NoteOffStyle::kZeroVelocityOn);
    piano.endAt(end);
    piano.text(0, 0x03, "Piano");
    piano.programChange(0, 0, 0);
    auto playNote = [&piano](const PlayedNote& played, std::uint8_t key) {
        piano.note(played.onset, played.length, 0, key, played.velocity);
    };
    for (const Note& n : rightHand) {
        const std::uint32_t written = ticksOf(n.length, kDivision) - 40;
        playNote(touch.play(ticksOf(n.beat, kDivision), 18, written, 30, 84), n.key);
    }
    for (std::size_t bar = 0; bar < bars.size(); ++bar) {
        const std::uint32_t barStart = static_cast<std::uint32_t>(bar) * kBarBeats * kDivision;
        piano.controlChange(barStart + 30, 0, 64, 127);
        playNote(touch.play(barStart, 15, 445, 25, 70), bars[bar].bass);
        for (int beat = 1; beat < kBarBeats; ++beat) {
            const std::uint32_t beatStart = barStart + static_cast<std::uint32_t>(beat) * kDivision;
            // The fingers of one chord land up to 8 ticks apart, after the hand's own shift.
            const std::uint32_t handOnset = touch.shifted(beatStart, 15);
            for (std::uint8_t key : bars[bar].chord) {
                playNote(touch.play(handOnset + 4, 4, 330, 30, 56), key);
            }
        }
        piano.controlChange(barStart + kBarBeats * kDivision - 20, 0, 64, 0);
    }
    return standardMidiFile(1, kDivision, {conductor, piano});
}

// Format 0, F major, 4/4: swung quavers (long-short, two to one) on an alto saxophone, one bar of
// straight quaver triplets, and a swing drum pattern on channel 10.
Bytes makeSwingTriplets() {
    constexpr std::uint16_t kDivision = 96;
    constexpr std::uint8_t kMelodyChannel = 0;
    constexpr std::uint8_t kDrumChannel = 9;
    constexpr std::uint32_t kLongQuaver = 64;   // two thirds of a crotchet
    constexpr std::uint32_t kShortQuaver = 32;  // one third
    constexpr std::uint32_t kTripletQuaver = 32;
    constexpr std::uint32_t kBar = 4 * kDivision;
    constexpr std::uint8_t kRide = 51, kPedalHiHat = 44, kBassDrum = 36, kCrash = 49;

    const std::vector<std::vector<std::uint8_t>> swungBars{
        {65, 69, 72, 69, 70, 74, 72, 70},  // bar 1
        {69, 67, 65, 64, 65, 67, 69, 72},  // bar 2
    };
    const std::vector<std::uint8_t> tripletBar{72, 70, 69, 70, 69, 67, 69, 67, 65, 67, 65, 64};
    const std::vector<std::uint8_t> lastSwungBar{62, 64, 65, 67, 69, 70, 72, 76};

    TrackWriter track;
    track.endAt(5 * kBar);
    track.text(0, 0x03, "Swing and Triplets");
    track.timeSignature(0, 4, 2);
    track.keySignature(0, -1, false);
    track.tempo(0, 132);
    track.programChange(0, kMelodyChannel, 65);

    auto playSwungBar = [&](std::uint32_t barStart, const std::vector<std::uint8_t>& keys) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const auto beatStart = barStart + static_cast<std::uint32_t>(i / 2) * kDivision;
            const bool offBeat = i % 2 == 1;
            const std::uint32_t onset = offBeat ? beatStart + kLongQuaver : beatStart;
            const std::uint32_t length = (offBeat ? kShortQuaver : kLongQuaver) - 4;
            track.note(onset, length, kMelodyChannel, keys[i], offBeat ? 70 : 88);
        }
    };
    playSwungBar(0 * kBar, swungBars[0]);
    playSwungBar(1 * kBar, swungBars[1]);
    for (std::size_t i = 0; i < tripletBar.size(); ++i) {
        track.note(2 * kBar + static_cast<std::uint32_t>(i) * kTripletQuaver, kTripletQuaver - 4,
                   kMelodyChannel, tripletBar[i], i % 3 == 0 ? 90 : 72);
    }
    playSwungBar(3 * kBar, lastSwungBar);
    track.note(4 * kBar, kBar - 8, kMelodyChannel, 77, 84);

    // Ride "ding, ding-a, ding, ding-a", pedal hi-hat on 2 and 4, a soft bass drum on 1 and 3.
    for (std::uint32_t bar = 0; bar < 4; ++bar) {
        for (std::uint32_t beat = 0; beat < 4; ++beat) {
            const std::uint32_t beatStart = bar * kBar + beat * kDivision;
            track.note(beatStart, 24, kDrumChannel, kRide, 90);
            if (beat % 2 == 1) {
                track.note(beatStart + kLongQuaver, 16, kDrumChannel, kRide, 64);
                track.note(beatStart, 24, kDrumChannel, kPedalHiHat, 80);
            } else {
                track.note(beatStart, 24, kDrumChannel, kBassDrum, 60);
            }
        }
    }
    track.note(4 * kBar, 96, kDrumChannel, kCrash, 100);
    track.note(4 * kBar, 24, kDrumChannel, kBassDrum, 90);
    return standardMidiFile(0, kDivision, {track});
}

// ---------------------------------------------------------------------------------------------

bool writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_examples: cannot write '%s'\n", path.c_str());
        return false;
    }
    std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
    return true;
}

int writeExamples(const std::string& directory) {
    const Bytes twinkle = makeTwinkle();
    const bool written = writeFile(directory + "/twinkle.mid", twinkle) &&
                         writeFile(directory + "/two_hands.mid", makeTwoHands()) &&
                         writeFile(directory + "/swing_triplets.mid", makeSwingTriplets()) &&
                         writeFile(directory + "/riff_wrapped.rmi",
                                   riffMidiFile(twinkle, "Twinkle, Twinkle, Little Star"));
    return written ? 0 : 1;
}

}  // namespace vl::examples

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_examples DIR\n"
                             "writes the bundled example MIDI files into DIR\n");
        return 2;
    }
    return vl::examples::writeExamples(argv[1]);
}
