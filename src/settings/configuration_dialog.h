#pragma once
// The "Midi import configuration" dialog: resolve triplets, resolve swing and
// the quantisation beat of one settings record.

#include <cstdint>
#include <optional>

#include "platform/dialog_runner.h"
#include "settings/resolution_settings.h"

namespace vl {

class ConfigurationDialog : public DialogModel {
public:
    static constexpr int kTemplateId = 132;
    static constexpr int kTripletsCheck = 3023;
    static constexpr int kBeatList = 3024;
    static constexpr int kSwingCheck = 3027;
    static constexpr uint32_t kHelpContext = 131204;

    ConfigurationDialog();

    // The members the controls are bound to.
    uint32_t triplets = 0;
    uint32_t swing = 0;
    uint8_t beat = 7;

    void onInitDialog() override;
    std::optional<int> onCommand(int controlId) override;
    void onHelp() override;
};

// Shows the dialog for record. On OK stores swing, triplets and beat into
// record and returns true; on Cancel leaves record as it was and returns
// false. Saving the record is the caller's business.
bool editResolutionSettings(DialogRunner& runner, void* parent, ResolutionSettings& record);

}  // namespace vl
