// The INI settings store: where it lives, what it reads from imperfect
// files, and that saving replaces the file atomically and keeps the rest.
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include <sys/syscall.h>
#include <unistd.h>

#include "support/smf_builder.h"

namespace {

// The files flushed by fsync in this test program, named as they were at the
// flush.
std::vector<std::string>& flushedFiles() {
    static std::vector<std::string> names;
    return names;
}

}  // namespace

// Stands in for the C library's fsync in this program to note what is flushed.
extern "C" int fsync(int fd) {
    std::error_code error;
    flushedFiles().push_back(
        std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error).string());
    return static_cast<int>(syscall(SYS_fsync, fd));
}

namespace {

namespace fs = std::filesystem;

void writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    return names;
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(SettingsStore, the_default_path_follows_the_config_home) {
    vl::test::TempDir dir;
    {
        ScopedEnv config("XDG_CONFIG_HOME", dir.path().c_str());
        EXPECT_EQ(vl::SettingsStore::defaultPath(),
                  dir.path() + "/Tolvek Software/vlmidiin.ini");
    }
    ScopedEnv home("HOME", dir.path().c_str());
    for (const char* config : {static_cast<const char*>(nullptr), "", "relative/dir"}) {
        ScopedEnv unset("XDG_CONFIG_HOME", config);
        EXPECT_EQ(vl::SettingsStore::defaultPath(),
                  dir.path() + "/.config/Tolvek Software/vlmidiin.ini");
    }
    ScopedEnv noConfig("XDG_CONFIG_HOME", nullptr);
    ScopedEnv noHome("HOME", nullptr);
    EXPECT_EQ(vl::SettingsStore::defaultPath(), "");
}

TEST(SettingsStore, a_missing_file_or_path_reads_as_empty) {
    vl::test::TempDir dir;
    for (const std::string& path : {dir.path() + "/none.ini", dir.path(), std::string()}) {
        vl::SettingsStore store(path);
        store.load();
        EXPECT_EQ(store.readInt("rhythm resolution", "swing", 42), 42) << path;
    }
    vl::SettingsStore noPath("");
    EXPECT_FALSE(noPath.save());
}

TEST(SettingsStore, values_are_read_from_imperfect_files) {
    vl::test::TempDir dir;
    const std::string path = dir.path() + "/vlmidiin.ini";
    writeText(path,
              "orphan=1\r\n"
              "\x01\x02\xff garbage without equals\n"
              "[rhythm resolution]\r\n"
              "  swing   =   0  \r\n"
              "TRIPLETS=+5\n"
              "quantisation beat= -3\n"
              "swing=1\n"                       // the first of two wins
              "= nameless\n"
              "long=" + std::string(100000, '7') + "\n"
              "[ Input Resolution ]\n"
              "swing=4294967295\n"              // stored as a 32-bit word
              "triplets=99999999999\n"          // out of range
              "quantisation beat=5x\n"
              "empty=\n"
              "[broken\n"
              "tail=9\n"                        // still in [input resolution]
              "[rhythm resolution]\n"           // reopens the first section
              "extra=8");                       // no final newline
    vl::SettingsStore store(path);
    store.load();
    constexpr int32_t kAbsent = 1234;  // the default passed in
    struct Case {
        const char* section;
        const char* name;
        int32_t expected;
    } cases[] = {
        {"rhythm resolution", "swing", 0},
        {"rhythm resolution", "triplets", 5},
        {"Rhythm Resolution", "Quantisation Beat", -3},
        {"rhythm resolution", "long", kAbsent},    // not a 32-bit number
        {"rhythm resolution", "extra", 8},
        {"rhythm resolution", "orphan", kAbsent},  // before any section
        {"input resolution", "swing", -1},
        {"input resolution", "triplets", kAbsent},
        {"input resolution", "quantisation beat", kAbsent},
        {"input resolution", "empty", kAbsent},
        {"input resolution", "tail", 9},
        {"broken", "tail", kAbsent},
    };
    for (const Case& c : cases)
        EXPECT_EQ(store.readInt(c.section, c.name, kAbsent), c.expected)
            << c.section << "/" << c.name;
}

TEST(SettingsStore, an_oversized_file_is_read_up_to_the_limit) {
    vl::test::TempDir dir;
    const std::string path = dir.path() + "/vlmidiin.ini";
    std::string text = "[s]\nfirst=1\n";
    text += std::string(vl::SettingsStore::kMaxFileSize, ';');
    text += "\nlast=2\n";
    writeText(path, text);
    vl::SettingsStore store(path);
    store.load();
    EXPECT_EQ(store.readInt("s", "first", 0), 1);
    EXPECT_EQ(store.readInt("s", "last", 0), 0);
}

TEST(SettingsStore, save_creates_the_directory_and_leaves_only_the_file) {
    vl::test::TempDir dir;
    const std::string folder = dir.path() + "/config/Tolvek Software";
    const std::string path = folder + "/vlmidiin.ini";
    vl::SettingsStore store(path);
    store.writeInt("rhythm resolution", "swing", 1);
    store.writeInt("input resolution", "quantisation beat", -7);
    ASSERT_TRUE(store.save());
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{"vlmidiin.ini"});
    EXPECT_EQ(readText(path),
              "[rhythm resolution]\nswing=1\n\n[input resolution]\nquantisation beat=-7\n");

    store.writeInt("rhythm resolution", "swing", 0);  // a second save replaces the file
    ASSERT_TRUE(store.save());
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{"vlmidiin.ini"});
    vl::SettingsStore again(path);
    again.load();
    EXPECT_EQ(again.readInt("rhythm resolution", "swing", -1), 0);
    EXPECT_EQ(again.readInt("input resolution", "quantisation beat", 0), -7);
}

TEST(SettingsStore, save_flushes_the_new_file_before_the_rename_and_then_the_directory) {
    vl::test::TempDir dir;
    const std::string folder = fs::canonical(dir.path()).string();
    vl::SettingsStore store(folder + "/vlmidiin.ini");
    store.writeInt("s", "v", 1);
    flushedFiles().clear();
    ASSERT_TRUE(store.save());
    ASSERT_EQ(flushedFiles().size(), 2u);
    EXPECT_EQ(flushedFiles()[0].rfind(folder + "/vlmidiin.ini.tmp-", 0), 0u) << flushedFiles()[0];
    EXPECT_EQ(flushedFiles()[1], folder);
}

TEST(SettingsStore, saving_keeps_what_others_wrote_in_the_file) {
    vl::test::TempDir dir;
    const std::string path = dir.path() + "/vlmidiin.ini";
    writeText(path,
              "; written by hand\n[window]\nx = 10\ny=20\n"
              "[rhythm resolution]\nswing=1\nnote=kept\nnonsense line\n");
    vl::SettingsStore store(path);
    store.load();
    store.writeInt("Rhythm Resolution", "SWING", 0);  // the existing entry is updated
    store.writeInt("rhythm resolution", "triplets", 1);
    ASSERT_TRUE(store.save());
    EXPECT_EQ(readText(path),
              "; written by hand\n\n[window]\nx=10\ny=20\n\n"
              "[rhythm resolution]\nswing=0\nnote=kept\ntriplets=1\n");
}

TEST(SettingsStore, a_failed_save_leaves_the_target_and_no_temporary_file) {
    vl::test::TempDir dir;
    // the target is a directory: the rename over it fails
    const std::string target = dir.path() + "/vlmidiin.ini";
    fs::create_directory(target);
    writeText(target + "/inside", "x");
    vl::SettingsStore store(target);
    store.writeInt("s", "v", 1);
    EXPECT_FALSE(store.save());
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"vlmidiin.ini"});
    EXPECT_EQ(readText(target + "/inside"), "x");

    // the directory cannot be made: a file stands in its way
    writeText(dir.path() + "/plain", "y");
    vl::SettingsStore blocked(dir.path() + "/plain/sub/vlmidiin.ini");
    blocked.writeInt("s", "v", 1);
    EXPECT_FALSE(blocked.save());
    EXPECT_EQ(readText(dir.path() + "/plain"), "y");
}

TEST(SettingsStore, names_that_would_break_the_file_are_not_written) {
    vl::test::TempDir dir;
    const std::string path = dir.path() + "/vlmidiin.ini";
    vl::SettingsStore store(path);
    store.writeInt("bad]section", "v", 1);
    store.writeInt("s", "a=b", 1);
    store.writeInt("s", "", 1);
    store.writeInt("", "v", 1);
    store.writeInt("s", std::string("x\ny", 3), 1);
    store.writeInt("s", "; comment", 1);
    store.writeInt("s", " padded", 1);
    store.writeInt("s", "fine", 2);
    ASSERT_TRUE(store.save());
    EXPECT_EQ(readText(path), "[s]\nfine=2\n");
}

}  // namespace
