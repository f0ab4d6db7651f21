#pragma once
// The events `vlmidi live` hands to the library's live-input exports, read from a text stream
// of timed events or taken event by event from a MIDI file.
//
// The text stream, one statement per line; '#' starts a comment; numbers are decimal or 0x hex:
//
//   division 96                       ticks per quarter note (before the first event; default 96)
//   tracks 2                          number of tracks (before the first event; default 1)
//   TRACK DELTA STATUS [DATA1 [DATA2]]  a short MIDI message, e.g. "0 0 0x90 60 100"
//   key TRACK DELTA SHARPS [minor]    key signature: sharps (negative: flats)
//   time TRACK DELTA NN/DEN [CC [BB]] time signature, e.g. "time 0 0 6/8"
//   tempo TRACK DELTA MICROSECONDS    microseconds per quarter note
//   end TRACK DELTA                   end of track
//
// DELTA is the number of ticks since the previous event of the same track. Tracks count from 0.

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace vl::cli {

struct LiveEvent {
    enum class Kind { Message, KeySignature, TimeSignature, Tempo };
    Kind kind = Kind::Message;
    std::int32_t track = 0;
    std::uint32_t delta = 0;
    std::uint32_t value = 0;  // the 32-bit argument of the export for this kind
    long line = 0;            // where it came from: a text line, or the event's index in a file
};

struct LiveScript {
    std::uint32_t division = 96;
    std::int32_t tracks = 1;
    std::vector<LiveEvent> events;
};

// The packed end-of-track message of the live-input interface.
constexpr std::uint32_t kEndOfTrackMessage = 0x2FFF;

// Reads a text stream; on a mistake returns "line N: what is wrong".
std::optional<std::string> readLiveText(std::istream& in, LiveScript& script);

// Takes every event of a Standard MIDI File in track order: channel messages, end of track,
// key and time signatures and tempo (other meta and system-exclusive events are skipped, as
// the live interface has no way to carry them). On a malformed file returns what is wrong.
std::optional<std::string> readLiveFromMidiFile(const std::string& path, LiveScript& script);

}  // namespace vl::cli
