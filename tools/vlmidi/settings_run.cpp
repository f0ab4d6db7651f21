#include "settings_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vl::cli {

namespace {

namespace fs = std::filesystem;

// A temporary settings folder, removed with everything in it when the run is over.
class SettingsHome {
public:
    explicit SettingsHome(const TranscriptionSettings& settings) {
        std::error_code error;
        const fs::path temporary = fs::temp_directory_path(error);
        if (error) return;
        std::string folder = (temporary / "vlmidi-settings-XXXXXX").string();
        if (::mkdtemp(folder.data()) == nullptr) return;
        path_ = folder;
        fs::create_directories(fs::path(path_) / "Tolvek Software", error);
        std::ofstream(fs::path(path_) / "Tolvek Software" / "vlmidiin.ini") << settings.iniText();
    }
    ~SettingsHome() {
        std::error_code error;
        if (!path_.empty()) fs::remove_all(path_, error);
    }
    SettingsHome(const SettingsHome&) = delete;
    SettingsHome& operator=(const SettingsHome&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// In the child: becomes this program again with the settings folder and the arguments.
[[noreturn]] void execSelf(const std::string& home, const std::vector<std::string>& args) {
    ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    std::vector<char*> argv;
    static char name[] = "vlmidi";
    argv.push_back(name);
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv("/proc/self/exe", argv.data());
    ::_exit(127);
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            return text;
        }
    }
}

int waitFor(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

ChildRun runWithSettings(const TranscriptionSettings& settings,
                         const std::vector<std::string>& args, bool captureOutput) {
    ChildRun run;
    const SettingsHome home(settings);
    if (home.path().empty()) return run;
    int pipeEnds[2] = {-1, -1};
    if (captureOutput && ::pipe(pipeEnds) != 0) return run;
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        if (captureOutput) {
            ::dup2(pipeEnds[1], STDOUT_FILENO);
            ::close(pipeEnds[0]);
            ::close(pipeEnds[1]);
        }
        execSelf(home.path(), args);
    }
    if (captureOutput) ::close(pipeEnds[1]);
    if (child < 0) {
        if (captureOutput) ::close(pipeEnds[0]);
        return run;
    }
    run.started = true;
    if (captureOutput) {
        run.output = readAll(pipeEnds[0]);
        ::close(pipeEnds[0]);
    }
    run.exitStatus = waitFor(child);
    return run;
}

}  // namespace vl::cli
