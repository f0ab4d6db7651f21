// Times what a host does with a MIDI file, through the C interface: open ->
// initialise -> walk every item of every list -> close, with each
// transcription step timed from the progress captions the driver sends, and a
// reader-only baseline (open and close) of the same file. Every measurement
// runs in a fresh process (this program started again), so its peak resident
// set belongs to that file alone. Prints one column per file and the growth
// between neighbouring columns (about 10 per tenfold when a step is linear).
//
//   import_pipeline_bench [--runs N] FILE...   median of N runs (default 3)
//   import_pipeline_bench [--runs N]           generates 10^3..10^6-note files first

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "synthetic_midi.h"
#include "vlmidiin.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// ---- Child: one measurement, printed as "name<TAB>value" lines ----------------

struct Caption {
    std::string text;
    Clock::time_point at;
};
std::vector<Caption>* captions = nullptr;

intptr_t recordCaption(void*, uint32_t, uintptr_t, intptr_t lparam) {
    const auto* report = reinterpret_cast<const VlProgressReport*>(lparam);
    if (captions != nullptr && report != nullptr && report->line == 1 && report->text != nullptr)
        captions->push_back({report->text, Clock::now()});
    return 0;
}

size_t walkList(ImportSession* session) {
    size_t items = 0;
    ImportItem item{};
    for (bool more = vlImportGetFirstItem(session, &item); more;
         more = vlImportGetNextItem(session, &item))
        ++items;
    return items;
}

size_t walkEverything(ImportSession* session) {
    size_t items = 0;
    if (vlImportGetStartItems(session)) items += walkList(session);
    if (vlImportGetGuideStrand(session)) items += walkList(session);
    ImportItem voicing{};
    for (bool more = vlImportGetFirstStrand(session); more; more = vlImportGetNextStrand(session)) {
        vlImportGetStartVoicing(session, &voicing);
        items += walkList(session);
    }
    return items;
}

// mode: 'r' reader only; 'p' the pipeline with a handler that records the
// captions and answers 0 to every report; 'q' the pipeline with no handler
// and no window, so that no report is sent at all.
int runChild(char mode, const char* path) {
    const bool pipeline = mode != 'r';
    const bool hostListens = mode != 'q';
    vlImportSetMessageHandler(hostListens ? recordCaption : nullptr);
    // With a window and a handler every progress report goes to the handler.
    void* window = hostListens ? reinterpret_cast<void*>(1) : nullptr;
    const auto t0 = Clock::now();
    ImportSession* session = vlImportOpen(window, 0x8000, path);
    const auto t1 = Clock::now();
    if (session == nullptr) {
        std::printf("error\topen failed\n");
        return 1;
    }
    if (pipeline) {
        std::vector<Caption> marks;
        captions = &marks;
        const auto i0 = Clock::now();
        vlImportInitialise(session);
        const auto i1 = Clock::now();
        captions = nullptr;
        for (size_t i = 0; i < marks.size(); ++i) {
            const auto until = i + 1 < marks.size() ? marks[i + 1].at : i1;
            std::printf("step\t%s\t%.3f\n", marks[i].text.c_str(), msSince(marks[i].at, until));
        }
        std::printf("initialise\t%.3f\n", msSince(i0, i1));
        const auto w0 = Clock::now();
        const size_t items = walkEverything(session);
        std::printf("walk\t%.3f\n", msSince(w0, Clock::now()));
        std::printf("items\t%zu\n", items);
        std::printf("strands\t%d\n", vlImportStrandCount(session));
    }
    const auto c0 = Clock::now();
    vlImportClose(&session);
    const auto c1 = Clock::now();
    std::printf("open\t%.3f\n", msSince(t0, t1));
    std::printf("close\t%.3f\n", msSince(c0, c1));
    std::printf("total\t%.3f\n", msSince(t0, c1));
    std::printf("rss_kib\t%ld\n", peakResidentKiB());
    return 0;
}

// ---- Parent: runs the children and prints the table --------------------------

using Values = std::map<std::string, double>;

bool runOnce(const char* self, const char* mode, const std::string& path, Values& out,
             std::vector<std::string>& stepOrder) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> argv{const_cast<char*>(self), const_cast<char*>(mode),
                            const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
    close(pipeFds[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return false;
    size_t from = 0;
    while (from < text.size()) {
        size_t to = text.find('\n', from);
        if (to == std::string::npos) to = text.size();
        const std::string line = text.substr(from, to - from);
        from = to + 1;
        const size_t tab = line.rfind('\t');
        if (tab == std::string::npos) continue;
        std::string key = line.substr(0, tab);
        if (key.rfind("step\t", 0) == 0) {
            key = key.substr(5);
            if (std::find(stepOrder.begin(), stepOrder.end(), key) == stepOrder.end())
                stepOrder.push_back(key);
        }
        out[key] += std::atof(line.c_str() + tab + 1);  // a caption may come more than once
    }
    return true;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median of each value over the runs.
Values medians(const std::vector<Values>& runs) {
    std::map<std::string, std::vector<double>> all;
    for (const Values& run : runs)
        for (const auto& [key, value] : run) all[key].push_back(value);
    Values out;
    for (const auto& [key, values] : all) out[key] = median(values);
    return out;
}

struct Column {
    std::string name;
    double events = 0;
    Values pipeline;
    Values quiet;  // the pipeline with no host listening
    Values reader;
};

void printRow(const char* label, const std::vector<Column>& columns,
              double (*value)(const Column&), const char* format, bool growth) {
    std::printf("%-34s", label);
    for (const Column& c : columns) std::printf(format, value(c));
    if (growth) {
        std::printf("  ");
        for (size_t i = 1; i < columns.size(); ++i) {
            const double a = value(columns[i - 1]);
            std::printf(" x%.1f", a > 0 ? value(columns[i]) / a : 0.0);
        }
    }
    std::printf("\n");
}

void printStepRow(const std::string& step, const std::vector<Column>& columns) {
    std::printf("  %-32.32s", step.c_str());
    for (const Column& c : columns) {
        const auto it = c.pipeline.find(step);
        std::printf(" %11.2f", it == c.pipeline.end() ? 0.0 : it->second);
    }
    std::printf("  ");
    for (size_t i = 1; i < columns.size(); ++i) {
        const auto a = columns[i - 1].pipeline.find(step);
        const auto b = columns[i].pipeline.find(step);
        if (a != columns[i - 1].pipeline.end() && b != columns[i].pipeline.end() && a->second > 0)
            std::printf(" x%.1f", b->second / a->second);
    }
    std::printf("\n");
}

std::vector<std::string> generateDefaultFiles() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir = std::string(tmp != nullptr ? tmp : "/tmp") + "/vlmidiin-bench-" +
                            std::to_string(getpid());
    std::string mkdir = "mkdir -p '" + dir + "'";
    if (std::system(mkdir.c_str()) != 0) return {};
    std::vector<std::string> paths;
    for (size_t n : {1000, 10000, 100000, 1000000}) {
        paths.push_back(dir + "/ensemble_" + std::to_string(n) + ".mid");
        vl::bench::writeFile(paths.back(), vl::bench::makeEnsembleFile(n));
    }
    return paths;
}

std::string baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strncmp(argv[1], "--child-", 8) == 0) {
        const std::string mode = argv[1] + 8;
        if (mode == "pipeline") return runChild('p', argv[2]);
        if (mode == "quiet") return runChild('q', argv[2]);
        if (mode == "reader") return runChild('r', argv[2]);
    }

    int runs = 3;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            paths.push_back(argv[i]);
    }
    if (paths.empty()) paths = generateDefaultFiles();
    const std::string self = "/proc/self/exe";
    std::vector<Column> columns;
    std::vector<std::string> steps;
    for (const std::string& path : paths) {
        Column column;
        column.name = baseName(path);
        column.events = static_cast<double>(vl::bench::countFileEvents(vl::bench::readFile(path)));
        std::vector<Values> pipelineRuns, quietRuns, readerRuns;
        for (int r = 0; r < runs; ++r) {
            Values p, q, n;
            if (!runOnce(self.c_str(), "--child-reader", path, q, steps) ||
                !runOnce(self.c_str(), "--child-pipeline", path, p, steps) ||
                !runOnce(self.c_str(), "--child-quiet", path, n, steps)) {
                std::fprintf(stderr, "%s: the measurement failed\n", path.c_str());
                return 1;
            }
            readerRuns.push_back(q);
            pipelineRuns.push_back(p);
            quietRuns.push_back(n);
        }
        column.pipeline = medians(pipelineRuns);
        column.quiet = medians(quietRuns);
        column.reader = medians(readerRuns);
        columns.push_back(column);
    }

    std::printf("%-34s", "median of runs");
    for (const Column& c : columns) std::printf(" %11.11s", c.name.c_str());
    std::printf("   growth\n");
    printRow("events in the file", columns, [](const Column& c) { return c.events; }, " %11.0f", false);
    printRow("read only: open+close (ms)", columns,
             [](const Column& c) { return c.reader.at("total"); }, " %11.2f", true);
    printRow("open (ms)", columns, [](const Column& c) { return c.pipeline.at("open"); }, " %11.2f", true);
    std::printf("initialise, per step (ms):\n");
    for (const std::string& step : steps) printStepRow(step, columns);
    printRow("initialise (ms)", columns,
             [](const Column& c) { return c.pipeline.at("initialise"); }, " %11.2f", true);
    printRow("initialise, no host listening (ms)", columns,
             [](const Column& c) { return c.quiet.at("initialise"); }, " %11.2f", true);
    printRow("walk every item (ms)", columns, [](const Column& c) { return c.pipeline.at("walk"); },
             " %11.2f", true);
    printRow("close (ms)", columns, [](const Column& c) { return c.pipeline.at("close"); }, " %11.2f", true);
    printRow("total (ms)", columns, [](const Column& c) { return c.pipeline.at("total"); }, " %11.2f", true);
    printRow("total, no host listening (ms)", columns,
             [](const Column& c) { return c.quiet.at("total"); }, " %11.2f", true);
    printRow("total / read only", columns,
             [](const Column& c) { return c.pipeline.at("total") / c.reader.at("total"); }, " %11.1f",
             false);
    printRow("events per second (total)", columns,
             [](const Column& c) { return c.events / (c.pipeline.at("total") / 1000.0); }, " %11.0f",
             false);
    printRow("strands", columns, [](const Column& c) { return c.pipeline.at("strands"); }, " %11.0f", false);
    printRow("items handed out", columns, [](const Column& c) { return c.pipeline.at("items"); },
             " %11.0f", false);
    printRow("peak RSS, read only (MiB)", columns,
             [](const Column& c) { return c.reader.at("rss_kib") / 1024.0; }, " %11.1f", false);
    printRow("peak RSS, pipeline (MiB)", columns,
             [](const Column& c) { return c.pipeline.at("rss_kib") / 1024.0; }, " %11.1f", false);
    printRow("peak RSS per event (bytes)", columns,
             [](const Column& c) { return c.pipeline.at("rss_kib") * 1024.0 / c.events; }, " %11.1f",
             false);
    return 0;
}
