#pragma once
// Bar groups: the marker events written at one bar line (proprietary note-offs
// of the notes sounding across it, the bar marker, then their proprietary
// note-ons), built from a table of sounding notes; and their removal.

#include <array>
#include <cstddef>
#include <cstdint>

#include "midi/midi_track.h"
#include "midi/track_set.h"

namespace vl {

// Which notes sound, by key 0..127 and channel 0..15, and with which strand
// (-1 = none assigned yet, which is still a sounding note). Keys of 128 and
// above and channels outside 0..15 are ignored: they never sound.
class SoundingNotes {
public:
    static constexpr int kKeys = 128;
    static constexpr int kChannels = 16;

    SoundingNotes();

    void markSounding(int key, int channel, int16_t strand);
    void markSilent(int key, int channel);
    void clear();

    bool isSounding(int key, int channel) const;
    // Strand of a sounding note, -1 when it is silent (or has no strand).
    int16_t strandOf(int key, int channel) const;
    // Channels (bit n = channel n) on which the key sounds.
    uint16_t channelsOf(int key) const;
    size_t count() const { return count_; }
    bool anySounding() const { return count_ != 0; }

private:
    static bool valid(int key, int channel) {
        return key >= 0 && key < kKeys && channel >= 0 && channel < kChannels;
    }
    std::array<uint16_t, kKeys> channels_{};
    std::array<int16_t, kKeys * kChannels> strands_{};
    size_t count_ = 0;
};

// Option bits of the writer.
namespace barpart {
constexpr unsigned BarMarker = 0x1;
constexpr unsigned NoteOffs = 0x2;
constexpr unsigned NoteOns = 0x4;
constexpr unsigned All = 0x7;
}  // namespace barpart

// The group for one bar line: note-offs (key ascending, channel ascending
// within a key), the bar marker, note-ons in the same order, each part only
// when its bit is set. The first event carries delta, the others 0. Each
// proprietary event carries its note's strand; a note-on whose strand already
// had a note-on earlier in this group gets flag 0x80.
EventList buildBarGroup(const SoundingNotes& notes, uint32_t delta, unsigned parts);

// The same for the sounding notes of one strand only; here flag 0x80 marks
// every note-on after the first of its channel.
EventList buildStrandBarGroup(const SoundingNotes& notes, uint32_t delta, unsigned parts,
                              int16_t strand);

// In every tick group that holds a bar marker, erases the bar marker, the
// proprietary note-offs before it and the proprietary note-ons after it; every
// other event stays, with its absolute time. Proprietary notes outside such a
// group stay too. Returns the number of bar markers erased.
size_t removeBarGroups(MidiTrack& track);
size_t removeBarGroups(TrackSet& set);

// Meta markers of every track first, then the bar groups of every track.
void removeAllMarkers(TrackSet& set);

}  // namespace vl
