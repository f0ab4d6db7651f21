// Moving the notes of two-staff parts onto the staff of their pitch.

#include "piano_staves.h"

#include <algorithm>
#include <utility>

namespace vl::cli {

namespace {

int staffOf(const ScoreNote& note) {
    return keyOf(note.pitch) >= kLowestUpperStaffKey ? 1 : 2;
}

// A rest in place of an onset none of whose notes is on the staff.
ScoreNote restFor(const ScoreNote& onset) {
    ScoreNote rest = onset;
    rest.rest = true;
    rest.chord = false;
    rest.tieStart = false;
    rest.tieStop = false;
    rest.pitch = {};
    return rest;
}

// Appends the onset starting at `first` (a note and its chord members) to the voices of both
// staves; returns the index after it.
std::size_t splitOnset(const MeasureElements& elements, std::size_t first,
                       MeasureElements (&byStaff)[2]) {
    std::size_t end = first + 1;
    while (end < elements.size() && elements[end].kind == VoiceElement::Kind::Note &&
           elements[end].note.chord) {
        ++end;
    }
    const ScoreNote& onset = elements[first].note;
    for (int staff = 1; staff <= 2; ++staff) {
        MeasureElements& target = byStaff[staff - 1];
        const std::size_t before = target.size();
        for (std::size_t i = first; i < end && !onset.rest; ++i) {
            if (staffOf(elements[i].note) != staff) continue;
            VoiceElement element = elements[i];
            // The first note on this staff carries the onset's place in its tuplet.
            element.note.chord = target.size() > before;
            element.note.tupletStart = onset.tupletStart;
            element.note.tupletStop = onset.tupletStop;
            target.push_back(std::move(element));
        }
        if (target.size() == before) {
            VoiceElement element = elements[first];
            element.note = onset.rest ? onset : restFor(onset);
            target.push_back(std::move(element));
        }
    }
    return end;
}

bool hasPitch(const MeasureElements& elements) {
    return std::any_of(elements.begin(), elements.end(), [](const VoiceElement& element) {
        return element.kind == VoiceElement::Kind::Note && !element.note.rest;
    });
}

// Whether a tuplet bracket is open after `elements`, given whether one was before them.
bool bracketOpenAfter(const MeasureElements& elements, bool open) {
    for (const VoiceElement& element : elements) {
        if (element.kind != VoiceElement::Kind::Note || element.note.chord) continue;
        if (element.note.tupletStart) open = true;
        if (element.note.tupletStop) open = false;
    }
    return open;
}

// `voice` split into its part on staff 1 and its part on staff 2, in that order.
std::pair<ScoreVoice, ScoreVoice> splitVoice(const ScoreVoice& voice) {
    ScoreVoice upper{voice.number, 1, {}};
    ScoreVoice lower{voice.number, 2, {}};
    for (const MeasureElements& elements : voice.measures) {
        MeasureElements byStaff[2];
        for (std::size_t i = 0; i < elements.size();) {
            if (elements[i].kind == VoiceElement::Kind::Note) {
                i = splitOnset(elements, i, byStaff);
                continue;
            }
            // Signature and program changes stay on the voice's own staff.
            byStaff[voice.staff - 1].push_back(elements[i++]);
        }
        upper.measures.push_back(std::move(byStaff[0]));
        lower.measures.push_back(std::move(byStaff[1]));
    }
    return {std::move(upper), std::move(lower)};
}

bool anyPitch(const ScoreVoice& voice) {
    return std::any_of(voice.measures.begin(), voice.measures.end(), hasPitch);
}

// Takes the rests out of a measure where a voice only rests while another voice of its staff
// plays, and out of every measure where a voice of moved notes only rests (from `firstMoved`
// on): the other voice or the staff's whole-bar rest already shows the time. A measure inside
// or at the edge of a tuplet bracket keeps its rests so that the bracket closes.
void dropIdleRests(std::vector<ScoreVoice>& voices, std::size_t firstMoved) {
    std::vector<bool> bracketOpen(voices.size(), false);
    std::size_t measureCount = voices.front().measures.size();
    for (const ScoreVoice& voice : voices) {
        measureCount = std::min(measureCount, voice.measures.size());
    }
    for (std::size_t m = 0; m < measureCount; ++m) {
        bool staffPlays[3] = {false, false, false};
        for (const ScoreVoice& voice : voices) {
            if (hasPitch(voice.measures[m])) staffPlays[voice.staff] = true;
        }
        for (std::size_t v = 0; v < voices.size(); ++v) {
            MeasureElements& elements = voices[v].measures[m];
            const bool openBefore = bracketOpen[v];
            bracketOpen[v] = bracketOpenAfter(elements, openBefore);
            const bool idle = !hasPitch(elements) && !openBefore && !bracketOpen[v];
            if (!idle || (v < firstMoved && !staffPlays[voices[v].staff])) continue;
            std::erase_if(elements, [](const VoiceElement& element) {
                return element.kind == VoiceElement::Kind::Note;
            });
        }
    }
}

}  // namespace

void placeNotesOnStaves(Score& score) {
    for (ScorePart& part : score.parts) {
        if (part.staffClefs.size() != 2) continue;
        // Each voice stays where it was on its own staff; its notes on the other staff follow
        // the part's voices as voices of their own.
        std::vector<ScoreVoice> own;
        std::vector<ScoreVoice> moved;
        for (const ScoreVoice& voice : part.voices) {
            auto [upper, lower] = splitVoice(voice);
            const bool upperIsOwn = voice.staff == 1;
            own.push_back(std::move(upperIsOwn ? upper : lower));
            ScoreVoice& other = upperIsOwn ? lower : upper;
            if (anyPitch(other)) moved.push_back(std::move(other));
        }
        part.voices = std::move(own);
        const std::size_t firstMoved = part.voices.size();
        for (ScoreVoice& voice : moved) part.voices.push_back(std::move(voice));
        dropIdleRests(part.voices, firstMoved);
        for (std::size_t v = 0; v < part.voices.size(); ++v) {
            part.voices[v].number = static_cast<int>(v) + 1;
        }
    }
}

}  // namespace vl::cli
