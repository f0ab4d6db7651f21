// fidelity_bench: how right the written notation is, measured against generated pieces whose
// notation is known. The library reads its settings once, when it is loaded, so each setting
// runs in a process of its own: this program starts itself once per setting with
// XDG_CONFIG_HOME pointing at a settings file written for it, and sums up what they print.
//
//   fidelity_bench [--seed N] [--worst N] [--gather-signatures on|off] [--revise on|off]
//                  [--check-choice]

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../synthetic_midi.h"
#include "compare.h"
#include "piece.h"
#include "render.h"
#include "signature_gather.h"
#include "transcribe.h"

namespace fs = std::filesystem;
using namespace vl::fidelity;

namespace {

using vl::cli::TranscriptionSettings;

struct Setting {
    const char* name;
    TranscriptionSettings settings;
    bool writeFile = true;  // false: no settings file, the library's defaults (the same three)
};

// Every candidate of `vlmidi --settings auto` is among them, so that the choice can be measured.
const std::vector<Setting> kSettings = {
    {"default (beat 7, swing, triplets)", {7, true, true}, false},
    {"beat 6, swing, triplets", {6, true, true}},
    {"beat 5, swing, triplets", {5, true, true}},
    {"beat 7, no swing, triplets", {7, false, true}},
    {"beat 6, no swing, triplets", {6, false, true}},
    {"beat 5, no swing, triplets", {5, false, true}},
    {"beat 7, no swing, no triplets", {7, false, false}},
    {"beat 5, no swing, no triplets", {5, false, false}},
};

constexpr const char* kAutoName = "vlmidi --settings auto";
constexpr const char* kSummaryMark = "@";
constexpr const char* kPieceMark = "#";

struct Options {
    std::uint32_t seed = 1;
    int worst = 6;
    int worker = -1;  // the setting this process measures; -1 for the one that starts them
    std::string folder;
    bool gatherSignatures = true;  // each file goes through the host's signature gathering
    bool checkChoice = false;      // fail when the settings choice does worse than the default
    bool revise = true;            // voices revised against the file's notes, as vlmidi's score
};

std::string percent(double value) {
    char text[16];
    std::snprintf(text, sizeof text, "%5.1f", 100 * value);
    return text;
}

std::string columns(const Score& s) {
    return percent(s.precision()) + " " + percent(s.recall()) + " " + percent(s.f1()) + " " +
           percent(s.valueAccuracy()) + " " + percent(s.barAccuracy());
}

struct Fault {
    const Piece* piece;
    BarFault bar;
};

// What one setting gave, per rendering (0 exact, 1 played in).
struct Measured {
    std::vector<std::string> categories;  // in the order of the pieces
    std::map<std::string, Score> byCategory[2];
    Score overall[2];
    std::vector<Fault> faults[2];
    std::vector<std::string> pieceLines;  // what a worker hands the choice of settings
};

// One piece's figures for the parent: rendering, piece, what the choice weighs, then the score.
std::string pieceLine(int rendering, std::size_t piece, const Transcription& t, const Score& s) {
    std::string line = std::string(kPieceMark) + " " + std::to_string(rendering) + " " +
                       std::to_string(piece);
    line += " " + vl::cli::formatSimplicity(t.simplicity);
    for (const auto* row : {&t.swing.count, &t.swing.mean, &t.swing.deviation}) {
        for (std::int32_t v : *row) line += " " + std::to_string(v);
    }
    for (std::int64_t v : {s.expected, s.got, s.matched, s.rightValue, s.barLines,
                           s.rightBarLines}) {
        line += " " + std::to_string(v);
    }
    return line;
}

bool measure(const std::vector<Piece>& pieces, const Options& options, Measured& measured) {
    const std::string path = options.folder + "/piece.mid";
    for (int r = 0; r < 2; ++r) {
        const Rendering rendering = r == 0 ? Rendering::Exact : Rendering::PlayedIn;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const Piece& piece = pieces[i];
            auto& categories = measured.categories;
            if (r == 0 && (categories.empty() || categories.back() != piece.category)) {
                categories.push_back(piece.category);
            }
            const auto bytes =
                renderPiece(piece, rendering, options.seed * 1000 + static_cast<std::uint32_t>(i));
            if (!vl::bench::writeFile(path, bytes)) {
                std::fprintf(stderr, "fidelity_bench: cannot write %s\n", path.c_str());
                return false;
            }
            const vl::cli::PreparedFile prepared(path, options.gatherSignatures);
            const Transcription transcription = transcribeFile(prepared.path(), options.revise);
            if (!transcription.opened) {
                std::fprintf(stderr, "fidelity_bench: the library refused %s\n",
                             piece.name.c_str());
            }
            PieceResult result = comparePiece(piece, transcription);
            measured.pieceLines.push_back(pieceLine(r, i, transcription, result.score));
            measured.byCategory[r][piece.category] += result.score;
            measured.overall[r] += result.score;
            for (BarFault& bar : result.faults) {
                measured.faults[r].push_back(Fault{&piece, std::move(bar)});
            }
        }
    }
    return true;
}

void printTable(const char* title, const Measured& m) {
    std::printf("\n%s\n", title);
    std::printf("%-16s %5s | %-29s | %s\n", "", "", "exact", "played in");
    std::printf("%-16s %5s | %5s %5s %5s %5s %5s | %5s %5s %5s %5s %5s\n", "category", "notes",
                "P", "R", "F1", "value", "bars", "P", "R", "F1", "value", "bars");
    for (const std::string& category : m.categories) {
        const Score& exact = m.byCategory[0].at(category);
        std::printf("%-16s %5lld | %s | %s\n", category.c_str(),
                    static_cast<long long>(exact.expected), columns(exact).c_str(),
                    columns(m.byCategory[1].at(category)).c_str());
    }
    std::printf("%-16s %5lld | %s | %s\n", "overall",
                static_cast<long long>(m.overall[0].expected), columns(m.overall[0]).c_str(),
                columns(m.overall[1]).c_str());
}

// The worst bar of each category, worst first.
void printWorstBars(const char* rendering, const std::vector<Fault>& faults, int count) {
    std::vector<Fault> worst;
    for (const Fault& fault : faults) {
        const auto same = std::find_if(worst.begin(), worst.end(), [&](const Fault& f) {
            return f.piece->category == fault.piece->category;
        });
        if (same == worst.end()) {
            worst.push_back(fault);
        } else if (fault.bar.faults > same->bar.faults) {
            *same = fault;
        }
    }
    std::stable_sort(worst.begin(), worst.end(), [](const Fault& a, const Fault& b) {
        return a.bar.faults > b.bar.faults;
    });
    std::printf("worst bars, %s:\n", rendering);
    for (std::size_t i = 0; i < worst.size() && i < static_cast<std::size_t>(count); ++i) {
        const Fault& f = worst[i];
        std::printf("  %s, bar %zu: %d wrong\n    expected: %s\n    got:      %s\n",
                    f.piece->name.c_str(), f.bar.bar, f.bar.faults,
                    f.bar.expected.empty() ? "-" : f.bar.expected.c_str(),
                    f.bar.got.empty() ? "-" : f.bar.got.c_str());
    }
}

// Measures every piece in both renderings under the settings this process was started with.
int runWorker(const Options& options) {
    const auto started = std::chrono::steady_clock::now();
    const std::vector<Piece> pieces = generatePieces(options.seed);
    Measured measured;
    if (!measure(pieces, options, measured)) return 1;
    printTable(kSettings[options.worker].name, measured);
    for (const std::string& line : measured.pieceLines) std::printf("%s\n", line.c_str());
    printWorstBars("exact", measured.faults[0], options.worst);
    printWorstBars("played in", measured.faults[1], options.worst);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("(%zu pieces, both renderings, %.1f s)\n", pieces.size(), seconds);
    std::printf("%s %d %s | %s\n", kSummaryMark, options.worker,
                columns(measured.overall[0]).c_str(), columns(measured.overall[1]).c_str());
    return 0;
}

// What every setting gave for one piece in one rendering.
struct PieceOutcome {
    vl::cli::NotationSimplicity simplicity;
    vl::cli::SwingFigures swing;
    Score score;
};
// By rendering and piece, one outcome per setting.
using PerPiece = std::map<std::pair<int, std::size_t>, std::map<std::size_t, PieceOutcome>>;

void readPieceLine(const std::string& line, std::size_t setting, PerPiece& perPiece) {
    std::istringstream in(line.substr(1));
    int rendering = 0;
    std::size_t piece = 0;
    PieceOutcome o;
    in >> rendering >> piece;
    vl::cli::readSimplicity(in, o.simplicity);
    for (auto* row : {&o.swing.count, &o.swing.mean, &o.swing.deviation}) {
        for (std::int32_t& v : *row) in >> v;
    }
    Score& s = o.score;
    in >> s.expected >> s.got >> s.matched >> s.rightValue >> s.barLines >> s.rightBarLines;
    if (in) perPiece[{rendering, piece}][setting] = o;
}

// The figures `vlmidi --settings auto` would give: for each piece, the candidate it would pick.
Measured measureChoice(const std::vector<Piece>& pieces, const PerPiece& perPiece) {
    Measured m;
    for (const Piece& piece : pieces) {
        if (m.categories.empty() || m.categories.back() != piece.category) {
            m.categories.push_back(piece.category);
        }
    }
    for (const auto& [key, outcomes] : perPiece) {
        const auto first = outcomes.find(0);
        if (first == outcomes.end() || key.second >= pieces.size()) continue;
        std::vector<std::size_t> settings;
        std::vector<vl::cli::NotationSimplicity> simplicities;
        for (const TranscriptionSettings& c : vl::cli::candidateSettings(first->second.swing)) {
            for (std::size_t s = 0; s < kSettings.size(); ++s) {
                const auto outcome = outcomes.find(s);
                if (kSettings[s].settings == c && outcome != outcomes.end()) {
                    settings.push_back(s);
                    simplicities.push_back(outcome->second.simplicity);
                    break;
                }
            }
        }
        if (settings.empty()) continue;
        const Score& score =
            outcomes.at(settings[vl::cli::chooseSimplest(simplicities)]).score;
        m.byCategory[key.first][pieces[key.second].category] += score;
        m.overall[key.first] += score;
    }
    return m;
}

// Whether the choice matches or beats the library's defaults overall, in both renderings.
bool choiceKeepsUp(const Measured& chosen, const PerPiece& perPiece) {
    Score defaults[2];
    for (const auto& [key, outcomes] : perPiece) {
        const auto first = outcomes.find(0);
        if (first != outcomes.end()) defaults[key.first] += first->second.score;
    }
    bool keepsUp = true;
    for (int r = 0; r < 2; ++r) {
        if (chosen.overall[r].f1() < defaults[r].f1() ||
            chosen.overall[r].valueAccuracy() < defaults[r].valueAccuracy()) {
            std::fprintf(stderr, "fidelity_bench: %s does worse than the defaults (%s)\n",
                         kAutoName, r == 0 ? "exact" : "played in");
            keepsUp = false;
        }
    }
    return keepsUp;
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Starts one worker per setting and prints what they print, then the overall figures.
int runAll(const Options& options) {
    char folderTemplate[] = "/tmp/fidelity-XXXXXX";
    const char* folder = ::mkdtemp(folderTemplate);
    if (folder == nullptr) {
        std::perror("fidelity_bench: mkdtemp");
        return 1;
    }
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    std::vector<std::string> summary;
    PerPiece perPiece;
    int status = 0;
    for (std::size_t s = 0; s < kSettings.size() && status == 0; ++s) {
        const fs::path home = fs::path(folder) / ("setting" + std::to_string(s));
        fs::create_directories(home / "Tolvek Software");
        if (kSettings[s].writeFile) {
            std::ofstream(home / "Tolvek Software" / "vlmidiin.ini")
                << kSettings[s].settings.iniText();
        }
        const std::string command = "XDG_CONFIG_HOME=" + quoted(home.string()) + " " +
                                    quoted(self) + " --worker " + std::to_string(s) +
                                    " --seed " + std::to_string(options.seed) + " --worst " +
                                    std::to_string(options.worst) + " --folder " +
                                    quoted(home.string()) + " --gather-signatures " +
                                    (options.gatherSignatures ? "on" : "off") + " --revise " +
                                    (options.revise ? "on" : "off");
        std::FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) {
            status = 1;
            break;
        }
        char line[4096];
        while (std::fgets(line, sizeof line, pipe) != nullptr) {
            if (std::string(line).rfind(kPieceMark, 0) == 0) {
                readPieceLine(line, s, perPiece);
            } else if (std::string(line).rfind(kSummaryMark, 0) == 0) {
                std::string figures = std::string(line).substr(std::string(line).find(' ', 2) + 1);
                if (!figures.empty() && figures.back() == '\n') figures.pop_back();
                summary.push_back(figures);
            } else {
                std::fputs(line, stdout);
            }
        }
        status = ::pclose(pipe) == 0 ? 0 : 1;
        std::fflush(stdout);
    }
    fs::remove_all(folder);
    if (status != 0) {
        std::fprintf(stderr, "fidelity_bench: a worker failed\n");
        return 1;
    }
    std::printf("\nOverall, seed %u\n", options.seed);
    std::printf("%-34s | %-29s | %s\n", "", "exact", "played in");
    std::printf("%-34s | %5s %5s %5s %5s %5s | %5s %5s %5s %5s %5s\n", "settings", "P", "R", "F1",
                "value", "bars", "P", "R", "F1", "value", "bars");
    for (std::size_t s = 0; s < summary.size(); ++s) {
        std::printf("%-34s | %s\n", kSettings[s].name, summary[s].c_str());
    }
    const Measured chosen = measureChoice(generatePieces(options.seed), perPiece);
    std::printf("%-34s | %s | %s\n", kAutoName, columns(chosen.overall[0]).c_str(),
                columns(chosen.overall[1]).c_str());
    printTable(kAutoName, chosen);
    return options.checkChoice && !choiceKeepsUp(chosen, perPiece) ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; i += 2) {
        const std::string flag = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (value != nullptr && flag == "--seed") {
            options.seed = static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10));
        } else if (value != nullptr && flag == "--worst") {
            options.worst = std::atoi(value);
        } else if (flag == "--check-choice") {
            options.checkChoice = true;
            --i;  // takes no value
        } else if (value != nullptr && flag == "--worker") {
            options.worker = std::atoi(value);
        } else if (value != nullptr && flag == "--folder") {
            options.folder = value;
        } else if (value != nullptr && flag == "--revise" &&
                   (std::string(value) == "on" || std::string(value) == "off")) {
            options.revise = std::string(value) == "on";
        } else if (value != nullptr && flag == "--gather-signatures" &&
                   (std::string(value) == "on" || std::string(value) == "off")) {
            options.gatherSignatures = std::string(value) == "on";
        } else {
            std::fprintf(stderr, "usage: fidelity_bench [--seed N] [--worst N]"
                                 " [--gather-signatures on|off] [--revise on|off]"
                                 " [--check-choice]\n");
            return 2;
        }
    }
    if (options.worker >= static_cast<int>(kSettings.size()) || options.worst < 0) return 2;
    return options.worker >= 0 ? runWorker(options) : runAll(options);
}
