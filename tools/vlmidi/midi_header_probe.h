#pragma once
// The header facts of a MIDI file (format, track count, division), which the import interface
// does not hand out: taken from the library's listing when it offers one, else read by the host
// from the file itself.

#include <cstdint>
#include <optional>
#include <string>

struct ImportSession;

namespace vl::cli {

struct MidiHeaderFacts {
    long format = 0;
    long trackCount = 0;
    long division = 0;
};

// "format 1, 2 tracks, division 96"
std::string describeHeader(const MidiHeaderFacts& facts);

// Parses the file-header line of the listing ("MThd, 6, Format=1, Tracks=2, Division=96").
std::optional<MidiHeaderFacts> parseListingHeaderLine(const std::string& line);

// Reads the 14-byte header chunk of a Standard MIDI File, or of the one inside the "data" chunk
// of a RIFF "RMID" file; nothing when the file has neither.
std::optional<MidiHeaderFacts> readHeaderFromFile(const std::string& path);

// The listing's header line when the library offers one, else the file's own header.
std::optional<MidiHeaderFacts> findHeaderFacts(ImportSession* session, const std::string& path);

}  // namespace vl::cli
