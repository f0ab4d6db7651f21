#pragma once
// Finds the Standard MIDI File inside a RIFF MIDI file: the data of the
// "data" chunk within the RIFF form of type "RMID".

#include <cstdint>
#include <optional>

#include "platform/read_only_file.h"

namespace vl {

// File offset of the first byte of the "data" chunk's data inside the first
// top-level RIFF form of type "RMID"; nullopt when there is no such form or
// the form holds no "data" chunk. Moves the file position.
std::optional<uint64_t> findRmidDataOffset(ReadOnlyFile& file);

}  // namespace vl
