// The editing commands on whole sessions: the worked cases (a golden
// transcript), and the bookkeeping property that after any command from any
// starting level the state word describes the tracks, and durations and
// strands are those a fresh analysis of the edited tracks gives; the titles
// the host sees on the way are a golden file too.
#include <gtest/gtest.h>

#include <functional>

#include "analysis/duration_assessment.h"
#include "analysis/tie_location.h"
#include "analysis/track_set_operations.h"
#include "interface/export_guard.h"
#include "markers/marker_events.h"
#include "notation/strand_assignment.h"
#include "support/fake_host.h"
#include "support/golden.h"
#include "support/smf_builder.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

using Step = std::function<void(ImportSession&)>;

// Two bars of 4/4 starting 48 ticks late; track 2 repeats track 1 on another
// channel; track 1 ends early, and tracks 1 and 2 have a stray note-off.
Bytes delayedSong() {
    SmfBuilder b;
    b.format(1).division(96).track().timeSignature(0, 4, 2).keySignature(0, 1).tempo(0, 500000);
    b.noteOn(48, 0, 72, 90).noteOff(96, 0, 72).noteOn(0, 0, 74, 90).noteOff(144, 0, 74);
    b.noteOn(48, 0, 76, 90).noteOff(288, 0, 76).noteOn(0, 0, 77, 80).noteOff(192, 0, 77);
    b.endTrack(96);
    for (uint8_t ch : {1, 2}) {
        const uint8_t v = ch == 1 ? 80 : 70;
        b.track();
        if (ch == 1) b.programChange(0, ch, 32);
        b.noteOff(10, ch, 40).noteOn(38, ch, 48, v).noteOn(0, ch, 55, v).noteOff(384, ch, 48);
        b.noteOff(0, ch, 55).noteOn(0, ch, 43, v);
        b.noteOff(192, ch, 43).endTrack(0);
    }
    return b.bytes();
}

Bytes threeEqualTracks() {
    SmfBuilder b;
    for (int t = 0; t < 3; ++t) b.track().noteOn(0, 0, 60, 90).noteOff(96, 0, 60).endTrack();
    return b.bytes();
}

class EditingCommands : public ::testing::Test {
protected:
    EditingCommands() { app_.setHostWindow(FakeHost::window(), FakeHost::kMessage); }

    std::unique_ptr<ImportSession> open(const Bytes& bytes = delayedSong()) {
        files_.push_back(std::make_unique<TempFile>(bytes));
        auto s = ImportSession::fromFile(files_.back()->path(), app_);
        EXPECT_EQ(s->error(), 0u);
        return s;
    }
    // Notes a command's answer, the state word, strands and tracks after it.
    void note(const std::string& what, int64_t answer, const ImportSession& s) {
        char word[16];
        std::snprintf(word, sizeof word, "%05x", s.analysis().state());
        log_ += what + " -> " + std::to_string(answer) + ", state " + word + ", strands " +
                std::to_string(s.analysis().strandCount()) + "\n";
        for (const MidiTrack& t : s.analysis().tracks().tracks) log_ += "  " + trackText(t) + "\n";
    }

    TempDir dir_;
    ImportFilterApp app_{dir_.path() + "/settings.ini"};
    FakeHost host_;
    std::vector<std::unique_ptr<TempFile>> files_;
    std::string log_;
};

TEST_F(EditingCommands, worked_cases_give_the_transcript) {
    auto s = open();
    note("fix delay on a fresh file", VlMidiQuantiseFixDelay(handleOf(s.get())), *s);
    s = open();
    s->transcribe();
    note("fix delay after the transcription", VlMidiQuantiseFixDelay(handleOf(s.get())), *s);
    s = open(threeEqualTracks());
    s->analysis().assignStrands(caption::None);
    note("remove duplicates", VlMidiDuplicateTracksRemove(handleOf(s.get())), *s);
    note("remove duplicates again", VlMidiDuplicateTracksRemove(handleOf(s.get())), *s);
    s = open(SmfBuilder().track().noteOn(0, 0, 60, 90).noteOff(480, 0, 60).endTrack(480)
                 .track().noteOn(0, 1, 60, 90).noteOff(1800, 1, 60).endTrack(120).bytes());
    VlMidiTrackLengthsEqualise(handleOf(s.get()));
    note("equalise 960 and 1920", 0, *s);
    s = open();
    s->editing().annotate();
    const std::string annotated = trackText(s->analysis().tracks().tracks[1], true);
    VlMidiFiducialEventsToggle(handleOf(s.get()));
    note("toggle markers", VlMidiFiducialEventsArePresent(handleOf(s.get())), *s);
    VlMidiFiducialEventsToggle(handleOf(s.get()));
    note("toggle markers again", VlMidiFiducialEventsArePresent(handleOf(s.get())), *s);
    EXPECT_EQ(trackText(s->analysis().tracks().tracks[1], true), annotated);
    s = open();
    s->transcribe();
    note("insert bar lines after the transcription", VlMidiBarlinesInsert(handleOf(s.get())), *s);
    s = open();
    note("kill baddies", VlMidiKillBaddies(handleOf(s.get())), *s);
    note("kill baddies again", VlMidiKillBaddies(handleOf(s.get())), *s);
    s = open(SmfBuilder().track().noteOn(0, 0, 60, 90).noteOn(48, 0, 62, 90).noteOff(2, 0, 60)
                 .noteOff(46, 0, 62).endTrack().bytes());
    note("first step moves nothing and trims", VlMidiQuantiseFirstStep(handleOf(s.get())), *s);

    expectGolden("session/editing_commands.txt", log_);
}

// ---- The bookkeeping property ---------------------------------------------

// Durations and strands of every event (the flags are not the analysis' result).
std::string annotationsOf(TrackSet set) {
    std::string all;
    for (MidiTrack& t : set.tracks) {
        for (MidiEvent& e : t.events) e.flags = 0;
        all += trackText(t, true) + "\n";
    }
    return all;
}

// The state word against the tracks, and durations and strands against a
// fresh analysis of a copy of the edited tracks at the level the word names.
// When the ties step placed its pieces after the strands, the fresh analysis
// runs in that order too, on the tracks without the pieces. keptStrands: the
// strands a command must leave alone (a re-read keeps the host's strands).
void expectStateDescribesTracks(ImportSession& s, bool tiesAfterStrands,
                                const std::vector<Strand>* keptStrands) {
    const uint32_t word = s.analysis().state();
    const std::string text = annotationsOf(s.analysis().tracks());
    const auto has = [&](uint32_t bits) { return (word & bits) != 0; };
    const auto shows = [&](const char* marker) { return text.find(marker) != text.npos; };
    EXPECT_TRUE(has(state::AnyFiducials) || !shows("KQVL"));
    EXPECT_TRUE(has(state::BarGroups | state::Ties) || !shows("KQVLBAR"));
    EXPECT_TRUE(!has(state::BarGroups) || shows("KQVLBAR"));
    EXPECT_TRUE(!has(state::MetaMarkers) || shows("KQVLMTA"));

    TrackSet fresh = s.analysis().tracks();
    if (tiesAfterStrands) {
        for (MidiTrack& t : fresh.tracks)
            for (EventPos p = t.begin(); p != t.end();)
                p = isProprietaryNote(*p) ? t.erase(p) : std::next(p);
    }
    resetAllAnnotations(fresh);
    std::vector<Strand> strands;
    EXPECT_TRUE(!has(state::Durations) ||
                !assessDurations(fresh, s.progress(), caption::None).cancelled);
    if (has(state::Strands))
        assignStrands(fresh, strands, s.progress(), caption::None, s.resolutionSettings());
    if (tiesAfterStrands) markTies(fresh, s.progress(), caption::None);
    EXPECT_EQ(text, annotationsOf(fresh));
    EXPECT_EQ(s.analysis().strands(), keptStrands != nullptr ? *keptStrands : strands);
}

TEST_F(EditingCommands, every_command_from_every_level_leaves_a_true_state_word) {
    const struct {
        const char* name;
        Step reach;
        bool ranTiesStep = false;  // the ties step placed pieces after the strands
    } levels[] = {
        {"fresh read", [](ImportSession&) {}},
        {"assessed only", [](ImportSession& s) { s.analysis().assessDurations(caption::None); }},
        {"annotated", [](ImportSession& s) { s.editing().annotate(); }},
        {"markers only", [](ImportSession& s) { s.analysis().insertMarkers(); }},
        {"bar lines only", [](ImportSession& s) { s.analysis().locateBarLines(false); }},
        {"markers and durations",
         [](ImportSession& s) {
             s.analysis().insertMarkers(), s.analysis().assessDurations(caption::None);
         }},
        {"markers and strands",
         [](ImportSession& s) { s.analysis().insertMarkers(), s.editing().annotate(); }},
        {"bar lines and durations",
         [](ImportSession& s) {
             s.analysis().locateBarLines(false), s.analysis().assessDurations(caption::None);
         }},
        {"quantised and annotated",
         [](ImportSession& s) { s.analysis().firstQuantising(), s.editing().annotate(); }},
        {"initialised", [](ImportSession& s) { s.transcribe(); }, true},
        {"initialised, markers cleared",
         [](ImportSession& s) { s.transcribe(), s.editing().clearMarkersAndRestore(); }},
    };
    const auto api = [](auto f) { return [f](ImportSession& s) { f(handleOf(&s)); }; };
    const struct {
        std::string name;
        Step run;
        bool reassigns = true;  // assigns strands again (when they were) with the markers present
        bool keepsMarkers = true;
    } commands[] = {
        {"reread", api(VlMidiReread), true, false},
        {"first quantising", api(VlMidiQuantiseFirstStep)},
        {"fix delay", api(VlMidiQuantiseFixDelay)},
        {"remove duplicates", api(VlMidiDuplicateTracksRemove), false},
        {"equalise", api(VlMidiTrackLengthsEqualise)},
        {"complete all", api(VlMidiQuantiseStrands), false},
        {"kill baddies", api(VlMidiKillBaddies)},
        {"toggle markers", api(VlMidiFiducialEventsToggle), true, false},
        {"clear markers", api(VlMidiFiducialEventsClear), true, false},
        {"insert markers", api(VlMidiFiducialEventsInsert)},
        {"annotate", api(VlMidiAnnotate)},
    };
    for (const auto& level : levels) {
        for (const auto& command : commands) {
            SCOPED_TRACE(std::string(level.name) + " / " + command.name);
            auto s = open();
            level.reach(*s);
            const uint32_t levelWord = s->analysis().state();
            const std::vector<Strand> strandsBefore = s->analysis().strands();
            host_.clearReports();
            command.run(*s);
            log_ += std::string(level.name) + " / " + command.name + ":";
            for (const std::string& title : host_.stepCaptions()) log_ += " " + title;
            log_ += "\n";
            // complete-all runs the ties step itself when the pieces are missing
            const bool tiesAfterStrands =
                (level.ranTiesStep && !command.reassigns) ||
                (command.name == "complete all" && (levelWord & state::Ties) == 0);
            expectStateDescribesTracks(*s, tiesAfterStrands,
                                       command.name == "reread" ? &strandsBefore : nullptr);
            // Only a re-read, a full completion or annotating changes the level.
            const uint32_t results = state::Durations | state::Strands;
            const bool keepsLevel = command.name != "reread" && command.name != "complete all" &&
                                    command.name != "annotate";
            EXPECT_TRUE(!keepsLevel || (s->analysis().state() & results) == (levelWord & results));
            EXPECT_TRUE(!command.keepsMarkers || (levelWord & state::AnyFiducials) == 0 ||
                        (s->analysis().state() & state::AnyFiducials) != 0);
        }
    }
    expectGolden("session/command_titles.txt", log_);
}

}  // namespace
}  // namespace vl::test
