#pragma once
// Settings for one call: a record changed in memory while the scope lives and put back as it
// was when it ends. Nothing is written to the settings store, so a program can transcribe with
// other settings without touching the user's choices.

#include <cstdint>
#include <optional>

#include "settings/resolution_settings.h"

namespace vl {

struct ResolutionChoices {
    std::optional<bool> swing;
    std::optional<bool> triplets;
    std::optional<int32_t> quantisationBeat;  // limited to 3..7 as a stored value is
};

class ResolutionOverride {
public:
    ResolutionOverride(ResolutionSettings& record, const ResolutionChoices& choices)
        : record_(record), saved_(record) {
        if (choices.swing) record.swing = *choices.swing ? 1 : 0;
        if (choices.triplets) record.triplets = *choices.triplets ? 1 : 0;
        if (choices.quantisationBeat) {
            record.quantisationBeat = clampQuantisationBeat(*choices.quantisationBeat);
        }
    }
    ~ResolutionOverride() { record_ = saved_; }
    ResolutionOverride(const ResolutionOverride&) = delete;
    ResolutionOverride& operator=(const ResolutionOverride&) = delete;

private:
    ResolutionSettings& record_;
    ResolutionSettings saved_;
};

}  // namespace vl
