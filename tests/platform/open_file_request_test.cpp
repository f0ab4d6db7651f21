// The library's file-open request and the checks a chosen path must pass.
#include "platform/open_file_request.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/smf_builder.h"

namespace {

TEST(OpenFileRequest, the_import_request_asks_for_midi_files) {
    const vl::OpenFileRequest request = vl::importOpenFileRequest();
    EXPECT_EQ(request.title, "Import MIDI file");
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].description, "MIDI files (*.mid; *.rmi; *.kar)");
    EXPECT_EQ(request.filters[0].patterns, "*.mid; *.rmi; *.kar");
    EXPECT_EQ(request.filters[1].description, "All files (*.*)");
    EXPECT_EQ(request.filters[1].patterns, "*.*");
    EXPECT_EQ(request.defaultExtension, "mid");
    EXPECT_EQ(request.flags, 0x881864u);
    EXPECT_EQ(request.maxPath, 260u);
    EXPECT_EQ(request.panelTemplateId, 3003);
    EXPECT_TRUE(request.fileMustExist());
    EXPECT_TRUE(request.pathMustExist());
    EXPECT_FALSE(request.onConfigure);

    const std::string packed = request.packedFilters();
    const std::string expected = std::string("MIDI files (*.mid; *.rmi; *.kar)") + '\0' +
                                 "*.mid; *.rmi; *.kar" + '\0' + "All files (*.*)" + '\0' +
                                 "*.*" + '\0' + '\0';
    EXPECT_EQ(packed, expected);
}

// Makes a path of exactly length characters inside dir by sizing the file name.
std::string pathOfLength(const std::string& dir, std::size_t length) {
    return dir + "/" + std::string(length - dir.size() - 1, 'n');
}

TEST(OpenFileRequest, chosen_paths_must_fit_the_buffer_and_exist) {
    vl::test::TempDir dir;
    ASSERT_LT(dir.path().size() + 2, 200u);
    const std::string fits = pathOfLength(dir.path(), 259);
    const std::string tooLong = pathOfLength(dir.path(), 260);
    for (const std::string& p : {fits, tooLong}) std::ofstream(p).put('x');
    ASSERT_TRUE(std::filesystem::exists(tooLong));

    const vl::OpenFileRequest request = vl::importOpenFileRequest();
    struct Case {
        std::string path;
        bool accepted;
    } cases[] = {
        {fits, true},
        {tooLong, false},                        // 260 characters leave no room for the zero
        {dir.path() + "/missing.mid", false},    // the file must exist
        {dir.path(), false},                     // a directory is not a file
        {dir.path() + "/no/such/dir/a.mid", false},
        {"", false},
        {std::string("a\0b", 3), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vl::refusalForChosenPath(request, c.path).empty(), c.accepted) << c.path;

    vl::OpenFileRequest anyName = request;  // without the existence flags
    anyName.flags = 0;
    EXPECT_TRUE(vl::refusalForChosenPath(anyName, dir.path() + "/new.mid").empty());
    EXPECT_FALSE(vl::refusalForChosenPath(anyName, tooLong).empty());
}

TEST(OpenFileRequest, the_default_extension_completes_names_without_one) {
    vl::test::TempFile plain({'x'}, "readme");
    const vl::OpenFileRequest request = vl::importOpenFileRequest();
    const std::string dir = plain.directory();
    struct Case {
        std::string typed, expected;
    } cases[] = {
        {dir + "/song", dir + "/song.mid"},
        {dir + "/song.kar", dir + "/song.kar"},
        {plain.path(), plain.path()},  // an existing file keeps its name
        {dir + "/", dir + "/"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vl::withDefaultExtension(request, c.typed), c.expected) << c.typed;
}

}  // namespace
