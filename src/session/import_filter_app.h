#pragma once
// The library's single application object: the host window and progress
// message given to the last open call, the format name, the two settings
// records and the progress channel. Created when the library is loaded.

#include <cstdint>
#include <string>

#include "platform/progress_reporter.h"
#include "settings/resolution_settings.h"

namespace vl {

class ImportFilterApp {
public:
    static ImportFilterApp& instance();

    static constexpr const char* kFormatName = "MIDI";

    // Loads both records from the store at settingsPath.
    explicit ImportFilterApp(std::string settingsPath);

    void setHostWindow(void* window, uint32_t progressMessage);
    void* hostWindow() const { return hostWindow_; }
    uint32_t progressMessage() const { return progressMessage_; }

    ProgressReporter& progress() { return progress_; }

    ResolutionSettings& rhythmResolution() { return rhythm_; }
    ResolutionSettings& inputResolution() { return input_; }
    // Selector 1 is live input; anything else is files.
    ResolutionSettings& settingsFor(int32_t selector) {
        return selector == 1 ? input_ : rhythm_;
    }
    ResolutionSettings& settingsForLiveFlag(uint32_t live) { return live == 1 ? input_ : rhythm_; }

    // Shows the configuration dialog for the selected record; on OK stores
    // the choices, saves both records and answers true.
    bool configure(void* parentWindow, int32_t selector);

    void loadSettings();
    bool saveSettings() const;
    const std::string& settingsPath() const { return settingsPath_; }

private:
    void* hostWindow_ = nullptr;
    uint32_t progressMessage_ = 0;
    ProgressReporter progress_;
    ResolutionSettings rhythm_;
    ResolutionSettings input_;
    std::string settingsPath_;
};

}  // namespace vl
