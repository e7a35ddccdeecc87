// The five host parameters. Unison and Filter are switches in the core,
// Cutoff is kept as 0.05..0.99 and drives the cutoff coefficient, Resonance
// is kept as 0..0.95 in the core, and Volume is a plain output gain (values
// above 1 amplify; nothing is clamped).
//
// Non-finite values: a NaN or an infinity written to Cutoff, Resonance or
// Volume is ignored (nothing is stored, the repaint request still happens),
// so no NaN or infinity ever reaches the settings, the filter or the output.
// Unison and Filter compare the value with 0.5 as for any other value: NaN
// is "below" (off), +inf is on, -inf is off.
#include "parameters.h"

#include "cutoff.h"
#include "editor_link.h"
#include "plugin_facts.h"
#include "plugin_instance.h"
#include "program_select.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace t815 {

namespace {

constexpr float kSwitchThreshold = 0.5f;
constexpr float kCutoffSpan = 0.94f; // cutoffParam = value x 0.94 + 0.05
constexpr float kCutoffBase = 0.05f;
constexpr float kResonanceSpan = 0.95f; // resonance = value x 0.95

const char* const kParameterNames[kPluginParameterCount] = {"Unison", "Filter", "Cutoff",
                                                            "Resonance", "Volume"};

bool isParameterIndex(std::int32_t index) {
    return static_cast<std::uint32_t>(index) < static_cast<std::uint32_t>(kPluginParameterCount);
}

void storeParameter(PluginInstance& instance, std::int32_t index, float value) {
    const bool takesOnlyFinite =
        index == kParamCutoff || index == kParamResonance || index == kParamVolume;
    if (takesOnlyFinite && !std::isfinite(value)) return;

    SynthCore& core = instance.core;
    std::lock_guard<std::mutex> lock(instance.coreLock);
    switch (index) {
    case kParamUnison:
        core.unisonOn = value >= kSwitchThreshold;
        updatePitches(core); // second oscillators start or stop at once
        break;
    case kParamFilter:
        core.filterOn = value >= kSwitchThreshold;
        break;
    case kParamCutoff:
        instance.cutoffParam = static_cast<float>(static_cast<double>(value) * kCutoffSpan +
                                                  static_cast<double>(kCutoffBase));
        updateCutoffCoefficient(instance);
        break;
    case kParamResonance:
        core.resonance = static_cast<float>(static_cast<double>(value) * kResonanceSpan);
        break;
    case kParamVolume:
        instance.volume = value;
        break;
    default:
        break;
    }
}

float readParameter(PluginInstance& instance, std::int32_t index) {
    const SynthCore& core = instance.core;
    std::lock_guard<std::mutex> lock(instance.coreLock);
    switch (index) {
    case kParamUnison:
        return core.unisonOn ? 1.0f : 0.0f;
    case kParamFilter:
        return core.filterOn ? 1.0f : 0.0f;
    case kParamCutoff:
        return static_cast<float>(
            (static_cast<double>(instance.cutoffParam) - static_cast<double>(kCutoffBase)) /
            static_cast<double>(kCutoffSpan));
    case kParamResonance:
        return static_cast<float>(static_cast<double>(core.resonance) /
                                  static_cast<double>(kResonanceSpan));
    case kParamVolume:
        return instance.volume;
    default:
        return 0.0f;
    }
}

} // namespace

void VSTCALLBACK setParameter(AEffect* effect, VstInt32 index, float value) {
    PluginInstance* instance = instanceOf(effect);
    if (!instance) return;
    try {
        storeParameter(*instance, index, value);
    } catch (...) { // nothing may unwind into the host; only the lock could throw
    }
    requestRepaint(*instance); // for every index, stored or not
}

float VSTCALLBACK getParameter(AEffect* effect, VstInt32 index) {
    PluginInstance* instance = instanceOf(effect);
    if (!instance) return 0.0f;
    try {
        return readParameter(*instance, index);
    } catch (...) { // nothing may unwind into the host; only the lock could throw
        return 0.0f;
    }
}

bool writeParameterName(std::int32_t index, char* text) {
    if (!isParameterIndex(index)) return false;
    const char* name = kParameterNames[index];
    std::memcpy(text, name, std::strlen(name) + 1);
    return true;
}

bool writeParameterDisplay(PluginInstance& instance, std::int32_t index, char* text) {
    if (!isParameterIndex(index)) return false;
    // The setting is read under the lock and formatted after it, so that
    // printf's work never holds up the audio thread.
    bool switchOn = false;
    double shown = 0.0;
    {
        const SynthCore& core = instance.core;
        std::lock_guard<std::mutex> lock(instance.coreLock);
        switchOn = index == kParamUnison ? core.unisonOn : core.filterOn;
        if (index == kParamCutoff) shown = instance.cutoffParam;
        if (index == kParamResonance) shown = core.resonance;
        if (index == kParamVolume) shown = static_cast<double>(instance.volume) * 100.0;
    }
    // Large enough for the widest finite float; the settings are always
    // finite (see above).
    char display[64];
    if (index == kParamUnison || index == kParamFilter)
        std::snprintf(display, sizeof display, "%s", switchOn ? "ON" : "OFF");
    else if (index == kParamVolume)
        std::snprintf(display, sizeof display, "%.0f%%", shown);
    else
        std::snprintf(display, sizeof display, "%.2f", shown);
    std::memcpy(text, display, std::strlen(display) + 1);
    return true;
}

} // namespace t815
