// vlmidi convert IN... -o OUTDIR: every MIDI file of the inputs (folders walked recursively)
// to a MusicXML or JSON document mirrored under OUTDIR, each in a child process of its own, with
// a manifest line per input. Outputs newer than their input are kept, so a rerun resumes.

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>

#include "commands.h"
#include "convert_manifest.h"
#include "convert_progress.h"
#include "convert_shard.h"
#include "convert_worker.h"
#include "exit_codes.h"
#include "input_walk.h"
#include "worker_pool.h"

namespace vl::cli {

namespace {

struct ConvertOptions {
    std::vector<std::string> inputs;
    std::string outputFolder;
    std::string format = "musicxml";
    std::size_t jobs = 0;  // 0: one per core
    Shard shard;
    bool sharded = false;
    bool force = false;
    double timeoutSeconds = 60;
};

volatile sig_atomic_t interrupted = 0;

void onInterrupt(int) { interrupted = 1; }

std::optional<std::string> optionValue(const Arguments& args, std::size_t& i,
                                       std::string& value) {
    const std::string& arg = args[i];
    if (const std::size_t equals = arg.find('='); arg.rfind("--", 0) == 0 &&
                                                  equals != std::string::npos) {
        value = arg.substr(equals + 1);
        return std::nullopt;
    }
    if (i + 1 >= args.size()) return "convert: " + arg + " needs a value";
    value = args[++i];
    return std::nullopt;
}

std::optional<std::string> applyOption(const std::string& name, const std::string& value,
                                       ConvertOptions& options) {
    if (name == "-o" || name == "--output") {
        options.outputFolder = value;
        if (value.empty()) return std::string("convert: empty OUTDIR");
    } else if (name == "--format") {
        if (value != "musicxml" && value != "json") {
            return "convert: unknown format '" + value + "' (musicxml, json)";
        }
        options.format = value;
    } else if (name == "-j" || name == "--jobs") {
        char* end = nullptr;
        const long jobs = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || jobs < 1 || jobs > 1024) {
            return "convert: -j needs a number of workers from 1 to 1024, not '" + value + "'";
        }
        options.jobs = static_cast<std::size_t>(jobs);
    } else if (name == "--shard") {
        const auto shard = parseShard(value);
        if (!shard) return "convert: --shard needs K/N with 0 <= K < N, not '" + value + "'";
        options.shard = *shard;
        options.sharded = true;
    } else {  // --timeout
        char* end = nullptr;
        const double seconds = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0' || !(seconds > 0) || seconds > INT_MAX / 1000) {
            return "convert: --timeout needs a number of seconds above 0, not '" + value + "'";
        }
        options.timeoutSeconds = seconds;
    }
    return std::nullopt;
}

bool takesValue(const std::string& name) {
    for (const char* option : {"-o", "--output", "--format", "-j", "--jobs", "--shard",
                               "--timeout"}) {
        if (name == option) return true;
    }
    return false;
}

std::optional<std::string> parseOptions(const Arguments& args, ConvertOptions& options) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string name = arg.substr(0, arg.find('='));
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.inputs.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg.size() > 2 && arg.rfind("-j", 0) == 0 && arg[2] != '=') {
            if (auto mistake = applyOption("-j", arg.substr(2), options)) return mistake;
        } else if (takesValue(arg) || (name.rfind("--", 0) == 0 && takesValue(name))) {
            std::string value;
            if (auto mistake = optionValue(args, i, value)) return mistake;
            if (auto mistake = applyOption(takesValue(arg) ? arg : name, value, options)) {
                return mistake;
            }
        } else {
            return "convert: unknown option '" + arg + "'";
        }
    }
    if (options.inputs.empty()) return std::string("convert: no IN given");
    if (options.outputFolder.empty()) return std::string("convert: no -o OUTDIR given");
    return std::nullopt;
}

// The inputs of this shard; none when two inputs would write the same output.
std::optional<std::vector<InputFile>> selectInputs(const ConvertOptions& options,
                                                   bool& filesLost) {
    InputWalk walk = walkInputs(options.inputs);
    for (const WalkProblem& problem : walk.problems) {
        std::fprintf(stderr, "vlmidi: convert: skipped folder '%s': %s\n", problem.path.c_str(),
                     problem.reason.c_str());
        filesLost = filesLost || problem.filesLost;
    }
    std::unordered_map<std::string, const InputFile*> byRelative;
    for (const InputFile& input : walk.inputs) {
        const auto [other, fresh] = byRelative.emplace(input.relative, &input);
        if (!fresh) {
            std::fprintf(stderr,
                         "vlmidi: convert: '%s' and '%s' have the same path '%s' below OUTDIR\n",
                         other->second->path.c_str(), input.path.c_str(), input.relative.c_str());
            return std::nullopt;
        }
    }
    std::erase_if(walk.inputs, [&](const InputFile& input) {
        return !inShard(input.relative, options.shard);
    });
    return std::move(walk.inputs);
}

std::string manifestPath(const ConvertOptions& options) {
    if (!options.sharded) return options.outputFolder + "/manifest.jsonl";
    // Machines that share OUTDIR each keep their own manifest.
    return options.outputFolder + "/manifest-" + std::to_string(options.shard.index) + "-of-" +
           std::to_string(options.shard.count) + ".jsonl";
}

bool newerThan(const std::string& output, const std::string& input) {
    struct stat out {}, in {};
    if (::stat(output.c_str(), &out) != 0 || ::stat(input.c_str(), &in) != 0) return false;
    if (out.st_mtim.tv_sec != in.st_mtim.tv_sec) return out.st_mtim.tv_sec > in.st_mtim.tv_sec;
    return out.st_mtim.tv_nsec > in.st_mtim.tv_nsec;
}

// A temporary folder for the workers' prepared copies (TMPDIR of every worker), removed with
// this object: a worker killed at the timeout cannot clean up after itself.
class WorkerScratch {
public:
    WorkerScratch() {
        std::error_code error;
        std::string pattern =
            (std::filesystem::temp_directory_path(error) / "vlmidi-convert-XXXXXX").string();
        if (error || mkdtemp(pattern.data()) == nullptr) return;
        folder_ = pattern;
        setenv("TMPDIR", folder_.c_str(), 1);
    }
    ~WorkerScratch() {
        std::error_code error;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, error);
    }
    WorkerScratch(const WorkerScratch&) = delete;
    WorkerScratch& operator=(const WorkerScratch&) = delete;

private:
    std::string folder_;
};

std::string workerProgram() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("vlmidi") : self.string();
}

class ConvertRun {
public:
    ConvertRun(const ConvertOptions& options, std::vector<InputFile> inputs)
        : options_(options),
          inputs_(std::move(inputs)),
          pool_(options.jobs, std::chrono::milliseconds(
                                  static_cast<std::int64_t>(options.timeoutSeconds * 1000))),
          progress_(stderr, inputs_.size(), isatty(STDERR_FILENO) != 0),
          program_(workerProgram()) {}

    std::optional<std::string> openManifest() { return manifest_.open(manifestPath(options_)); }

    int run() {
        std::size_t next = 0;
        while (interrupted == 0 && (next < inputs_.size() || !pool_.empty())) {
            while (interrupted == 0 && next < inputs_.size() && !pool_.full()) begin(next++);
            if (pool_.empty()) continue;
            for (WorkerEnd& end : pool_.collect(std::chrono::milliseconds(100))) finish(end);
            if (const auto oldest = pool_.oldest()) {
                progress_.show(inputs_[oldest->first].path, oldest->second);
            }
        }
        if (interrupted != 0) return stop();
        progress_.summarise();
        const std::size_t good =
            progress_.count(ConvertStatus::Ok) + progress_.count(ConvertStatus::Skipped);
        return good == inputs_.size() && manifestWritten_ ? kExitSuccess : kExitUnreadableFile;
    }

private:
    std::string outputOf(const InputFile& input) const {
        return mirroredOutputPath(options_.outputFolder, input.relative,
                                  options_.format == "json" ? ".json" : ".musicxml");
    }

    ConvertOutcome outcomeOf(const InputFile& input) const {
        ConvertOutcome outcome;
        outcome.input = input.path;
        outcome.output = outputOf(input);
        return outcome;
    }

    static std::string temporaryOf(const std::string& output) { return output + ".part"; }

    void begin(std::size_t job) {
        const InputFile& input = inputs_[job];
        ConvertOutcome outcome = outcomeOf(input);
        if (!options_.force && newerThan(outcome.output, input.path)) {
            outcome.status = ConvertStatus::Skipped;
            return record(outcome);
        }
        if (auto error = makeFolderOf(outcome.output)) {
            outcome.status = ConvertStatus::Unwritable;
            outcome.error = *error;
            return record(outcome);
        }
        if (auto error = pool_.start(job, {program_, "convert", kWorkerFlag, options_.format,
                                           input.path, temporaryOf(outcome.output)})) {
            outcome.status = ConvertStatus::Crashed;
            outcome.error = "cannot start a worker (" + *error + ")";
            record(outcome);
        }
    }

    std::optional<std::string> makeFolderOf(const std::string& output) {
        const std::string folder = std::filesystem::path(output).parent_path().string();
        if (folder == lastFolder_) return std::nullopt;
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) return "cannot make folder '" + folder + "' (" + error.message() + ")";
        lastFolder_ = folder;
        return std::nullopt;
    }

    void finish(WorkerEnd& end) {
        const InputFile& input = inputs_[end.job];
        ConvertOutcome outcome = outcomeOf(input);
        if (interrupted != 0 && end.how == WorkerEnd::How::Signalled) {
            // Ctrl-C reached the worker too: the file is left for the rerun.
            std::remove(temporaryOf(outcome.output).c_str());
            return;
        }
        outcome.milliseconds = end.milliseconds;
        describeEnd(end, outcome);
        const std::string temporary = temporaryOf(outcome.output);
        if (outcome.status == ConvertStatus::Ok &&
            std::rename(temporary.c_str(), outcome.output.c_str()) != 0) {
            outcome.status = ConvertStatus::Unwritable;
            outcome.error = "cannot rename '" + temporary + "' to '" + outcome.output + "' (" +
                            std::strerror(errno) + ")";
            outcome.counts.reset();
        }
        if (outcome.status != ConvertStatus::Ok) std::remove(temporary.c_str());
        record(outcome);
    }

    void describeEnd(const WorkerEnd& end, ConvertOutcome& outcome) const {
        if (end.how == WorkerEnd::How::TimedOut) {
            outcome.status = ConvertStatus::Timeout;
            char text[64];
            std::snprintf(text, sizeof text, "stopped at the timeout of %g s",
                          options_.timeoutSeconds);
            outcome.error = text;
        } else if (end.how == WorkerEnd::How::Signalled) {
            outcome.status = ConvertStatus::Crashed;
            outcome.error = "worker killed by signal " + std::to_string(end.code) + " (" +
                            strsignal(end.code) + ")";
        } else if (const auto answer = parseWorkerAnswer(end.said);
                   // "ok" counts only from a worker that then ended cleanly.
                   answer && (answer->status != ConvertStatus::Ok || end.code == 0)) {
            outcome.status = answer->status;
            outcome.error = answer->error;
            if (answer->status == ConvertStatus::Ok) outcome.counts = answer->counts;
        } else {
            outcome.status = ConvertStatus::Crashed;
            outcome.error = "worker ended with status " + std::to_string(end.code);
        }
    }

    void record(const ConvertOutcome& outcome) {
        progress_.finished(outcome);
        if (!manifest_.append(manifestLine(outcome)) && manifestWritten_) {
            manifestWritten_ = false;
            std::fprintf(stderr, "\nvlmidi: convert: cannot write '%s'\n",
                         manifestPath(options_).c_str());
        }
    }

    // Ctrl-C: the files still being converted get no manifest entry and no output, so that a
    // rerun converts them.
    int stop() {
        for (const std::size_t job : pool_.killAll()) {
            std::remove(temporaryOf(outputOf(inputs_[job])).c_str());
        }
        progress_.summarise();
        std::fputs("vlmidi: convert: interrupted; run the same command again to finish\n",
                   stderr);
        return kExitCancelled;
    }

    const ConvertOptions& options_;
    std::vector<InputFile> inputs_;
    WorkerScratch scratch_;  // outlives the pool, which kills the workers still running
    WorkerPool pool_;
    ConvertProgress progress_;
    std::string program_;
    ManifestFile manifest_;
    std::string lastFolder_;
    bool manifestWritten_ = true;
};

}  // namespace

int runConvertCommand(const Arguments& args) {
    if (!args.empty() && args[0] == kWorkerFlag) return runConvertWorker(args);
    const Command* self = findCommand("convert");
    ConvertOptions options;
    if (const auto mistake = parseOptions(args, options)) return usageError(*mistake, self);
    if (options.jobs == 0) options.jobs = std::max(1U, std::thread::hardware_concurrency());

    bool filesLost = false;
    auto inputs = selectInputs(options, filesLost);
    if (!inputs) return kExitUsageError;
    std::error_code error;
    std::filesystem::create_directories(options.outputFolder, error);
    ConvertRun run(options, std::move(*inputs));
    if (error) {
        std::fprintf(stderr, "vlmidi: convert: cannot make folder '%s' (%s)\n",
                     options.outputFolder.c_str(), error.message().c_str());
        return kExitUnreadableFile;
    }
    if (const auto reason = run.openManifest()) {
        std::fprintf(stderr, "vlmidi: convert: cannot write '%s' (%s)\n",
                     manifestPath(options).c_str(), reason->c_str());
        return kExitUnreadableFile;
    }
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A reader of stderr that went away must not end the run half way.
    signal(SIGPIPE, SIG_IGN);
    const int status = run.run();
    return status == kExitSuccess && filesLost ? kExitUnreadableFile : status;
}

}  // namespace vl::cli
