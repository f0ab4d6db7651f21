#pragma once
// The column texts of the listing's event lines, one function per column, and
// the file header line. Each reads only the bytes an event holds: missing
// payload bytes count as 0.

#include <cstdint>
#include <string>

#include "midi/midi_event.h"
#include "midi/midi_file_header.h"
#include "midi/midi_message.h"

namespace vl::listing {

// Event-line columns.
constexpr uint16_t RunningTimeChunk = 0;
constexpr uint16_t DeltaChunk = 1;
constexpr uint16_t BytesChunk = 2;
constexpr uint16_t DescriptionChunk = 3;
constexpr uint16_t LengthChunk = 4;
constexpr uint16_t PayloadTextChunk = 5;
constexpr uint16_t AnnotationChunk = 6;

// "MThd, 6, Format=1, Tracks=2, Division=96"
std::string fileHeaderText(const MidiFileHeader& header);
// "%8d" of a signed 32-bit tick count.
std::string tickText(int32_t ticks);
// Status byte, then the data bytes of a channel message or the meta type:
// "90 3c 64", "c2 05", "ff 51", "f0".
std::string messageBytesText(const MidiMessage& m);
// Readable form of end of track, tempo, SMPTE offset, time and key signature
// meta events; empty for everything else.
std::string metaDescriptionText(const MidiMessage& m);
// "[n]" with the payload length of meta and system-exclusive events.
std::string dataLengthText(const MidiMessage& m);
// The payload of text meta events (types 1 to 7) and marker events (0x7F).
std::string payloadText(const MidiMessage& m);
// Strand, durations and rhythm marks of a note-on, or the bar-marker rule;
// empty until durations are assessed (analysis-state bit 0x10000).
std::string annotationText(const MidiEvent& e, uint32_t analysisState);

}  // namespace vl::listing
