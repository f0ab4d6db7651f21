#include "midi/midi_file_reader.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

#include "midi/riff_reader.h"
#include "midi/swing_statistics.h"
#include "midi/variable_length.h"
#include "platform/read_only_file.h"

namespace vl {

namespace {

// Reads the chunks of one Standard MIDI File from an open file.
//
// Bounds: a payload never holds more bytes than the file still has; a payload
// cut short by the end of the file keeps only the bytes that exist. A track's
// last event may run past the end its chunk length states (its bytes are read
// from whatever follows), but such overrun payload bytes are limited, over the
// whole file, to the file's size. Without that limit a file of many tiny
// chunks, each ending in a payload that reaches over all the chunks after it,
// would be read (and stored) quadratically often.
class SmfReader {
public:
    explicit SmfReader(ReadOnlyFile& file) : file_(file), overrunBudget_(file.size()) {}

    bool readHeader(MidiFileHeader& header);
    // Reads one track chunk into track. False when the chunk header cannot be
    // read; a track cut short by the end of the file still counts as read.
    bool readTrack(MidiTrack& track);

private:
    bool readExactly(uint8_t* raw, size_t n) { return file_.read(raw, n) == n; }
    // Reads one message; false when its first byte cannot be read.
    bool readMessage(MidiMessage& m, uint8_t runningStatus, uint64_t chunkEnd);
    void readPayload(MidiDataBlock& block, uint64_t chunkEnd);
    // How many of the stated payload bytes to take at the current position.
    size_t payloadBytesToTake(int64_t stated, uint64_t chunkEnd);

    ReadOnlyFile& file_;
    uint64_t overrunBudget_;
};

bool SmfReader::readHeader(MidiFileHeader& header) {
    uint8_t raw[4];
    if (!readExactly(raw, 4)) return false;
    std::memcpy(header.chunkType.data(), raw, 4);
    if (!readExactly(raw, 4)) return false;
    header.chunkLength = bigEndian32(raw);
    if (!readExactly(raw, 2)) return false;
    header.format = bigEndian16(raw);
    if (!readExactly(raw, 2)) return false;
    header.trackCount = bigEndian16(raw);
    if (!readExactly(raw, 2)) return false;
    header.division = bigEndian16(raw);
    return true;
}

bool SmfReader::readTrack(MidiTrack& track) {
    uint8_t raw[4];
    if (!readExactly(raw, 4)) return false;
    std::memcpy(track.chunkType.data(), raw, 4);
    if (!readExactly(raw, 4)) return false;
    track.chunkLength = bigEndian32(raw);

    // 64-bit, so the end always lies at or after the start: no chunk can send
    // the reader backwards into a loop.
    const uint64_t end = file_.tell() + track.chunkLength;
    uint8_t runningStatus = 0;
    auto readByte = [this] { return file_.readByte(); };
    while (file_.tell() < end) {
        // A delta or status byte missing at the end of the file ends the track;
        // that event is not kept.
        const int64_t delta = readVariableLength(readByte);
        if (delta < 0) break;
        MidiEvent event;
        event.time = static_cast<uint32_t>(delta);
        if (!readMessage(event.message, runningStatus, end)) break;
        // The real channel: status & 15 for every status below 0xF0.
        const uint8_t channel = event.message.channel();
        if (channel < 16)
            track.channelMask = static_cast<uint16_t>(track.channelMask | (1u << channel));
        if (event.message.isChannelMessage()) runningStatus = event.message.status;
        track.append(std::move(event));
    }
    computeSwingStatistics(track);
    // The next chunk starts where this one's length says, whatever the events used.
    file_.seek(end);
    return true;
}

bool SmfReader::readMessage(MidiMessage& m, uint8_t runningStatus, uint64_t chunkEnd) {
    m = MidiMessage();
    const int first = file_.readByte();
    if (first < 0) return false;
    const bool usesRunningStatus = first < 0x80;
    m.status = usesRunningStatus ? runningStatus : static_cast<uint8_t>(first);
    const int length = messageLength(m.status);
    // Data bytes missing at the end of the file stay 0.
    uint8_t data[2] = {0, 0};
    if (usesRunningStatus) {
        data[0] = static_cast<uint8_t>(first);
        if (length > 2) file_.read(data + 1, 1);
    } else if (length > 1) {
        file_.read(data, static_cast<size_t>(length - 1));
    }
    m.data1 = data[0];
    m.data2 = data[1];
    if (length == 0) {
        if (m.status == meta::Status) {
            const int type = file_.readByte();
            m.data1 = type < 0 ? 0 : static_cast<uint8_t>(type);
        }
        readPayload(m.payload, chunkEnd);
    }
    return true;
}

size_t SmfReader::payloadBytesToTake(int64_t stated, uint64_t chunkEnd) {
    const uint64_t position = file_.tell();
    uint64_t take = std::min<uint64_t>(static_cast<uint64_t>(stated), file_.remaining());
    const uint64_t inside = position < chunkEnd ? chunkEnd - position : 0;
    if (take > inside) {
        const uint64_t overrun = std::min(take - inside, overrunBudget_);
        overrunBudget_ -= overrun;
        take = inside + overrun;
    }
    return static_cast<size_t>(take);
}

void SmfReader::readPayload(MidiDataBlock& block, uint64_t chunkEnd) {
    auto readByte = [this] { return file_.readByte(); };
    const int64_t stated = readVariableLength(readByte);
    if (stated <= 0) return;  // no length or an unreadable one: no payload
    std::vector<uint8_t> bytes(payloadBytesToTake(stated, chunkEnd));
    bytes.resize(file_.read(bytes.data(), bytes.size()));
    block.assign(bytes.data(), static_cast<int32_t>(bytes.size()));
}

bool readStandardMidiFile(ReadOnlyFile& file, uint64_t offset, MidiFileHeader& header,
                          TrackSet& tracks) {
    if (offset > 0 && !file.seek(offset)) return false;
    SmfReader reader(file);
    if (!reader.readHeader(header)) return false;
    tracks.division = header.division;
    // Only the 14 header bytes are read; the first track chunk follows them
    // whatever the header's stated length.
    uint32_t appended = 0;
    for (uint32_t i = 0; i < header.trackCount; ++i) {
        MidiTrack track(tracks.division);
        if (!reader.readTrack(track)) continue;  // a track without a chunk header is dropped
        tracks.appendTrack(std::move(track));
        ++appended;
    }
    return appended == header.trackCount;
}

bool hasSignature(const uint8_t* bytes, const char* signature) {
    return std::memcmp(bytes, signature, 4) == 0;
}

}  // namespace

bool readStandardMidiFile(const std::string& path, uint64_t offset, MidiFileHeader& header,
                          TrackSet& tracks) {
    try {
        ReadOnlyFile file;
        if (!file.open(path)) return false;
        return readStandardMidiFile(file, offset, header, tracks);
    } catch (const std::exception&) {
        return false;  // out of memory: what was read stays, the read fails
    }
}

bool readMidiFile(const std::string& path, MidiFileHeader& header, TrackSet& tracks) {
    try {
        ReadOnlyFile file;
        if (!file.open(path)) return false;
        uint8_t signature[4];
        if (file.read(signature, 4) != 4) return false;
        file.seek(0);
        if (hasSignature(signature, "MThd")) return readStandardMidiFile(file, 0, header, tracks);
        if (!hasSignature(signature, "RIFF")) return false;
        // Without an "RMID" form or its "data" chunk the reader meets the RIFF
        // header where it expects the MIDI header, which in practice fails
        // for want of the tracks that header then seems to announce.
        const uint64_t offset = findRmidDataOffset(file).value_or(0);
        file.seek(0);
        return readStandardMidiFile(file, offset, header, tracks);
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace vl
