#include "settings_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "exit_codes.h"

namespace vl::cli {

namespace {

namespace fs = std::filesystem;

std::optional<struct stat> statusOf(const std::string& path) {
    struct stat status {};
    if (path.empty() || ::stat(path.c_str(), &status) != 0) return std::nullopt;
    return status;
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && sameTime(a.st_mtim, b.st_mtim) &&
           sameTime(a.st_ctim, b.st_ctim);
}

// Why no file could be written at path, found by trying what a save does:
// making the directory and creating a file in it.
std::string reasonNotWritten(const fs::path& path) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    if (error) return error.message();
    const std::string probe = path.string() + ".probe-" + std::to_string(::getpid());
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return std::strerror(errno);
    ::close(fd);
    ::unlink(probe.c_str());
    if (fs::is_directory(path, error)) return std::strerror(EISDIR);
    return "the file was not replaced";
}

}  // namespace

std::string settingsFilePath() {
    fs::path base;
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (configHome != nullptr && fs::path(configHome).is_absolute())
        base = configHome;
    else if (home != nullptr && fs::path(home).is_absolute())
        base = fs::path(home) / ".config";
    else
        return {};
    return (base / "Tolvek Software" / "vlmidiin.ini").string();
}

SettingsSaveCheck::SettingsSaveCheck() : path_(settingsFilePath()), before_(statusOf(path_)) {}

std::optional<std::string> SettingsSaveCheck::failure() const {
    if (path_.empty())
        return "cannot save the settings: neither XDG_CONFIG_HOME nor HOME is an absolute path";
    const std::optional<struct stat> after = statusOf(path_);
    if (after && S_ISREG(after->st_mode) && !(before_ && sameFile(*before_, *after)))
        return std::nullopt;
    return "cannot save the settings to " + path_ + ": " + reasonNotWritten(path_);
}

int reportSettingsNotSaved(const std::string& failure) {
    std::fprintf(stderr, "vlmidi: config: %s\n", failure.c_str());
    return kExitNotSaved;
}

}  // namespace vl::cli
