// The checks a chosen path must pass and the default extension.
#include "platform/open_file_request.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/smf_builder.h"

namespace vl::test {
namespace {

TEST(OpenFileRequest, chosen_paths_must_fit_the_buffer_and_exist) {
    TempFile plain({'x'}, "readme");
    const std::string dir = plain.directory();
    const std::string fits = dir + "/" + std::string(259 - dir.size() - 1, 'n');
    const std::string tooLong = fits + "n";  // 260 characters leave no room for the zero
    for (const std::string& p : {fits, tooLong}) std::ofstream(p).put('x');
    OpenFileRequest request = importOpenFileRequest();
    const std::pair<std::string, bool> cases[] = {
        {fits, true},  {tooLong, false}, {dir + "/missing.mid", false}, {dir, false},
        {dir + "/no/such/dir/a.mid", false}, {"", false}, {std::string("a\0b", 3), false}};
    for (const auto& [path, accepted] : cases)
        EXPECT_EQ(refusalForChosenPath(request, path).empty(), accepted) << path;
    request.flags = 0;  // without the existence flags
    EXPECT_TRUE(refusalForChosenPath(request, dir + "/new.mid").empty());
    EXPECT_FALSE(refusalForChosenPath(request, tooLong).empty());
}

TEST(OpenFileRequest, the_default_extension_completes_names_without_one) {
    TempFile plain({'x'}, "readme");
    const OpenFileRequest request = importOpenFileRequest();
    const std::string dir = plain.directory();
    const std::pair<std::string, std::string> cases[] = {
        {dir + "/song", dir + "/song.mid"}, {dir + "/song.kar", dir + "/song.kar"},
        {plain.path(), plain.path()},  // an existing file keeps its name
        {dir + "/", dir + "/"},             {"", ""}};
    for (const auto& [typed, expected] : cases)
        EXPECT_EQ(withDefaultExtension(request, typed), expected) << typed;
    OpenFileRequest noExtension = request;
    noExtension.defaultExtension.clear();
    EXPECT_EQ(withDefaultExtension(noExtension, dir + "/song"), dir + "/song");
}

}  // namespace
}  // namespace vl::test
