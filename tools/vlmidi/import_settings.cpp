#include "import_settings.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "exit_codes.h"
#include "open_session.h"
#include "settings_choice.h"
#include "settings_run.h"
#include "vlmidiin.h"

namespace vl::cli {

namespace {

constexpr const char* kAuto = "auto";

std::optional<NotationSimplicity> parseSimplicityLine(const std::string& line) {
    std::istringstream in(line);
    NotationSimplicity s;
    if (!readSimplicity(in, s)) return std::nullopt;
    return s;
}

// The import's arguments with the options a candidate's run needs in front.
Arguments candidateArguments(const Arguments& forwarded) {
    Arguments args{"import", kSimplicityOption, "--quiet"};
    args.insert(args.end(), forwarded.begin(), forwarded.end());
    return args;
}

// Transcribes with every candidate and answers the simplest; nothing when no candidate's run
// gave figures.
std::optional<TranscriptionSettings> chooseSettings(const SwingFigures& figures,
                                                    const Arguments& forwarded) {
    std::vector<TranscriptionSettings> tried;
    std::vector<NotationSimplicity> outcomes;
    for (const TranscriptionSettings& candidate : candidateSettings(figures)) {
        const ChildRun run = runWithSettings(candidate, candidateArguments(forwarded), true);
        const auto simplicity = parseSimplicityLine(run.output);
        if (run.exitStatus != kExitSuccess || !simplicity) continue;
        tried.push_back(candidate);
        outcomes.push_back(*simplicity);
    }
    if (tried.empty()) return std::nullopt;
    return tried[chooseSimplest(outcomes)];
}

int exitCodeOf(const ChildRun& run) {
    if (!run.started) {
        std::fputs("vlmidi: import: cannot start a transcription with other settings\n", stderr);
        return kExitUnreadableFile;
    }
    return run.exitStatus < 0 ? kExitUnreadableFile : run.exitStatus;
}

}  // namespace

std::optional<std::string> checkSettingsChoice(const std::string& choice) {
    if (choice == kAuto || parseSettings(choice, TranscriptionSettings{})) return std::nullopt;
    return "import: --settings takes auto or beat=4..7,swing=on|off,triplets=on|off, not '" +
           choice + "'";
}

int importWithSettings(const std::string& choice, const std::string& path,
                       const Arguments& forwarded, bool quiet) {
    Arguments args{"import"};
    args.insert(args.end(), forwarded.begin(), forwarded.end());
    if (choice != kAuto) {
        return exitCodeOf(runWithSettings(*parseSettings(choice, TranscriptionSettings{}), args,
                                          false));
    }
    SwingFigures figures;
    {
        const OpenSession session(vlImportOpenFromName(path.c_str()));
        if (session.get() == nullptr) return reportUnreadableFile(path);
        figures = swingFiguresOf(session.get());
    }
    const std::optional<TranscriptionSettings> chosen = chooseSettings(figures, forwarded);
    if (!chosen) return exitCodeOf(ChildRun{});
    if (!quiet) std::fprintf(stderr, "vlmidi: settings chosen: %s\n", chosen->describe().c_str());
    return exitCodeOf(runWithSettings(*chosen, args, false));
}

}  // namespace vl::cli
