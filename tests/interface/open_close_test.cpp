// Opening, closing and walking through the C interface: which paths give a
// session, when the file dialog is shown, and what the walk answers before
// any items exist.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>

#include "interface/export_guard.h"
#include "platform/dialog_runner.h"
#include "platform/scripted_dialog_runner.h"
#include "support/smf_builder.h"
#include "vlmidiin.h"

namespace {

using vl::test::SmfBuilder;
using vl::test::TempFile;

TempFile oneNoteFile() {
    return vl::test::writeTempFile(SmfBuilder()
                                       .format(0)
                                       .division(96)
                                       .track()
                                       .noteOn(0, 0, 60, 100)
                                       .noteOff(96, 0, 60)
                                       .endTrack()
                                       .bytes());
}

class OpenClose : public ::testing::Test {
protected:
    OpenClose() {
        vl::setDialogRunner(&runner_);
        vl::resetPlatformRecord();
    }
    ~OpenClose() override { vl::setDialogRunner(nullptr); }
    vl::ScriptedDialogRunner runner_;
};

TEST_F(OpenClose, a_readable_file_opens_and_close_nulls_the_variable_once) {
    TempFile file = oneNoteFile();
    ImportSession* s = vlImportOpenFromName(file.path().c_str());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(vlImportError(s), 0);
    vlImportClose(&s);
    EXPECT_EQ(s, nullptr);
    vlImportClose(&s);  // the second close finds null and does nothing
    EXPECT_EQ(s, nullptr);
}

TEST_F(OpenClose, unreadable_paths_give_null_from_both_open_calls) {
    TempFile notMidi = vl::test::writeTempFile({'h', 'e', 'l', 'l', 'o'}, "hello.txt");
    for (const std::string& path :
         {std::string("/nonexistent/file.mid"), notMidi.path(), notMidi.directory()}) {
        EXPECT_EQ(vlImportOpenFromName(path.c_str()), nullptr) << path;
        EXPECT_EQ(vlImportOpen(nullptr, 0, path.c_str()), nullptr) << path;
    }
    EXPECT_EQ(runner_.openFileRequests(), 0);
}

TEST_F(OpenClose, an_empty_path_asks_with_the_dialog_and_opens_the_chosen_file) {
    TempFile file = oneNoteFile();
    runner_.answerOpenFile(file.path());
    ImportSession* s = vlImportOpen(nullptr, 0, "");
    EXPECT_EQ(runner_.openFileRequests(), 1);
    ASSERT_NE(s, nullptr);
    vlImportClose(&s);
}

TEST_F(OpenClose, a_cancelled_dialog_gives_null_without_a_message) {
    runner_.answerOpenFileCancelled();
    EXPECT_EQ(vlImportOpen(nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(runner_.openFileRequests(), 1);
    EXPECT_EQ(vl::platformRecord().messageBoxCount, 0);
}

TEST_F(OpenClose, a_failed_dialog_shows_its_error_code_in_a_message_box) {
    runner_.answerOpenFileError(0x3003);
    EXPECT_EQ(vlImportOpen(nullptr, 0, ""), nullptr);
    EXPECT_EQ(vl::platformRecord().messageBoxCount, 1);
    EXPECT_EQ(vl::platformRecord().lastMessageText, "Error 3003 on opening file");
    EXPECT_EQ(vl::platformRecord().lastMessageCaption, "Error opening MIDI file");
    EXPECT_EQ(vl::platformRecord().lastMessageIcon, vl::kIconWarning);
}

TEST_F(OpenClose, the_headless_dialog_is_cancelled_with_error_code_zero) {
    vl::setDialogRunner(nullptr);
    vl::setDialogMode(vl::kDialogModeHeadless);
    EXPECT_EQ(vlImportOpen(nullptr, 0, ""), nullptr);
    EXPECT_EQ(vl::platformRecord().messageBoxCount, 0);
}

TEST_F(OpenClose, strand_walk_answers_false_before_initialise) {
    TempFile file = oneNoteFile();
    ImportSession* s = vlImportOpenFromName(file.path().c_str());
    ASSERT_NE(s, nullptr);
    ImportItem item{};
    EXPECT_EQ(vlImportStrandCount(s), 0);
    EXPECT_EQ(vlImportGetFirstStrand(s), 0);
    EXPECT_EQ(vlImportGetNextStrand(s), 0);
    EXPECT_EQ(vlImportGetFirstItem(s, &item), 0);
    EXPECT_EQ(vlImportGetNextItem(s, &item), 0);
    EXPECT_EQ(vlImportGetStartVoicing(s, &item), 0);
    // The guide strand needs only a first track, but it makes no strand current.
    EXPECT_EQ(vlImportGetGuideStrand(s), 1);
    EXPECT_EQ(vlImportGetStartVoicing(s, &item), 0);
    vlImportClose(&s);
}

// A format-1 file with `tracks` tracks, each a chord on its own channel.
vl::test::Bytes songOfTracks(int tracks) {
    SmfBuilder smf;
    smf.format(1).division(96);
    for (int t = 0; t < tracks; ++t) {
        const auto ch = static_cast<uint8_t>(t);
        const auto root = static_cast<uint8_t>(48 + 5 * t);
        smf.track()
            .trackName(0, "part")
            .noteOn(0, ch, root, 90)
            .noteOn(0, ch, root + 4, 90)
            .noteOff(384, ch, root)
            .noteOff(0, ch, root + 4)
            .endTrack();
    }
    return smf.bytes();
}

// Walks every list the host can ask for, reading each item and its text.
int walkEverything(ImportSession* s) {
    int items = 0;
    ImportItem item{};
    char text[64];
    auto walkList = [&] {
        for (bool more = vlImportGetFirstItem(s, &item); more; more = vlImportGetNextItem(s, &item)) {
            ++items;
            VliGetDescription(&item, text, sizeof text);
            vlImportItemText(s, &item);
        }
    };
    if (vlImportGetStartItems(s)) walkList();
    if (vlImportGetGuideStrand(s)) walkList();
    for (bool more = vlImportGetFirstStrand(s); more; more = vlImportGetNextStrand(s)) {
        vlImportGetStartVoicing(s, &item);
        walkList();
    }
    return items;
}

// A re-read replaces the tracks but leaves the strands and the host's walk
// alone; strands whose track is gone give empty lists, and nothing points
// into the old events (the sanitizer build would see it).
TEST_F(OpenClose, a_reread_keeps_the_strands_whatever_became_of_the_file) {
    struct Case {
        const char* name;
        int tracksAfter;  // -1: the file is gone
    };
    for (const Case c : {Case{"same", 2}, Case{"shrank", 1}, Case{"grew", 3}, Case{"vanished", -1}}) {
        SCOPED_TRACE(c.name);
        auto file = std::make_unique<TempFile>(vl::test::writeTempFile(songOfTracks(2)));
        const std::string path = file->path();
        ImportSession* s = vlImportOpenFromName(path.c_str());
        ASSERT_NE(s, nullptr);
        const int32_t strands = vlImportInitialise(s);
        ASSERT_GE(strands, 2);
        ASSERT_TRUE(vlImportGetFirstStrand(s));
        ImportItem first{}, second{}, third{};
        ASSERT_TRUE(vlImportGetFirstItem(s, &first));
        ASSERT_TRUE(vlImportGetNextItem(s, &second));
        ASSERT_TRUE(vlImportGetNextItem(s, &third));
        ASSERT_TRUE(vlImportGetFirstItem(s, &first));
        ASSERT_TRUE(vlImportGetNextItem(s, &second));

        if (c.tracksAfter < 0) {
            file.reset();
        } else {
            std::ofstream(path, std::ios::binary | std::ios::trunc)
                .write(reinterpret_cast<const char*>(songOfTracks(c.tracksAfter).data()),
                       static_cast<std::streamsize>(songOfTracks(c.tracksAfter).size()));
        }
        VlMidiReread(s);

        vl::ImportSession& session = *vl::sessionOf(s);
        EXPECT_EQ(session.analysisState(), 0u);
        EXPECT_EQ(session.tracks().size(), static_cast<size_t>(std::max(c.tracksAfter, 0)));
        EXPECT_EQ(session.path().empty(), c.tracksAfter < 0);
        EXPECT_EQ(vlImportStrandCount(s), strands);
        // The current list is the one the host was walking, at the same place.
        ImportItem next{};
        ASSERT_TRUE(vlImportGetNextItem(s, &next));
        EXPECT_EQ(std::memcmp(&next, &third, sizeof next), 0);
        walkEverything(s);
        // A strand of a track that is still there lists that track's names;
        // one whose track is gone lists nothing.
        int lists = 0;
        for (bool more = vlImportGetFirstStrand(s); more; more = vlImportGetNextStrand(s)) {
            const vl::Strand& strand = session.strands()[static_cast<size_t>(lists++)];
            const bool trackThere = static_cast<int>(strand.trackIndex) < c.tracksAfter;
            EXPECT_EQ(vlImportGetFirstItem(s, &next) != 0, trackThere) << lists;
        }
        EXPECT_EQ(lists, strands);
        if (c.tracksAfter >= 0) {
            EXPECT_GT(vlImportInitialise(s), 0);
        }
        vlImportClose(&s);
    }
}

}  // namespace

namespace {

TEST(Reread, a_file_that_became_unreadable_leaves_no_tracks_and_no_path) {
    auto file = std::make_unique<TempFile>(oneNoteFile());
    const std::string path = file->path();
    vl::ImportFilterApp app(file->directory() + "/settings.ini");
    auto session = vl::ImportSession::fromFile(path, app);
    ASSERT_EQ(session->error(), 0u);
    file.reset();  // removes the file
    EXPECT_FALSE(session->reread());
    EXPECT_TRUE(session->tracks().empty());
    EXPECT_TRUE(session->path().empty());
    EXPECT_EQ(session->analysisState(), 0u);
    EXPECT_NE(session->error() & vl::error::Unreadable, 0u);
}

}  // namespace
