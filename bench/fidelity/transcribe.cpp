// Reading a transcription with the host's own item walk and voice builder: the strand's notes
// and rests follow each other, so an onset is the sum of the values before it; chord members
// share it; a tied piece lengthens the note it continues.

#include "transcribe.h"

#include <map>

#include "import_result.h"
#include "vlmidiin.h"
#include "voice_builder.h"
#include "voice_revision.h"

namespace vl::fidelity {

namespace {

// Walks the elements of a built voice; calls onNote(onset, note) and onBar(position).
template <typename OnNote, typename OnBar>
void walkVoice(const cli::BuiltVoice& voice, OnNote onNote, OnBar onBar) {
    std::int64_t position = 0;
    std::int64_t lastOnset = 0;
    for (std::size_t s = 0; s < voice.segments.size(); ++s) {
        if (s > 0) onBar(position);
        for (const cli::VoiceElement& element : voice.segments[s]) {
            if (element.kind != cli::VoiceElement::Kind::Note) continue;
            const cli::ScoreNote& note = element.note;
            if (!note.chord) {
                lastOnset = position;
                position += note.duration;
            }
            if (!note.rest) onNote(lastOnset, note);
        }
    }
}

void readStrand(const cli::CapturedStrand& strand,
                const std::optional<cli::PlayedFile>& played,
                std::vector<WrittenNote>& notes, std::vector<std::int64_t>& barLines) {
    const cli::BuiltVoice voice = cli::buildScoreVoice(strand, cli::VoiceStart{}, played);
    std::map<int, std::size_t> openTie;  // key -> index of the note a tie continues
    walkVoice(
        voice,
        [&](std::int64_t onset, const cli::ScoreNote& note) {
            const int key = cli::keyOf(note.pitch);
            const auto open = openTie.find(key);
            if (note.tieStop && open != openTie.end()) {
                notes[open->second].value += note.duration;
                if (!note.tieStart) openTie.erase(open);
                return;
            }
            if (note.tieStart) openTie[key] = notes.size();
            notes.push_back(WrittenNote{onset, note.duration, key});
        },
        [&](std::int64_t position) { barLines.push_back(position); });
}

}  // namespace

Transcription transcribeFile(const std::string& path, bool revise) {
    Transcription result;
    ImportSession* session = vlImportOpenFromName(path.c_str());
    if (session == nullptr) return result;
    result.opened = true;
    result.swing = cli::swingFiguresOf(session);
    const std::int32_t strands = vlImportInitialise(session);
    cli::ImportResult captured;
    if (strands > 0) cli::captureItemLists(session, captured);
    vlImportClose(&session);
    const auto played = revise ? cli::readPlayedNotesInFile(path) : std::nullopt;
    captured.playedNotes = played;
    result.simplicity = cli::measureSimplicity(captured);

    for (const cli::CapturedStrand& strand : captured.strands) {
        readStrand(strand, played, result.notesOfTrack[strand.trackIndex.value_or(-1)],
                   result.barLinesOfStrand.emplace_back());
    }
    return result;
}

}  // namespace vl::fidelity
