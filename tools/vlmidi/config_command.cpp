// vlmidi config [--live] [OPTIONS]: the library's "Midi import configuration"
// dialog, in the terminal or on commands from standard input; or, for
// scripts, settings changed by flags and the settings printed. Everything
// goes through vlImportConfigure: flags become the dialog commands that a
// user would type, and the settings are read off the dialog as it opens.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>

#include "commands.h"
#include "dialog_input.h"
#include "exit_codes.h"
#include "settings_file.h"
#include "vlmidiin.h"

namespace vl::cli {

namespace {

constexpr int32_t kTerminalDialogs = 1;
constexpr int32_t kFileSettings = 0;
constexpr int32_t kLiveSettings = 1;

// Controls of the configuration dialog.
constexpr int kTripletsCheck = 3023;
constexpr int kBeatList = 3024;
constexpr int kSwingCheck = 3027;
constexpr int kFinestBeat = 7;  // list entry i is beat 7 - i
constexpr int kCoarsestListedBeat = 4;
constexpr int kCoarsestBeat = 3;  // loaded from the store, but without a list entry

struct ConfigOptions {
    bool live = false;
    bool show = false;
    std::optional<bool> triplets;
    std::optional<bool> swing;
    std::optional<int> beat;

    bool changesSomething() const { return triplets || swing || beat; }
    int32_t selector() const { return live ? kLiveSettings : kFileSettings; }
};

struct Settings {
    bool triplets = false;
    bool swing = false;
    int beat = kFinestBeat;
};

std::optional<std::string> parseSwitch(const std::string& flag, const std::string& value,
                                       std::optional<bool>& target) {
    if (value == "on" || value == "off") {
        target = value == "on";
        return std::nullopt;
    }
    return "config: " + flag + " takes on or off, not '" + value + "'";
}

std::optional<std::string> parseBeat(const std::string& value, std::optional<int>& target) {
    if (value.size() == 1 && value[0] >= '0' + kCoarsestListedBeat &&
        value[0] <= '0' + kFinestBeat) {
        target = value[0] - '0';
        return std::nullopt;
    }
    return "config: --beat takes 4 to 7, not '" + value + "'";
}

std::optional<std::string> parseOptions(const Arguments& args, ConfigOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--live") {
            options.live = true;
        } else if (arg == "--show") {
            options.show = true;
        } else if (arg == "--triplets" || arg == "--swing" || arg == "--beat") {
            if (i + 1 >= args.size()) return "config: " + arg + " needs a value";
            const std::string& value = args[++i];
            if (arg == "--beat") {
                if (auto mistake = parseBeat(value, options.beat)) return mistake;
            } else if (auto mistake = parseSwitch(arg, value,
                                                  arg == "--swing" ? options.swing
                                                                   : options.triplets)) {
                return mistake;
            }
        } else {
            return "config: unknown argument '" + arg + "'";
        }
    }
    return std::nullopt;
}

std::string checkCommand(bool checked, int id) {
    return (checked ? "check " : "uncheck ") + std::to_string(id) + "\n";
}

// The dialog commands that set what the flags ask for, then OK.
std::string commandsFor(const ConfigOptions& options) {
    std::string commands;
    if (options.triplets)
        commands += checkCommand(*options.triplets, kTripletsCheck);
    if (options.swing) commands += checkCommand(*options.swing, kSwingCheck);
    if (options.beat)
        commands += "select " + std::to_string(kBeatList) + " " +
                    std::to_string(kFinestBeat - *options.beat) + "\n";
    return commands + "ok\n";
}

// Reads the settings off the dialog as it was first drawn: the line of each
// check box ("  3023  [x] Resolve triplets"), the list's line and its marked
// entry ("          > 1  Demisemiquaver ..."); no marked entry is beat 3.
std::optional<Settings> settingsFromDialog(const std::string& shown) {
    const std::string markedEntry = std::string(10, ' ') + "> ";
    std::istringstream lines(shown);
    Settings settings;
    settings.beat = kCoarsestBeat;
    int controlsFound = 0;
    for (std::string line; std::getline(lines, line) && line.rfind("Commands:", 0) != 0;) {
        std::istringstream words(line);
        std::string id, state;
        words >> id >> state;
        if (id == std::to_string(kTripletsCheck)) {
            settings.triplets = state == "[x]";
        } else if (id == std::to_string(kSwingCheck)) {
            settings.swing = state == "[x]";
        } else if (id != std::to_string(kBeatList)) {
            if (line.rfind(markedEntry, 0) == 0)
                settings.beat = kFinestBeat - std::atoi(state.c_str());
            continue;
        }
        ++controlsFound;
    }
    if (controlsFound != 3) return std::nullopt;
    return settings;
}

std::optional<Settings> readSettings(int32_t selector) {
    std::string shown;
    if (!runWithDialogInput("cancel\n", &shown, [&] { vlImportConfigure(nullptr, selector); }))
        return std::nullopt;
    return settingsFromDialog(shown);
}

const char* beatName(int beat) {
    switch (beat) {
    case 3: return "crotchet, 1/4 note";
    case 4: return "quaver, 1/8 note";
    case 5: return "semiquaver, 1/16 note";
    case 6: return "demisemiquaver, 1/32 note";
    default: return "hemidemisemiquaver, 1/64 note";
    }
}

void printSettings(const ConfigOptions& options, const Settings& settings) {
    std::printf("settings: %s\n", options.live ? "live input" : "files");
    std::printf("triplets: %s\n", settings.triplets ? "on" : "off");
    std::printf("swing: %s\n", settings.swing ? "on" : "off");
    std::printf("beat: %d (%s)\n", settings.beat, beatName(settings.beat));
}

int showSettings(const ConfigOptions& options) {
    const std::optional<Settings> settings = readSettings(options.selector());
    if (!settings) {
        std::fputs("vlmidi: config: cannot read the settings from the library\n", stderr);
        return kExitUsageError;
    }
    printSettings(options, *settings);
    return kExitSuccess;
}

int changeSettings(const ConfigOptions& options) {
    bool taken = false;
    std::string shown;
    const SettingsSaveCheck check;
    const bool ran = runWithDialogInput(commandsFor(options), &shown, [&] {
        taken = vlImportConfigure(nullptr, options.selector()) != 0;
    });
    if (!ran || !taken) {
        std::fputs("vlmidi: config: the library did not take the settings\n", stderr);
        return kExitUsageError;
    }
    if (const auto failure = check.failure()) return reportSettingsNotSaved(*failure);
    return showSettings(options);
}

// The dialog itself: in the terminal, or reading commands from standard input.
int runDialog(const ConfigOptions& options) {
    vlImportSetDialogMode(kTerminalDialogs);
    const SettingsSaveCheck check;
    if (vlImportConfigure(nullptr, options.selector()) == 0) {
        std::puts("Cancelled: the settings are unchanged.");
        return kExitCancelled;
    }
    if (const auto failure = check.failure()) return reportSettingsNotSaved(*failure);
    std::puts("Settings saved.");
    return kExitSuccess;
}

}  // namespace

int runConfigCommand(const Arguments& args) {
    const Command* self = findCommand("config");
    ConfigOptions options;
    if (const auto mistake = parseOptions(args, options)) return usageError(*mistake, self);
    if (options.changesSomething()) {
        vlImportSetDialogMode(kTerminalDialogs);
        return changeSettings(options);
    }
    if (options.show) {
        vlImportSetDialogMode(kTerminalDialogs);
        return showSettings(options);
    }
    return runDialog(options);
}

}  // namespace vl::cli
