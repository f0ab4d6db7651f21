#pragma once
// Whether a save of the library's settings reached the settings file. The
// library's configure call answers only whether the user confirmed the
// dialog, so the file itself is checked: a save writes a new file and renames
// it over the old one.

#include <optional>
#include <string>

#include <sys/stat.h>

namespace vl::cli {

// $XDG_CONFIG_HOME/Tolvek Software/vlmidiin.ini, or the same below
// $HOME/.config, as the library finds it; empty when neither variable is an
// absolute path.
std::string settingsFilePath();

class SettingsSaveCheck {
public:
    // Notes the settings file as it is before a save.
    SettingsSaveCheck();

    // Empty when the file has been replaced since; otherwise why it was not,
    // as a line "cannot save the settings to PATH: REASON".
    std::optional<std::string> failure() const;

private:
    std::string path_;
    std::optional<struct stat> before_;
};

// Prints "vlmidi: config: " and the failure on stderr and returns the exit
// code for settings that were not saved.
int reportSettingsNotSaved(const std::string& failure);

}  // namespace vl::cli
