#include "open_session.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "exit_codes.h"

namespace vl::cli {

std::string reasonFileIsUnreadable(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return "no such file";
    if (status.type() == std::filesystem::file_type::directory) return "it is a directory";
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
        return "not a Standard MIDI File or RIFF MIDI file, or damaged";
    }
    return std::strerror(errno);
}

int reportUnreadableFile(const std::string& path) {
    std::fprintf(stderr, "vlmidi: cannot read MIDI file '%s' (%s)\n", path.c_str(),
                 reasonFileIsUnreadable(path).c_str());
    return kExitUnreadableFile;
}

std::optional<std::string> readAfterStep(const std::string& command, const Arguments& args,
                                         std::size_t& i, bool& afterInitialise) {
    if (i + 1 >= args.size()) return command + ": --after needs a STEP";
    const std::string& step = args[++i];
    if (step == "initialise" || step == "initialize") {
        afterInitialise = true;
    } else if (step != "read") {
        return command + ": unknown STEP '" + step + "' (read, initialise)";
    }
    return std::nullopt;
}

}  // namespace vl::cli
