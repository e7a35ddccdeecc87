// The five host parameters. Unison and Filter are switches in the core,
// Cutoff is kept as 0.05..0.99 and drives the cutoff coefficient, Resonance
// is kept as 0..0.95 in the core, and Volume is a plain output gain.
//
// Host values are clamped to 0..1 where they are written: a Resonance above
// 1 would make the filter unstable and silence the instrument for good, and
// a Volume far above 1 or below 0 would blow up or invert the output.
// A NaN written to Cutoff, Resonance or Volume is ignored (nothing is
// stored; the repaint request still happens). Unison and Filter compare the
// value with 0.5 as for any other value: NaN is "below" (off).
//
// Writes are queued for the core (hand_off.h) and recorded in hostSettings,
// from which getParameter and the display texts answer at once.
#include "parameters.h"

#include "hand_off.h"
#include "instrument_facts.h"
#include "plugin_instance.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace t815 {

namespace {

constexpr float kSwitchThreshold = 0.5f;

const char* const kParameterNames[kPluginParameterCount] = {"Unison", "Filter", "Cutoff",
                                                            "Resonance", "Volume"};

bool isParameterIndex(std::int32_t index) {
    return static_cast<std::uint32_t>(index) < static_cast<std::uint32_t>(kPluginParameterCount);
}

// The change a host value makes; false for none (an index outside 0..4, or
// NaN for a continuous parameter).
bool changeForValue(std::int32_t index, float value, ShellChange& change) {
    const bool on = value >= kSwitchThreshold;
    if (index == kParamUnison || index == kParamFilter) {
        change = {index == kParamUnison ? ChangeKind::unison : ChangeKind::filter, on ? 1 : 0, 0};
        return true;
    }
    if (!isParameterIndex(index) || std::isnan(value)) return false;
    const double v = clampedToUnit(value);
    switch (index) {
    case kParamCutoff:
        change = {ChangeKind::cutoffParam, 0, keptCutoffParam(v)};
        return true;
    case kParamResonance:
        change = {ChangeKind::resonance, 0, keptResonance(v)};
        return true;
    default: // kParamVolume
        change = {ChangeKind::volume, 0, static_cast<float>(v)};
        return true;
    }
}

} // namespace

void storeParameter(PluginInstance& instance, std::int32_t index, float value) {
    ShellChange change{};
    if (changeForValue(index, value, change)) submitChange(instance, change);
}

float readParameter(const PluginInstance& instance, std::int32_t index) {
    const HostSettings& settings = instance.hostSettings;
    switch (index) {
    case kParamUnison:
        return readBool(settings.unisonOn) ? 1.0f : 0.0f;
    case kParamFilter:
        return readBool(settings.filterOn) ? 1.0f : 0.0f;
    case kParamCutoff:
        return static_cast<float>((static_cast<double>(readFloat(settings.cutoffParam)) -
                                   static_cast<double>(kCutoffBase)) /
                                  static_cast<double>(kCutoffSpan));
    case kParamResonance:
        return static_cast<float>(static_cast<double>(readFloat(settings.resonance)) /
                                  static_cast<double>(kResonanceSpan));
    case kParamVolume:
        return readFloat(settings.volume);
    default:
        return 0.0f;
    }
}

bool writeParameterName(std::int32_t index, char* text) {
    if (!isParameterIndex(index)) return false;
    const char* name = kParameterNames[index];
    std::memcpy(text, name, std::strlen(name) + 1);
    return true;
}

namespace {

// The one rule for display texts, from the stored form of a setting (a
// switch's state, or the float the instance keeps). Every stored value is
// within its range, so no text is longer than "100%" or "0.95"; the buffer
// bounds it to the 8 bytes hosts allot anyway.
void writeStoredText(std::int32_t index, bool on, float stored, char* text) {
    char display[kParameterTextBytes];
    if (index == kParamUnison || index == kParamFilter)
        std::snprintf(display, sizeof display, "%s", on ? "ON" : "OFF");
    else if (index == kParamVolume)
        std::snprintf(display, sizeof display, "%.0f%%", static_cast<double>(stored) * 100.0);
    else
        std::snprintf(display, sizeof display, "%.2f", static_cast<double>(stored));
    std::memcpy(text, display, std::strlen(display) + 1);
}

} // namespace

bool writeParameterDisplay(const PluginInstance& instance, std::int32_t index, char* text) {
    if (!isParameterIndex(index)) return false;
    const HostSettings& settings = instance.hostSettings;
    const bool on = readBool(index == kParamUnison ? settings.unisonOn : settings.filterOn);
    float stored = 0.0f;
    if (index == kParamCutoff) stored = readFloat(settings.cutoffParam);
    if (index == kParamResonance) stored = readFloat(settings.resonance);
    if (index == kParamVolume) stored = readFloat(settings.volume);
    writeStoredText(index, on, stored, text);
    return true;
}

bool writeParameterValueText(std::int32_t index, float value, char* text) {
    ShellChange change{};
    if (!changeForValue(index, value, change)) return false;
    writeStoredText(index, change.arg != 0, change.value, text);
    return true;
}

bool readParameterValueText(std::int32_t index, const char* text, float& value) {
    if (!isParameterIndex(index) || !text) return false;
    if (index == kParamUnison || index == kParamFilter) {
        const bool on = std::strcmp(text, "ON") == 0;
        if (!on && std::strcmp(text, "OFF") != 0) return false;
        value = on ? 1.0f : 0.0f;
        return true;
    }
    char* end = nullptr;
    const double shown = std::strtod(text, &end);
    if (end == text || !std::isfinite(shown)) return false;
    if (*end == '%') ++end;
    if (*end != '\0') return false;
    double v = shown / 100.0; // kParamVolume
    if (index == kParamCutoff)
        v = (shown - static_cast<double>(kCutoffBase)) / static_cast<double>(kCutoffSpan);
    if (index == kParamResonance) v = shown / static_cast<double>(kResonanceSpan);
    value = clampedToUnit(static_cast<float>(v));
    return true;
}

} // namespace t815
