// Building the score from the captured item lists: parts from strands, voices from their items,
// measures from bar lines, tempo marks from the guide strand.

#include "score_model.h"

#include <algorithm>
#include <map>
#include <utility>

#include "measure_grid.h"
#include "notation_names.h"
#include "piano_staves.h"
#include "score_items.h"
#include "voice_builder.h"
#include "voice_revision.h"

namespace vl::cli {

namespace {

constexpr std::int64_t kUnitsPer64th = kUnitsPerQuarter / 16;
constexpr unsigned kDefaultTempo = 120;

// What the start items say is in force when the music begins.
struct StartSettings {
    KeySignature key;
    TimeSignature time;
    unsigned tempo = kDefaultTempo;
    std::string title;
    std::string rights;
};

StartSettings readStartItems(const ImportResult& result) {
    StartSettings start;
    if (!result.startItems) return start;
    for (const CapturedItem& captured : *result.startItems) {
        const ImportItem& item = captured.item;
        if (item.type == kKeySignatureItem) {
            start.key = keyFromItem(item);
        } else if (item.type == kTimeSignatureItem) {
            if (const auto time = timeFromItem(item)) start.time = *time;
        } else if (item.type == kTempoItem) {
            start.tempo = beatsPerMinute(item);
        } else if (item.type == kTitleItem && captured.text) {
            start.title = *captured.text;
        } else if (item.type == kNoticeTextItem && captured.text) {
            start.rights = *captured.text;
        }
    }
    return start;
}

// The strands that make one part: same track, same MIDI channel.
struct PartPlan {
    std::optional<int> track;
    std::optional<int> channel;
    std::optional<int> program;
    std::vector<const CapturedStrand*> strands;
};

std::optional<int> voicingProgram(const CapturedStrand& strand) {
    if (!strand.voicing || strand.voicing->item.arg2 == kNoProgram ||
        strand.voicing->item.arg2 > kHighestKey) {
        return std::nullopt;
    }
    return strand.voicing->item.arg2;
}

std::vector<PartPlan> planParts(const ImportResult& result) {
    std::vector<PartPlan> plans;
    std::map<std::pair<int, int>, std::size_t> planOfTrackAndChannel;
    for (const CapturedStrand& strand : result.strands) {
        const std::optional<int> channel = channelOf(strand);
        // A strand of an unknown track is a part of its own.
        if (strand.trackIndex) {
            const auto [known, added] = planOfTrackAndChannel.try_emplace(
                std::pair{*strand.trackIndex, channel.value_or(-1)}, plans.size());
            if (!added) {
                plans[known->second].strands.push_back(&strand);
                continue;
            }
        }
        plans.push_back(PartPlan{strand.trackIndex, channel, voicingProgram(strand), {&strand}});
    }
    return plans;
}

std::optional<std::string> firstText(const CapturedItems& items, std::uint16_t type) {
    for (const CapturedItem& captured : items) {
        if (captured.item.type == type && captured.text && !captured.text->empty()) {
            return *captured.text;
        }
    }
    return std::nullopt;
}

std::string instrumentLabel(const PartPlan& plan) {
    if (plan.channel == static_cast<int>(kPercussionChannel)) return "Percussion";
    if (plan.program) return instrumentName(static_cast<unsigned>(*plan.program));
    if (plan.channel) return "Channel " + std::to_string(channelNumber(*plan.channel));
    return {};
}

std::string partName(const PartPlan& plan, bool trackIsShared, std::size_t partIndex) {
    const CapturedItems& items = plan.strands.front()->items;
    std::string name;
    if (const auto trackName = firstText(items, kTrackNameItem)) {
        name = *trackName;
    } else if (const auto instrument = firstText(items, kInstrumentNameItem)) {
        name = *instrument;
    } else if (plan.track) {
        name = "Track " + std::to_string(*plan.track + 1);
    } else {
        name = "Part " + std::to_string(partIndex + 1);
    }
    const std::string label = instrumentLabel(plan);
    if (trackIsShared && !label.empty()) name += " (" + label + ")";
    return name;
}

std::optional<int> clefOf(const CapturedStrand& strand) {
    for (const CapturedItem& captured : strand.items) {
        if (captured.item.type == kClefItem) {
            return captured.item.arg1 == kBassClef ? kBassClef : kTrebleClef;
        }
    }
    return std::nullopt;
}

bool hasNotes(const MeasureElements& elements) {
    return std::any_of(elements.begin(), elements.end(), [](const VoiceElement& element) {
        return element.kind == VoiceElement::Kind::Note;
    });
}

// A part's voices with their elements still by segment.
struct BuiltPart {
    ScorePart part;
    std::vector<std::vector<MeasureElements>> segments;  // per voice
};

BuiltPart buildPart(const PartPlan& plan, const StartSettings& start, bool trackIsShared,
                    std::size_t partIndex, const std::optional<PlayedFile>& played) {
    BuiltPart built;
    ScorePart& part = built.part;
    part.id = "P" + std::to_string(partIndex + 1);
    part.name = partName(plan, trackIsShared, partIndex);
    part.channel = plan.channel;
    part.program = plan.program;
    part.instrumentName = instrumentLabel(plan);
    if (part.instrumentName.empty()) part.instrumentName = part.name;

    std::vector<std::optional<int>> clefs;
    for (const CapturedStrand* strand : plan.strands) clefs.push_back(clefOf(*strand));
    const bool twoStaves =
        std::count(clefs.begin(), clefs.end(), kTrebleClef) > 0 &&
        std::count(clefs.begin(), clefs.end(), kBassClef) > 0;
    if (twoStaves) {
        part.staffClefs = {kTrebleClef, kBassClef};
    } else {
        const auto clef = std::find_if(clefs.begin(), clefs.end(),
                                       [](const std::optional<int>& c) { return c.has_value(); });
        part.staffClefs = {clef != clefs.end() ? **clef : kTrebleClef};
    }

    for (std::size_t v = 0; v < plan.strands.size(); ++v) {
        const bool leads = v == 0;
        BuiltVoice builtVoice = buildScoreVoice(
            *plan.strands[v], VoiceStart{start.key, start.time, leads, plan.channel, plan.program},
            played);
        if (leads) {
            part.initialKey = builtVoice.initialKey;
            part.initialTime = builtVoice.initialTime;
            part.program = builtVoice.initialProgram;
        }
        ScoreVoice voice;
        voice.number = static_cast<int>(v) + 1;
        voice.staff = twoStaves && clefs[v] == kBassClef ? 2 : 1;
        part.voices.push_back(std::move(voice));
        built.segments.push_back(std::move(builtVoice.segments));
    }
    return built;
}

// A part for a file without strands, so that the document still has one: rests throughout.
BuiltPart buildEmptyPart(const StartSettings& start) {
    BuiltPart built;
    built.part.id = "P1";
    built.part.name = "Music";
    built.part.instrumentName = "Music";
    built.part.initialKey = start.key;
    built.part.initialTime = start.time;
    built.part.voices.push_back(ScoreVoice{});
    built.segments.emplace_back(1);
    return built;
}

struct GuideTempo {
    std::size_t segment = 0;
    std::int64_t offset = 0;
    unsigned beatsPerMinute = 0;
};

struct GuideFacts {
    std::size_t lastBarWithRests = 0;
    std::vector<GuideTempo> tempos;
    std::vector<GuideBar> segments;  // the time signature and rests between bar lines
};

// The guide strand holds the first track's bar lines and tempo changes, with rests between.
GuideFacts readGuide(const ImportResult& result) {
    GuideFacts facts;
    if (!result.guide) return facts;
    std::size_t segment = 0;
    std::int64_t position = 0;
    TimeSignature time;
    facts.segments.emplace_back();
    for (const CapturedItem& captured : *result.guide) {
        const ImportItem& item = captured.item;
        if (item.type == kBarlineItem) {
            ++segment;
            position = 0;
            facts.segments.emplace_back();
        } else if (item.type == kTimeSignatureItem) {
            if (const auto t = timeFromItem(item)) time = *t;
            facts.segments.back().time = time;
        } else if (item.type == kTempoItem) {
            facts.tempos.push_back(GuideTempo{segment, position, beatsPerMinute(item)});
        } else if (item.type == kRestItem) {
            if (item.arg2 == kWholeBarRestCode) {
                position += time.barLength();
            } else if (const auto value = noteValueOf(item.arg2)) {
                position += noteValueDuration(value->index, value->dots, tupletOf(item.arg3));
            }
            facts.segments.back().length = position;
            facts.lastBarWithRests = std::max(facts.lastBarWithRests, segment);
        }
    }
    return facts;
}

std::size_t measureOfSegment(std::size_t segment, bool pickup) {
    if (pickup) return segment;
    return segment == 0 ? 0 : segment - 1;
}

// The guide's bars from the first full measure; one before it passes its time signature on.
std::vector<GuideBar> guideMeasures(const GuideFacts& guide) {
    std::vector<GuideBar> bars;
    for (std::size_t s = 1; s < guide.segments.size(); ++s) {
        bars.push_back(guide.segments[s]);
        if (s == 1 && !bars.back().time) bars.back().time = guide.segments[0].time;
    }
    return bars;
}

std::vector<TempoMark> placeTempos(const StartSettings& start, const GuideFacts& guide,
                                   const Score& score) {
    std::vector<TempoMark> marks;
    unsigned current = 0;
    auto place = [&](std::size_t measure, std::int64_t offset, unsigned bpm) {
        if (bpm == 0 || bpm == current || measure >= score.measureCount) return;
        marks.push_back(TempoMark{measure, offset, bpm});
        current = bpm;
    };
    place(0, 0, start.tempo);
    for (const GuideTempo& tempo : guide.tempos) {
        // Before the first bar line of a score without a pickup means at its start.
        const bool beforeMusic = tempo.segment == 0 && !score.pickup;
        place(measureOfSegment(tempo.segment, score.pickup), beforeMusic ? 0 : tempo.offset,
              tempo.beatsPerMinute);
    }
    return marks;
}

}  // namespace

std::int64_t noteValueDuration(int valueIndex, int dots, Tuplet tuplet) {
    std::int64_t duration = kUnitsPer64th << (7 - std::clamp(valueIndex, 0, 7));
    if (dots == 1) duration = duration * 3 / 2;
    if (dots >= 2) duration = duration * 7 / 4;
    if (tuplet == Tuplet::Triplet) duration = duration * 2 / 3;
    if (tuplet == Tuplet::Quintuplet) duration = duration * 4 / 5;
    return duration;
}

Score buildScore(const ImportResult& result) {
    const StartSettings start = readStartItems(result);
    const GuideFacts guide = readGuide(result);
    Score score;
    score.title = start.title;
    score.rights = start.rights;

    const std::vector<PartPlan> plans = planParts(result);
    std::map<int, int> partsOfTrack;
    for (const PartPlan& plan : plans) {
        if (plan.track) ++partsOfTrack[*plan.track];
    }
    std::vector<BuiltPart> built;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        const bool shared = plans[i].track && partsOfTrack[*plans[i].track] > 1;
        built.push_back(buildPart(plans[i], start, shared, i, result.playedNotes));
    }
    if (built.empty()) built.push_back(buildEmptyPart(start));

    std::size_t lastSegment = guide.lastBarWithRests;
    for (const BuiltPart& part : built) {
        for (const auto& segments : part.segments) {
            for (std::size_t s = 0; s < segments.size(); ++s) {
                if (!hasNotes(segments[s])) continue;
                lastSegment = std::max(lastSegment, s);
                if (s == 0) score.pickup = true;
            }
        }
    }
    score.measureCount = score.pickup ? lastSegment + 1 : std::max<std::size_t>(lastSegment, 1);

    for (BuiltPart& part : built) {
        for (std::size_t v = 0; v < part.part.voices.size(); ++v) {
            auto& measures = part.part.voices[v].measures;
            measures.resize(score.measureCount);
            auto& segments = part.segments[v];
            for (std::size_t s = 0; s < segments.size(); ++s) {
                const std::size_t m = measureOfSegment(s, score.pickup);
                if (m >= score.measureCount) break;
                auto& target = measures[m];
                target.insert(target.end(), segments[s].begin(), segments[s].end());
            }
        }
        score.parts.push_back(std::move(part.part));
    }
    score.tempos = placeTempos(start, guide, score);
    alignMeasures(score, start.time, guideMeasures(guide));
    placeNotesOnStaves(score);
    return score;
}

}  // namespace vl::cli
