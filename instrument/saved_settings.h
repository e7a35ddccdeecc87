// What a face saves of an instance as its state and restores later: the
// selected program, the five settings in the form the instance keeps them,
// the panel's tuning and the wheel. Restored exactly, so that a restored
// instance renders the same bits as the saved one.
#pragma once

#include <cstdint>

namespace t815 {

struct PluginInstance;

struct SavedSettings {
    std::int32_t programIndex; // 0..31
    bool unisonOn;
    bool filterOn;
    float cutoffParam;        // as kept: 0.05..0.99
    float resonance;          // as kept: 0..0.95
    float volume;             // 0..1
    std::int32_t pitchOffset; // pitch steps, -kMaxPitchOffset..kMaxPitchOffset
    float modWheel;           // 0..1
};

// The settings as the host and the panel see them now.
SavedSettings readSavedSettings(const PluginInstance& instance);

// Whether every field is one the instance could hold (finite, in range).
bool isValidSavedSettings(const SavedSettings& settings);

// Queues the settings as one run (program select first, as a select sets
// the switches) and asks the panel to repaint. The host asked for it, so it
// is not announced as a select of the instrument's own.
void restoreSavedSettings(PluginInstance& instance, const SavedSettings& settings);

} // namespace t815
