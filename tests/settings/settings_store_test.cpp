// The INI settings store: its default path, what it reads from imperfect files,
// and saving: the file replaced atomically and flushed, foreign entries kept,
// names that would break the file refused.
#include "settings/settings_store.h"

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "support/case_file.h"
#include "support/smf_builder.h"
#include "support/source_path.h"

namespace vl::test {
namespace {
// The files flushed by fsync in this test program, named as they were at the flush.
std::vector<std::string> flushed;
}  // namespace
}  // namespace vl::test

// Stands in for the C library's fsync in this program to note what is flushed.
extern "C" int fsync(int fd) {
    std::error_code error;
    vl::test::flushed.push_back(
        std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error).string());
    return static_cast<int>(syscall(SYS_fsync, fd));
}

namespace vl::test {
namespace {

namespace fs = std::filesystem;

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST(SettingsStore, the_default_path_follows_the_config_home_or_home) {
    const TempDir dir;
    const char* const saved[] = {std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")};
    const std::string copies[] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : ""};
    const std::string underHome = dir.path() + "/.config/Tolvek Software/vlmidiin.ini";
    setenv("HOME", dir.path().c_str(), 1);
    for (const char* configHome : {dir.path().c_str(), "", "relative/dir", static_cast<const char*>(nullptr)}) {
        if (configHome) setenv("XDG_CONFIG_HOME", configHome, 1);
        else unsetenv("XDG_CONFIG_HOME");
        EXPECT_EQ(SettingsStore::defaultPath(), configHome == dir.path().c_str()
                      ? dir.path() + "/Tolvek Software/vlmidiin.ini" : underHome);
    }
    unsetenv("HOME");
    EXPECT_EQ(SettingsStore::defaultPath(), "");
    for (int i = 0; i < 2; ++i)  // as they were, unset ones unset
        if (saved[i]) setenv(i == 0 ? "XDG_CONFIG_HOME" : "HOME", copies[i].c_str(), 1);
        else unsetenv(i == 0 ? "XDG_CONFIG_HOME" : "HOME");
}

TEST(SettingsStore, a_missing_file_or_path_reads_as_empty) {
    const TempDir dir;
    for (const std::string& path : {dir.path() + "/none.ini", dir.path(), std::string()}) {
        SettingsStore store(path);
        store.load();
        EXPECT_EQ(store.readInt("rhythm resolution", "swing", 42), 42) << path;
    }
    EXPECT_FALSE(SettingsStore("").save());
}

TEST(SettingsStore, values_are_read_from_an_imperfect_file) {
    SettingsStore store(sourcePath("tests/data/settings/imperfect.ini").string());
    store.load();
    for (const Case& c : readCases("settings_store_reads")) {
        const std::string& read = c["read"];
        const size_t slash = read.find('/');
        const int32_t value = store.readInt(read.substr(0, slash), read.substr(slash + 1), 1234);
        EXPECT_EQ(value, c["value"] == "absent" ? 1234 : std::stoi(c["value"]))
            << where("settings_store_reads", c);
    }
}

TEST(SettingsStore, an_oversized_file_is_read_up_to_the_limit) {
    const TempDir dir;
    const std::string path = dir.path() + "/vlmidiin.ini";
    const std::string filler(SettingsStore::kMaxFileSize, ';');
    writeText(path, "[s]\nfirst=1\n" + filler + "\nlast=2\n");
    SettingsStore store(path);
    store.load();
    EXPECT_EQ(store.readInt("s", "first", 0), 1);
    EXPECT_EQ(store.readInt("s", "last", 0), 0);
}

TEST(SettingsStore, save_creates_the_directory_flushes_and_leaves_only_the_file) {
    const TempDir dir;
    const std::string folder = fs::canonical(dir.path()).string() + "/config/Tolvek Software";
    const std::string path = folder + "/vlmidiin.ini";
    SettingsStore store(path);
    store.writeInt("rhythm resolution", "swing", 1);
    store.writeInt("input resolution", "quantisation beat", -7);
    flushed.clear();
    ASSERT_TRUE(store.save());
    ASSERT_EQ(flushed.size(), 2u);  // the new file before the rename, then the directory
    EXPECT_EQ(flushed[0].rfind(path + ".tmp-", 0), 0u) << flushed[0];
    EXPECT_EQ(flushed[1], folder);
    EXPECT_EQ(readText(path),
              "[rhythm resolution]\nswing=1\n\n[input resolution]\nquantisation beat=-7\n");
    store.writeInt("rhythm resolution", "swing", 0);  // a second save replaces the file
    ASSERT_TRUE(store.save());
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{"vlmidiin.ini"});
    SettingsStore again(path);
    again.load();
    EXPECT_EQ(again.readInt("rhythm resolution", "swing", -1), 0);
}

TEST(SettingsStore, saving_keeps_what_others_wrote_and_refuses_names_that_break_the_file) {
    const TempDir dir;
    const std::string path = dir.path() + "/vlmidiin.ini";
    writeText(path, "; by hand\n[window]\nx = 10\n[rhythm resolution]\nswing=1\nnonsense\n");
    SettingsStore store(path);
    store.load();
    store.writeInt("Rhythm Resolution", "SWING", 0);  // the existing entry is updated
    const std::string badNames[] = {"a=b", "", "; c", " padded", std::string("x\ny", 3)};
    for (const std::string& bad : badNames) store.writeInt("s", bad, 1);
    store.writeInt("bad]section", "v", 1);
    store.writeInt("", "v", 1);
    store.writeInt("rhythm resolution", "triplets", 1);
    ASSERT_TRUE(store.save());
    EXPECT_EQ(readText(path),
              "; by hand\n\n[window]\nx=10\n\n[rhythm resolution]\nswing=0\ntriplets=1\n");
}

TEST(SettingsStore, a_failed_save_leaves_the_target_and_no_temporary_file) {
    const TempDir dir;
    const std::string target = dir.path() + "/vlmidiin.ini";  // a directory: no rename over it
    fs::create_directory(target);
    SettingsStore store(target);
    store.writeInt("s", "v", 1);
    EXPECT_FALSE(store.save());
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"vlmidiin.ini"});
    writeText(dir.path() + "/plain", "y");  // a file where the directory must go
    SettingsStore blocked(dir.path() + "/plain/sub/vlmidiin.ini");
    blocked.writeInt("s", "v", 1);
    EXPECT_FALSE(blocked.save());
    EXPECT_EQ(readText(dir.path() + "/plain"), "y");
}

}  // namespace
}  // namespace vl::test
