#include "notation/strand_note_index.h"

#include <algorithm>
#include <optional>

#include "markers/marker_text.h"

namespace vl {

namespace {

// A note event in either form, decoded once.
struct NoteEvent {
    bool on = false;
    bool real = true;
    uint8_t channel = 0;
    uint8_t key = 0;
};

std::optional<NoteEvent> decodeNote(const MidiMessage& m) {
    if (m.isChannelMessage()) {
        if (!m.isNote()) return std::nullopt;
        return NoteEvent{m.isNoteOn(), true, m.channel(), m.data1};
    }
    const std::optional<ProprietaryNote> n = readProprietaryNote(m);
    if (!n) return std::nullopt;
    return NoteEvent{n->isOn(), false, n->channel(), n->key};
}

// A place in the track where a note-on or a bar marker stands.
struct Onset {
    size_t eventIndex = 0;
    int64_t time = 0;
};

constexpr int32_t kNoNote = -1;
constexpr size_t kKeysPerChannel = 256;  // proprietary notes may use keys above 127

// Note-ons still waiting for their note-off, per channel and key: a chain
// through the channel's notes, newest first. A note-off ends every note-on
// of its key that is waiting, since it is the first one after each of them.
class PendingNotes {
public:
    PendingNotes() : heads_(16 * kKeysPerChannel, kNoNote) {}

    void add(uint8_t channel, uint8_t key, int32_t note) {
        int32_t& head = heads_[slot(channel, key)];
        links_[channel & 0x0F].push_back(head);
        head = note;
    }

    template <typename Ended>
    void end(uint8_t channel, uint8_t key, Ended ended) {
        int32_t& head = heads_[slot(channel, key)];
        const std::vector<int32_t>& links = links_[channel & 0x0F];
        for (int32_t n = head; n != kNoNote; n = links[static_cast<size_t>(n)])
            ended(static_cast<size_t>(n));
        head = kNoNote;
    }

private:
    static size_t slot(uint8_t channel, uint8_t key) {
        return (channel & 0x0Fu) * kKeysPerChannel + key;
    }
    std::vector<int32_t> heads_;
    std::array<std::vector<int32_t>, 16> links_;  // parallel to each channel's notes
};

}  // namespace

StrandNoteIndex::StrandNoteIndex(MidiTrack& track) {
    std::vector<Onset> onsets;
    PendingNotes pending;
    size_t index = 0;
    int64_t time = 0;
    for (EventPos p = track.begin(); p != track.end(); ++p, ++index) {
        time += p->time;
        p->clearFlags(flag::StrandSet);
        const MidiMessage& m = p->message;
        if (m.isBarMarker()) {
            bars_.push_back(index);
            onsets.push_back({index, time});
            continue;
        }
        const std::optional<NoteEvent> note = decodeNote(m);
        if (!note) continue;
        std::vector<IndexedNote>& notes = notes_[note->channel & 0x0F];
        if (note->on) {
            pending.add(note->channel, note->key, static_cast<int32_t>(notes.size()));
            notes.push_back({p, index, index, {time, time, time}, note->real});
            onsets.push_back({index, time});
        } else {
            pending.end(note->channel, note->key, [&](size_t n) {
                notes[n].span.end = time;
                notes[n].resumeIndex = index;
            });
        }
    }
    eventCount_ = index;

    for (std::vector<IndexedNote>& notes : notes_) {
        for (IndexedNote& note : notes) {
            const auto after =
                std::upper_bound(onsets.begin(), onsets.end(), note.resumeIndex,
                                 [](size_t i, const Onset& onset) { return i < onset.eventIndex; });
            if (after != onsets.end()) note.span.next = after->time;
        }
    }
}

size_t StrandNoteIndex::barAfter(size_t eventIndex) const {
    const auto bar = std::upper_bound(bars_.begin(), bars_.end(), eventIndex);
    return bar == bars_.end() ? eventCount_ : *bar;
}

}  // namespace vl
