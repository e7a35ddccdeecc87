// Everything the panel shows, gathered in one plain record so that the
// painter draws from values, not from the instance. Read on the panel's
// thread: the settings come from hostSettings and the held keys from the
// core's last published slots (both safe from any thread); the interaction
// fields are the panel thread's own.
#pragma once

#include "hand_off.h"
#include "host_settings.h"
#include "plugin_instance.h"

#include <cstdint>

namespace t815 {

struct PanelState {
    bool romReady;                    // power lamp
    bool filterOn;                    // filter lamp, filter switch
    bool unisonOn;                    // unison switch
    std::int32_t pitchOffset;         // tuning knob, -25..25
    float cutoffParam;                // 0.05..0.99
    float resonance;                  // 0..0.95
    float volume;                     // 0..1
    float modWheel;                   // 0..1
    std::int32_t currentProgramIndex; // highlighted list cell
    std::int32_t programTens;         // pressed group button, first LED digit
    std::int32_t programUnits;        // pressed timbre button, second LED digit
    HeldKeys heldKeys;                // keys held down in the core's slots
    std::int32_t mouseHeldKey;        // -1: none
    bool resetButtonDown;
    bool aboutVisible;
};

inline HeldKeys readHeldKeys(const PluginInstance& instance) {
    return {{instance.heldKeys[0].load(std::memory_order_acquire),
             instance.heldKeys[1].load(std::memory_order_acquire)}};
}

inline bool keyHeld(const HeldKeys& keys, std::int32_t key) {
    return static_cast<std::uint32_t>(key) < 128 && ((keys.words[key / 64] >> (key % 64)) & 1);
}

inline PanelState readPanelState(const PluginInstance& instance) {
    const HostSettings& settings = instance.hostSettings;
    PanelState state{};
    state.romReady = instance.core.romReady; // set at construction, never changed after
    state.filterOn = readBool(settings.filterOn);
    state.unisonOn = readBool(settings.unisonOn);
    state.pitchOffset = readInt(settings.pitchOffset);
    state.cutoffParam = readFloat(settings.cutoffParam);
    state.resonance = readFloat(settings.resonance);
    state.volume = readFloat(settings.volume);
    state.modWheel = readFloat(settings.modWheel);
    state.currentProgramIndex = readInt(settings.currentProgramIndex);
    state.programTens = readInt(settings.programTens);
    state.programUnits = readInt(settings.programUnits);
    state.heldKeys = readHeldKeys(instance);
    state.mouseHeldKey = instance.mouseHeldKey;
    state.resetButtonDown = instance.resetButtonDown;
    state.aboutVisible = instance.aboutVisible;
    return state;
}

} // namespace t815
