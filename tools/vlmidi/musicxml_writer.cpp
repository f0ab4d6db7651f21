// Writing a Score as MusicXML.

#include "musicxml_writer.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <vector>

#include "vlmidiin.h"
#include "xml_writer.h"

namespace vl::cli {

namespace {

constexpr const char* kDoctype =
    "score-partwise PUBLIC \"-//Recordare//DTD MusicXML 4.0 Partwise//EN\" "
    "\"http://www.musicxml.org/dtds/partwise.dtd\"";

constexpr std::array<const char*, 8> kTypeNames{"breve", "whole", "half", "quarter",
                                                "eighth", "16th", "32nd", "64th"};

std::string number(std::int64_t value) { return std::to_string(value); }

bool hasNote(const MeasureElements& elements) {
    return std::any_of(elements.begin(), elements.end(), [](const VoiceElement& e) {
        return e.kind == VoiceElement::Kind::Note;
    });
}

// The greatest common divisor of every duration the document states, so that dividing by it
// keeps them whole.
class DurationUnit {
public:
    void include(std::int64_t duration) {
        if (duration > 0) unit_ = std::gcd(unit_, duration);
    }
    std::int64_t unit() const { return unit_; }

private:
    std::int64_t unit_ = kUnitsPerQuarter;
};

std::int64_t commonUnit(const Score& score) {
    DurationUnit unit;
    for (const ScorePart& part : score.parts) {
        unit.include(part.initialTime.barLength());
        for (const ScoreVoice& voice : part.voices) {
            for (const MeasureElements& measure : voice.measures) {
                for (const VoiceElement& element : measure) {
                    if (element.kind == VoiceElement::Kind::Note) {
                        unit.include(element.note.duration);
                    }
                    if (element.kind == VoiceElement::Kind::Time) {
                        unit.include(element.time.barLength());
                    }
                }
            }
        }
    }
    for (const TempoMark& tempo : score.tempos) unit.include(tempo.offset);
    return unit.unit();
}

class MusicXmlWriter {
public:
    explicit MusicXmlWriter(const Score& score) : score_(score), unit_(commonUnit(score)) {}

    std::string write() {
        xml_.doctype(kDoctype);
        xml_.open("score-partwise", {{"version", "4.0"}});
        writeHeader();
        writePartList();
        for (std::size_t p = 0; p < score_.parts.size(); ++p) writePart(p);
        return xml_.finish();
    }

private:
    std::string duration(std::int64_t units) const { return number(units / unit_); }

    void writeHeader() {
        if (!score_.title.empty()) {
            xml_.open("work");
            xml_.element("work-title", score_.title);
            xml_.close();
        }
        xml_.open("identification");
        if (!score_.rights.empty()) xml_.element("rights", score_.rights);
        xml_.open("encoding");
        xml_.element("software", "vlmidi (vlmidiin " + number(vlImportVersion()) + ")");
        xml_.close();
        xml_.close();
    }

    void writePartList() {
        xml_.open("part-list");
        for (const ScorePart& part : score_.parts) {
            xml_.open("score-part", {{"id", part.id}});
            xml_.element("part-name", part.name);
            if (part.channel) {
                const std::string instrument = part.id + "-I1";
                xml_.open("score-instrument", {{"id", instrument}});
                xml_.element("instrument-name", part.instrumentName);
                xml_.close();
                xml_.open("midi-instrument", {{"id", instrument}});
                xml_.element("midi-channel", number(*part.channel + 1));
                if (part.program) xml_.element("midi-program", number(*part.program + 1));
                xml_.close();
            }
            xml_.close();
        }
        xml_.close();
    }

    void writePart(std::size_t partIndex) {
        const ScorePart& part = score_.parts[partIndex];
        xml_.open("part", {{"id", part.id}});
        PartState state{part.initialKey, part.initialTime};
        for (std::size_t m = 0; m < score_.measureCount; ++m) {
            XmlAttributes attributes{{"number", score_.measureNumber(m)}};
            if (score_.pickup && m == 0) attributes.emplace_back("implicit", "yes");
            xml_.open("measure", attributes);
            if (m == 0) writeInitialAttributes(part);
            if (partIndex == 0) writeTempos(m, part);
            writeVoices(part, m, state);
            if (m + 1 == score_.measureCount) writeFinalBarline();
            xml_.close();
        }
        xml_.close();
    }

    struct PartState {
        KeySignature key;
        TimeSignature time;
    };

    void writeKey(const KeySignature& key) {
        xml_.open("key");
        xml_.element("fifths", number(key.fifths));
        xml_.element("mode", key.minor ? "minor" : "major");
        xml_.close();
    }

    void writeTime(const TimeSignature& time) {
        xml_.open("time");
        xml_.element("beats", number(time.beats));
        xml_.element("beat-type", number(std::int64_t{1} << time.beatTypeExponent));
        xml_.close();
    }

    void writeInitialAttributes(const ScorePart& part) {
        xml_.open("attributes");
        xml_.element("divisions", duration(kUnitsPerQuarter));
        writeKey(part.initialKey);
        writeTime(part.initialTime);
        const std::size_t staffCount = part.staffClefs.size();
        const bool staves = staffCount > 1;
        if (staves) xml_.element("staves", std::to_string(staffCount));
        for (std::size_t s = 0; s < staffCount; ++s) {
            XmlAttributes attributes;
            if (staves) attributes.emplace_back("number", std::to_string(s + 1));
            xml_.open("clef", attributes);
            const bool bass = part.staffClefs[s] == kBassClef;
            xml_.element("sign", bass ? "F" : "G");
            xml_.element("line", bass ? "4" : "2");
            xml_.close();
        }
        xml_.close();
    }

    // Writes the tempo marks of `measure`; they come in measure order, so the walk over the
    // measures passes over each once.
    void writeTempos(std::size_t measure, const ScorePart& part) {
        for (; nextTempo_ < score_.tempos.size() && score_.tempos[nextTempo_].measure <= measure;
             ++nextTempo_) {
            const TempoMark& tempo = score_.tempos[nextTempo_];
            if (tempo.measure != measure) continue;
            const std::string bpm = number(tempo.beatsPerMinute);
            xml_.open("direction", {{"placement", "above"}});
            xml_.open("direction-type");
            xml_.open("metronome");
            xml_.element("beat-unit", "quarter");
            xml_.element("per-minute", bpm);
            xml_.close();
            xml_.close();
            if (tempo.offset > 0) xml_.element("offset", duration(tempo.offset));
            if (part.staffClefs.size() > 1) xml_.element("staff", "1");
            xml_.empty("sound", {{"tempo", bpm}});
            xml_.close();
        }
    }

    void writeVoices(const ScorePart& part, std::size_t measure, PartState& state) {
        std::int64_t cursor = 0;  // time written since the measure start or the last backup
        std::vector<bool> staffFilled(part.staffClefs.size() + 1, false);
        // On a piano staff, where another voice has notes a silent one needs no rest.
        std::vector<bool> staffSounds(part.staffClefs.size() + 1, false);
        for (const ScoreVoice& voice : part.voices) {
            const auto staff = static_cast<std::size_t>(voice.staff);
            if (part.staffClefs.size() > 1 && staff < staffSounds.size() &&
                hasNote(voice.measures[measure])) {
                staffSounds[staff] = true;
            }
        }
        for (const ScoreVoice& voice : part.voices) {
            const MeasureElements& elements = voice.measures[measure];
            // The first voice of each staff fills an empty measure with a whole-bar rest.
            const std::size_t staff = static_cast<std::size_t>(voice.staff);
            const bool leading = staff < staffFilled.size() && !staffFilled[staff];
            if (leading) staffFilled[staff] = true;
            const bool anyNote = hasNote(elements);
            const bool fillRest = leading && !anyNote && !staffSounds[staff];
            if (!anyNote && !fillRest && (!leading || elements.empty())) continue;
            if (cursor > 0) {
                xml_.open("backup");
                xml_.element("duration", duration(cursor));
                xml_.close();
                cursor = 0;
            }
            for (const VoiceElement& element : elements) {
                cursor += writeElement(part, voice, element, state);
            }
            if (fillRest) {
                ScoreNote rest;
                rest.rest = true;
                rest.wholeBar = true;
                rest.duration = state.time.barLength();
                writeNote(part, voice, rest);
                cursor += rest.duration;
            }
        }
    }

    // Returns how far the element moves the time on.
    std::int64_t writeElement(const ScorePart& part, const ScoreVoice& voice,
                              const VoiceElement& element, PartState& state) {
        switch (element.kind) {
            case VoiceElement::Kind::Note:
                writeNote(part, voice, element.note);
                return element.note.chord ? 0 : element.note.duration;
            case VoiceElement::Kind::Key:
                xml_.open("attributes");
                writeKey(element.key);
                xml_.close();
                state.key = element.key;
                return 0;
            case VoiceElement::Kind::Time:
                xml_.open("attributes");
                writeTime(element.time);
                xml_.close();
                state.time = element.time;
                return 0;
            case VoiceElement::Kind::Program:
                if (!part.channel) return 0;
                xml_.open("sound");
                xml_.open("midi-instrument", {{"id", part.id + "-I1"}});
                xml_.element("midi-program", number(element.program + 1));
                xml_.close();
                xml_.close();
                return 0;
        }
        return 0;
    }

    void writeNote(const ScorePart& part, const ScoreVoice& voice, const ScoreNote& note) {
        xml_.open("note");
        if (note.chord) xml_.empty("chord");
        if (note.rest) {
            xml_.empty("rest", note.wholeBar ? XmlAttributes{{"measure", "yes"}} : XmlAttributes{});
        } else {
            xml_.open("pitch");
            xml_.element("step", std::string(1, note.pitch.step));
            if (note.pitch.alter != 0) xml_.element("alter", number(note.pitch.alter));
            xml_.element("octave", number(note.pitch.octave));
            xml_.close();
        }
        xml_.element("duration", duration(note.duration));
        if (note.tieStop) xml_.empty("tie", {{"type", "stop"}});
        if (note.tieStart) xml_.empty("tie", {{"type", "start"}});
        xml_.element("voice", number(voice.number));
        if (!note.wholeBar) {
            xml_.element("type", kTypeNames[static_cast<std::size_t>(note.valueIndex) & 7]);
            for (int d = 0; d < note.dots; ++d) xml_.empty("dot");
        }
        writeTimeModification(note.tuplet);
        if (part.staffClefs.size() > 1) xml_.element("staff", number(voice.staff));
        writeNotations(note);
        xml_.close();
    }

    void writeTimeModification(Tuplet tuplet) {
        if (tuplet == Tuplet::None) return;
        const bool triplet = tuplet == Tuplet::Triplet;
        xml_.open("time-modification");
        xml_.element("actual-notes", triplet ? "3" : "5");
        xml_.element("normal-notes", triplet ? "2" : "4");
        xml_.close();
    }

    void writeNotations(const ScoreNote& note) {
        const bool tuplet = !note.chord && (note.tupletStart || note.tupletStop);
        if (!note.tieStart && !note.tieStop && !tuplet) return;
        xml_.open("notations");
        if (note.tieStop) xml_.empty("tied", {{"type", "stop"}});
        if (note.tieStart) xml_.empty("tied", {{"type", "start"}});
        if (!note.chord && note.tupletStart) {
            xml_.empty("tuplet", {{"type", "start"}, {"bracket", "yes"}});
        }
        if (!note.chord && note.tupletStop) xml_.empty("tuplet", {{"type", "stop"}});
        xml_.close();
    }

    void writeFinalBarline() {
        xml_.open("barline", {{"location", "right"}});
        xml_.element("bar-style", "light-heavy");
        xml_.close();
    }

    const Score& score_;
    std::int64_t unit_;
    XmlWriter xml_;
    std::size_t nextTempo_ = 0;
};

}  // namespace

std::string formatMusicXml(const Score& score) { return MusicXmlWriter(score).write(); }

std::string formatMusicXml(const ImportResult& result) {
    return formatMusicXml(buildScore(result));
}

}  // namespace vl::cli
