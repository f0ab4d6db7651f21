#pragma once
// One file of a whole-collection conversion, run in a child process of its own: it imports the
// file as 'vlmidi import' does, writes the document to a temporary file and answers its parent
// with one line on stdout: "ok NOTES STRANDS BARS", "unreadable REASON" or "unwritable REASON".

#include <optional>
#include <string>

#include "commands.h"
#include "convert_manifest.h"

namespace vl::cli {

// The argument that puts 'vlmidi convert' in worker mode: --worker FORMAT INPUT TEMPORARY.
constexpr const char* kWorkerFlag = "--worker";

int runConvertWorker(const Arguments& args);

struct WorkerAnswer {
    ConvertStatus status = ConvertStatus::Crashed;
    ScoreCounts counts;
    std::string error;
};

// The worker's answer line; nothing when it is not one.
std::optional<WorkerAnswer> parseWorkerAnswer(const std::string& said);

}  // namespace vl::cli
