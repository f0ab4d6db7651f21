#include "session/import_filter_app.h"

#include "platform/dialog_runner.h"
#include "settings/configuration_dialog.h"
#include "settings/settings_store.h"

namespace vl {

ImportFilterApp& ImportFilterApp::instance() {
    static ImportFilterApp app(SettingsStore::defaultPath());
    return app;
}

ImportFilterApp::ImportFilterApp(std::string settingsPath) : settingsPath_(std::move(settingsPath)) {
    loadSettings();
}

void ImportFilterApp::setHostWindow(void* window, uint32_t progressMessage) {
    hostWindow_ = window;
    progressMessage_ = progressMessage;
    progress_.setTarget(window, progressMessage);
}

bool ImportFilterApp::configure(void* parentWindow, int32_t selector) {
    if (!editResolutionSettings(currentDialogRunner(), parentWindow, settingsFor(selector)))
        return false;
    saveSettings();
    return true;
}

void ImportFilterApp::loadSettings() {
    SettingsStore store(settingsPath_);
    store.load();
    rhythm_ = loadResolutionSettings(store, kRhythmResolutionSection);
    input_ = loadResolutionSettings(store, kInputResolutionSection);
}

bool ImportFilterApp::saveSettings() const {
    SettingsStore store(settingsPath_);
    store.load();
    saveResolutionSettings(store, kRhythmResolutionSection, rhythm_);
    saveResolutionSettings(store, kInputResolutionSection, input_);
    return store.save();
}

}  // namespace vl
