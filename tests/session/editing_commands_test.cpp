// The editing commands on whole sessions: the worked cases, the progress
// titles the host sees, and the bookkeeping property that after any command
// from any starting level the state word describes the tracks and durations
// and strands are those a fresh analysis of the edited tracks gives.
#include <gtest/gtest.h>

#include <functional>

#include "analysis/duration_assessment.h"
#include "analysis/tie_location.h"
#include "analysis/track_set_operations.h"
#include "interface/export_guard.h"
#include "markers/marker_events.h"
#include "notation/strand_assignment.h"
#include "support/fake_host.h"
#include "support/smf_builder.h"
#include "support/track_listing.h"

namespace vl {
namespace {

using test::SmfBuilder;
using test::FakeHost;

// Two bars of 4/4 starting 48 ticks late; track 2 repeats track 1 on another
// channel; track 1 ends early and has a stray note-off.
test::Bytes delayedSong() {
    return SmfBuilder()
        .format(1)
        .division(96)
        .track()
        .timeSignature(0, 4, 2)
        .keySignature(0, 1)
        .tempo(0, 500000)
        .noteOn(48, 0, 72, 90)
        .noteOff(96, 0, 72)
        .noteOn(0, 0, 74, 90)
        .noteOff(144, 0, 74)
        .noteOn(48, 0, 76, 90)
        .noteOff(288, 0, 76)
        .noteOn(0, 0, 77, 80)
        .noteOff(192, 0, 77)
        .endTrack(96)
        .track()
        .programChange(0, 1, 32)
        .noteOff(10, 1, 40)  // nothing sounds: an illegal event
        .noteOn(38, 1, 48, 80)
        .noteOn(0, 1, 55, 80)
        .noteOff(384, 1, 48)
        .noteOff(0, 1, 55)
        .noteOn(0, 1, 43, 80)
        .noteOff(192, 1, 43)
        .endTrack(0)
        .track()
        .noteOff(10, 2, 40)
        .noteOn(38, 2, 48, 70)
        .noteOn(0, 2, 55, 70)
        .noteOff(384, 2, 48)
        .noteOff(0, 2, 55)
        .noteOn(0, 2, 43, 70)
        .noteOff(192, 2, 43)
        .endTrack(0)
        .bytes();
}

class EditingCommands : public ::testing::Test {
protected:
    EditingCommands() : app_(dir_.path() + "/settings.ini") {
        app_.setHostWindow(FakeHost::window(), FakeHost::kMessage);
    }

    std::unique_ptr<ImportSession> open(const test::Bytes& bytes) {
        files_.push_back(std::make_unique<test::TempFile>(bytes));
        auto s = ImportSession::fromFile(files_.back()->path(), app_);
        EXPECT_EQ(s->error(), 0u);
        return s;
    }

    test::TempDir dir_;
    ImportFilterApp app_;
    FakeHost host_;
    std::vector<std::unique_ptr<test::TempFile>> files_;
};

std::vector<test::Timed> listAll(const ImportSession& s) {
    std::vector<test::Timed> all;
    for (const MidiTrack& t : s.tracks().tracks) {
        const auto listed = test::listTrack(t);
        all.insert(all.end(), listed.begin(), listed.end());
        all.push_back({-1, "track end"});
    }
    return all;
}

size_t countEvents(const ImportSession& s, bool (*what)(const MidiMessage&)) {
    size_t n = 0;
    for (const MidiTrack& t : s.tracks().tracks)
        for (const MidiEvent& e : t.events) n += what(e.message) ? 1 : 0;
    return n;
}

bool isAnyMarker(const MidiMessage& m) {
    return isMetaMarker(m) || m.isBarMarker() || isProprietaryNote(m);
}
bool isBar(const MidiMessage& m) { return m.isBarMarker(); }
bool isMetaMarkerMessage(const MidiMessage& m) { return isMetaMarker(m); }
bool isProprietary(const MidiMessage& m) { return isProprietaryNote(m); }

// ---- Worked cases ---------------------------------------------------------

TEST_F(EditingCommands, delay_of_48_removed_on_a_fresh_file_and_0_after_the_pipeline) {
    auto fresh = open(delayedSong());
    const auto before = listAll(*fresh);
    EXPECT_EQ(VlMidiQuantiseFixDelay(handleOf(fresh.get())), 48);
    EXPECT_EQ(fresh->analysisState(), state::DelayRemoved);
    const auto after = listAll(*fresh);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        const int64_t was = before[i].time;
        const int64_t expected = was < 0 ? -1 : std::max<int64_t>(was - 48, 0);
        EXPECT_EQ(after[i].time, expected) << i << " " << after[i].what;
    }

    auto analysed = open(delayedSong());
    analysed->initialise();
    const uint32_t stateBefore = analysed->analysisState();
    const auto listedBefore = listAll(*analysed);
    EXPECT_EQ(VlMidiQuantiseFixDelay(handleOf(analysed.get())), 0);
    EXPECT_EQ(analysed->analysisState() & ~state::Ties, stateBefore & ~state::Ties);
    EXPECT_EQ(listAll(*analysed).size(), listedBefore.size());
    EXPECT_GT(countEvents(*analysed, isBar), 0u);  // bar groups placed again
}

TEST_F(EditingCommands, duplicates_removed_and_strands_assigned_again) {
    auto t = open(SmfBuilder().track().noteOn(0, 0, 60, 90).noteOff(96, 0, 60).endTrack()
                      .track().noteOn(0, 0, 60, 90).noteOff(96, 0, 60).endTrack()
                      .track().noteOn(0, 0, 60, 90).noteOff(96, 0, 60).endTrack().bytes());
    t->assignStrands(caption::None);
    ASSERT_EQ(t->strandCount(), 3);
    EXPECT_EQ(VlMidiDuplicateTracksRemove(handleOf(t.get())), 2);
    EXPECT_EQ(t->tracks().size(), 1u);
    EXPECT_EQ(t->strandCount(), 1);
    EXPECT_NE(t->analysisState() & state::Strands, 0u);
    EXPECT_EQ(VlMidiDuplicateTracksRemove(handleOf(t.get())), 0);
}

TEST_F(EditingCommands, equalising_960_and_1920) {
    auto s = open(SmfBuilder().track().noteOn(0, 0, 60, 90).noteOff(480, 0, 60).endTrack(480)
                      .track().noteOn(0, 1, 60, 90).noteOff(1800, 1, 60).endTrack(120)
                      .bytes());
    VlMidiTrackLengthsEqualise(handleOf(s.get()));
    EXPECT_EQ(test::listTrack(s->tracks().tracks[0]).back().time, 1920);
    EXPECT_EQ(s->analysisState(), state::LengthsEqualised);
}

TEST_F(EditingCommands, toggling_markers_twice_leaves_none_and_the_level_kept) {
    auto s = open(delayedSong());
    s->annotate();
    const auto before = listAll(*s);
    const int32_t strands = s->strandCount();
    VlMidiFiducialEventsToggle(handleOf(s.get()));
    EXPECT_EQ(VlMidiFiducialEventsArePresent(handleOf(s.get())), 1);
    EXPECT_GT(countEvents(*s, isBar), 0u);
    VlMidiFiducialEventsToggle(handleOf(s.get()));
    EXPECT_EQ(VlMidiFiducialEventsArePresent(handleOf(s.get())), 0);
    EXPECT_EQ(countEvents(*s, isAnyMarker), 0u);
    EXPECT_EQ(listAll(*s), before);
    EXPECT_EQ(s->analysisState(), state::Durations | state::Strands);
    EXPECT_EQ(s->strandCount(), strands);
}

TEST_F(EditingCommands, inserting_bar_lines_over_markers_leaves_ties_clear) {
    auto s = open(delayedSong());
    s->initialise();
    ASSERT_NE(s->analysisState() & state::Ties, 0u);
    EXPECT_EQ(VlMidiBarlinesInsert(handleOf(s.get())), 1);
    const uint32_t word = s->analysisState();
    EXPECT_EQ(word & state::Ties, 0u);
    EXPECT_NE(word & state::BarGroups, 0u);
    EXPECT_NE(word & state::MetaMarkers, 0u);
    EXPECT_EQ(countEvents(*s, isProprietary), 0u);
    EXPECT_GT(countEvents(*s, isBar), 0u);
    EXPECT_GT(countEvents(*s, isMetaMarkerMessage), 0u);
}

TEST_F(EditingCommands, kill_baddies_counts_the_stray_note_offs) {
    auto s = open(delayedSong());
    EXPECT_EQ(VlMidiKillBaddies(handleOf(s.get())), 2);
    EXPECT_EQ(VlMidiKillBaddies(handleOf(s.get())), 0);
}

TEST_F(EditingCommands, first_step_reports_moves_and_not_trims) {
    // Both note-ons lie on the grid; the first note's end is trimmed back to 48.
    auto s = open(SmfBuilder().track().noteOn(0, 0, 60, 90).noteOn(48, 0, 62, 90)
                      .noteOff(2, 0, 60).noteOff(46, 0, 62).endTrack().bytes());
    EXPECT_EQ(VlMidiQuantiseFirstStep(handleOf(s.get())), 0);
    EXPECT_EQ(test::listTrack(s->tracks().tracks[0])[1], (test::Timed{48, "off 0 60"}));
}

// ---- Titles ---------------------------------------------------------------

struct TitleCase {
    const char* name;
    std::function<void(ImportSession&)> level;
    std::function<void(ImportSession&)> command;
    std::vector<std::string> titles;
};

TEST_F(EditingCommands, restore_level_shows_the_commands_own_titles) {
    const std::string bars = "Locating bar-lines...";
    const std::string quantise = "First quantising MIDI events...";
    const std::vector<TitleCase> cases = {
        {"re-run first quantising with strands",
         [](ImportSession& s) { s.annotate(); },
         [](ImportSession& s) { VlMidiQuantiseFirstStep(handleOf(&s)); },
         {quantise, "Reassessing MIDI note durations...", "Reassining strands..."}},
        {"re-run first quantising with durations only",
         [](ImportSession& s) { s.assessDurations(caption::None); },
         [](ImportSession& s) { VlMidiQuantiseFirstStep(handleOf(&s)); },
         {quantise, "Reassessing MIDI note durations..."}},
        {"equalise with markers and strands",
         [](ImportSession& s) {
             s.insertFiducialEvents();
             s.annotate();
         },
         [](ImportSession& s) { VlMidiTrackLengthsEqualise(handleOf(&s)); },
         {bars, "Ressessing MIDI note durations...", "Reassigning strands..."}},
        {"fix delay with bar groups and durations",
         [](ImportSession& s) {
             s.locateBarLines(0);
             s.assessDurations(caption::None);
         },
         [](ImportSession& s) { VlMidiQuantiseFixDelay(handleOf(&s)); },
         {bars, "Assessing MIDI note durations..."}},
        {"insert markers with strands",
         [](ImportSession& s) { s.annotate(); },
         [](ImportSession& s) { VlMidiFiducialEventsInsert(handleOf(&s)); },
         {bars, "Assessing MIDI note durations...", "Reassigning strands..."}},
    };
    for (const TitleCase& c : cases) {
        auto s = open(delayedSong());
        c.level(*s);
        host_.clearReports();
        c.command(*s);
        EXPECT_EQ(host_.stepCaptions(), c.titles) << c.name;
    }
}

// ---- The bookkeeping property ---------------------------------------------

// One line per event: where it is, what it is and its annotation.
std::vector<std::string> annotationsOf(const TrackSet& set) {
    std::vector<std::string> all;
    for (size_t t = 0; t < set.tracks.size(); ++t) {
        int64_t time = 0;
        for (const MidiEvent& e : set.tracks[t].events) {
            time += e.time;
            all.push_back(std::to_string(t) + "@" + std::to_string(time) + " " +
                          test::describe(e.message) + ": " + std::to_string(e.duration1) + "+" +
                          std::to_string(e.duration2) + " s" + std::to_string(e.strand));
        }
    }
    return all;
}

void expectSameAnnotations(const TrackSet& edited, const TrackSet& fresh) {
    const auto a = annotationsOf(edited);
    const auto b = annotationsOf(fresh);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i], b[i]);
}

// The state word against the tracks, and durations and strands against a
// fresh analysis of a copy of the edited tracks at the level the word names.
// When the tie pieces were placed after the strands (by the ties step), the
// fresh analysis runs in that order too: durations,
// strands, then ties (on the tracks without the pieces).
// keptStrands: the strands a command must leave alone instead of the
// strands the state word calls for (a re-read keeps the host's strands).
void expectStateDescribesTracks(ImportSession& s, bool tiesAfterStrands,
                                const std::string& context,
                                const std::vector<Strand>* keptStrands) {
    SCOPED_TRACE(context);
    const uint32_t word = s.analysisState();
    if ((word & state::AnyFiducials) == 0) {
        EXPECT_EQ(countEvents(s, isAnyMarker), 0u);
    }
    if ((word & (state::BarGroups | state::Ties)) == 0) {
        EXPECT_EQ(countEvents(s, isBar), 0u);
    }
    if ((word & state::BarGroups) != 0) {
        EXPECT_GT(countEvents(s, isBar), 0u);
    }
    if ((word & state::MetaMarkers) != 0) {
        EXPECT_GT(countEvents(s, isMetaMarkerMessage), 0u);
    }

    TrackSet fresh = s.tracks();
    if (tiesAfterStrands) {
        for (MidiTrack& t : fresh.tracks)
            for (EventPos p = t.begin(); p != t.end();)
                p = isProprietaryNote(*p) ? t.erase(p) : std::next(p);
    }
    resetAllAnnotations(fresh);
    std::vector<Strand> strands;
    if ((word & state::Durations) != 0) {
        ASSERT_TRUE(assessDurations(fresh, s.progress(), caption::None));
    }
    if ((word & state::Strands) != 0) {
        assignStrands(fresh, strands, s.progress(), caption::None, s.resolutionSettings());
    }
    if (tiesAfterStrands) markTies(fresh, s.progress(), caption::None);
    expectSameAnnotations(s.tracks(), fresh);
    EXPECT_EQ(s.strands(), keptStrands != nullptr ? *keptStrands : strands);
}

struct Level {
    const char* name;
    std::function<void(ImportSession&)> reach;
    bool ranTiesStep = false;  // the ties step placed pieces after the strands
};

struct Command {
    const char* name;
    std::function<void(ImportSession&)> run;
    // Assigns strands again (when they were assigned) with the markers present.
    bool reassigns = true;
    bool keepsMarkers = true;
};

TEST_F(EditingCommands, every_command_from_every_level_leaves_a_true_state_word) {
    const std::vector<Level> levels = {
        {"fresh read", [](ImportSession&) {}},
        {"assessed only", [](ImportSession& s) { s.assessDurations(caption::None); }},
        {"annotated", [](ImportSession& s) { s.annotate(); }},
        {"markers only", [](ImportSession& s) { s.insertFiducialEvents(); }},
        {"bar lines only", [](ImportSession& s) { s.locateBarLines(0); }},
        {"markers and durations",
         [](ImportSession& s) {
             s.insertFiducialEvents();
             s.assessDurations(caption::None);
         }},
        {"quantised and annotated",
         [](ImportSession& s) {
             s.firstQuantising();
             s.annotate();
         }},
        {"initialised", [](ImportSession& s) { s.initialise(); }, true},
        {"initialised, markers cleared",
         [](ImportSession& s) {
             s.initialise();
             s.clearMarkersAndRestore();
         }},
    };
    auto api = [](auto f) { return [f](ImportSession& s) { f(handleOf(&s)); }; };
    const std::vector<Command> commands = {
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
    for (const Level& level : levels) {
        for (const Command& command : commands) {
            auto s = open(delayedSong());
            level.reach(*s);
            const uint32_t levelWord = s->analysisState();
            const uint32_t results = levelWord & (state::Durations | state::Strands);
            const std::vector<Strand> strandsBefore = s->strands();
            command.run(*s);
            const std::string name = command.name;
            // complete-all runs the ties step itself when the pieces are missing
            const bool tiesAfterStrands =
                (level.ranTiesStep && !command.reassigns) ||
                (name == "complete all" && (levelWord & state::Ties) == 0);
            const std::string context = std::string(level.name) + " / " + name;
            expectStateDescribesTracks(*s, tiesAfterStrands, context,
                                       name == "reread" ? &strandsBefore : nullptr);
            // Only a re-read, a full completion or annotating changes the level.
            if (name != "reread" && name != "complete all" && name != "annotate") {
                EXPECT_EQ(s->analysisState() & (state::Durations | state::Strands), results)
                    << context;
            }
            if (command.keepsMarkers && (levelWord & state::AnyFiducials) != 0) {
                EXPECT_NE(s->analysisState() & state::AnyFiducials, 0u) << context;
            }
        }
    }
}

}  // namespace
}  // namespace vl
