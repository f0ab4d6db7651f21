// Opening, closing and re-reading through the C interface: which paths give a
// session, when the file dialog is shown, what the walk answers before any
// items exist, and what a re-read leaves of the strands and the host's walk.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>

#include "interface/export_guard.h"
#include "interface/host_walk.h"
#include "platform/dialog_runner.h"
#include "support/scripted_dialog_runner.h"
#include "support/smf_builder.h"

namespace vl::test {
namespace {

// A format-1 file with `tracks` tracks, each a chord on its own channel.
Bytes songOfTracks(int tracks) {
    SmfBuilder smf;
    smf.format(1).division(96);
    for (uint8_t t = 0; t < tracks; ++t) {
        const auto root = static_cast<uint8_t>(48 + 5 * t);
        smf.track().trackName(0, "part").noteOn(0, t, root, 90).noteOn(0, t, root + 4, 90);
        smf.noteOff(384, t, root).noteOff(0, t, root + 4).endTrack();
    }
    return smf.bytes();
}

class OpenClose : public ::testing::Test {
protected:
    OpenClose() {
        setDialogRunner(&runner_);
    }
    ~OpenClose() override { setDialogRunner(nullptr); }
    ScriptedDialogRunner runner_;
    TempFile file_ = writeTempFile(songOfTracks(1));
};

TEST_F(OpenClose, unreadable_paths_give_null_from_both_open_calls) {
    TempFile notMidi = writeTempFile({'h', 'e', 'l', 'l', 'o'}, "hello.txt");
    for (const std::string& path :
         {std::string("/nonexistent/file.mid"), notMidi.path(), notMidi.directory()}) {
        EXPECT_EQ(vlImportOpenFromName(path.c_str()), nullptr) << path;
        EXPECT_EQ(vlImportOpen(nullptr, 0, path.c_str()), nullptr) << path;
    }
    EXPECT_EQ(runner_.openFileRequests(), 0);
}

TEST_F(OpenClose, an_empty_path_asks_with_the_dialog) {
    runner_.answerOpenFile(file_.path()).answerOpenFileCancelled().answerOpenFileError(0x3003);
    ::ImportSession* s = vlImportOpen(nullptr, 0, "");
    ASSERT_NE(s, nullptr);  // the chosen file
    vlImportClose(&s);
    EXPECT_EQ(vlImportOpen(nullptr, 0, nullptr), nullptr);  // cancelled: no message
    EXPECT_TRUE(runner_.messages().empty());
    EXPECT_EQ(vlImportOpen(nullptr, 0, ""), nullptr);  // failed: its code in a message box
    EXPECT_EQ(runner_.openFileRequests(), 3);
    const auto& m = runner_.messages().at(0);
    EXPECT_EQ(m.text + "|" + m.caption + "|" + std::to_string(m.icon),
              "Error 3003 on opening file|Error opening MIDI file|48");
    EXPECT_EQ(runner_.messages().size(), 1u);
}

TEST_F(OpenClose, a_file_opens_its_walk_answers_false_before_initialise_and_close_nulls_once) {
    ::ImportSession* s = vlImportOpenFromName(file_.path().c_str());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(vlImportError(s), 0);
    ImportItem item{};
    EXPECT_EQ(vlImportStrandCount(s) + vlImportGetFirstStrand(s) + vlImportGetNextStrand(s) +
                  vlImportGetFirstItem(s, &item) + vlImportGetNextItem(s, &item) +
                  vlImportGetStartVoicing(s, &item), 0);
    // The guide strand needs only a first track, but it makes no strand current.
    EXPECT_EQ(vlImportGetGuideStrand(s), 1);
    EXPECT_EQ(vlImportGetStartVoicing(s, &item), 0);
    vlImportClose(&s);
    EXPECT_EQ(s, nullptr);
    vlImportClose(&s);  // the second close finds null and does nothing
}

// A re-read replaces the tracks but leaves the strands and the host's walk
// alone; strands whose track is gone give empty lists, and nothing points
// into the old events (the sanitizer build would see it).
TEST_F(OpenClose, a_reread_keeps_the_strands_whatever_became_of_the_file) {
    for (const int tracksAfter : {2, 1, 3, -1}) {  // -1: the file is gone
        SCOPED_TRACE(tracksAfter);
        auto file = std::make_unique<TempFile>(writeTempFile(songOfTracks(2)));
        const std::string path = file->path();
        ::ImportSession* s = vlImportOpenFromName(path.c_str());
        const int32_t strands = vlImportInitialise(s);
        ASSERT_GE(strands, 2);
        ImportItem first{}, second{}, third{};
        ASSERT_TRUE(vlImportGetFirstStrand(s) && vlImportGetFirstItem(s, &first) &&
                    vlImportGetNextItem(s, &second) && vlImportGetNextItem(s, &third) &&
                    vlImportGetFirstItem(s, &first) && vlImportGetNextItem(s, &second));
        if (tracksAfter < 0) {
            file.reset();
        } else {
            const Bytes bytes = songOfTracks(tracksAfter);
            std::ofstream(path, std::ios::binary | std::ios::trunc)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
        }
        VlMidiReread(s);
        ImportSession& session = *sessionOf(s);
        EXPECT_EQ(session.analysis().state(), 0u);
        EXPECT_EQ(session.analysis().tracks().size(),
                  static_cast<size_t>(std::max(tracksAfter, 0)));
        EXPECT_EQ(session.path().empty(), tracksAfter < 0);
        EXPECT_EQ((session.error() & error::Unreadable) != 0, tracksAfter < 0);
        EXPECT_EQ(vlImportStrandCount(s), strands);
        ImportItem next{};  // the walk goes on where the host was
        ASSERT_TRUE(vlImportGetNextItem(s, &next));
        EXPECT_EQ(std::memcmp(&next, &third, sizeof next), 0);
        walkEverything(s);
        int lists = 0;  // only strands whose track is still there list anything
        for (bool more = vlImportGetFirstStrand(s); more; more = vlImportGetNextStrand(s)) {
            const Strand& strand = session.analysis().strands()[static_cast<size_t>(lists++)];
            EXPECT_EQ(vlImportGetFirstItem(s, &next) != 0,
                      static_cast<int>(strand.trackIndex) < tracksAfter) << lists;
        }
        EXPECT_EQ(lists, strands);
        EXPECT_EQ(vlImportInitialise(s) > 0, tracksAfter > 0);
        vlImportClose(&s);
    }
}

}  // namespace
}  // namespace vl::test
