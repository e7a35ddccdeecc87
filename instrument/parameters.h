// The five host parameters: Unison, Filter, Cutoff, Resonance, Volume. The
// host sees each as a value 0..1; the instance stores it in its own form.
#pragma once

#include <cstdint>

namespace t815 {

struct PluginInstance;

// How Cutoff and Resonance are kept (single-precision constants, applied in
// double precision): cutoffParam = value x 0.94 + 0.05, resonance = value x
// 0.95. The panel's knobs show the inverse.
constexpr float kCutoffSpan = 0.94f;
constexpr float kCutoffBase = 0.05f;
constexpr float kResonanceSpan = 0.95f;

// The kept forms of a host value 0..1 (arithmetic in double, one rounding
// to float), as storeParameter stores them.
inline float keptCutoffParam(double unit) {
    return static_cast<float>(unit * kCutoffSpan + static_cast<double>(kCutoffBase));
}
inline float keptResonance(double unit) {
    return static_cast<float>(unit * kResonanceSpan);
}

// A normalised value kept within 0..1, as host values and the panel's knobs
// are (NaN passes through; callers decide what it means).
inline float clampedToUnit(float value) {
    return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
}

// Stores the host's value 0..1 for parameter index (clamped to 0..1, NaN
// ignored; an index outside 0..4 changes nothing), without the repaint
// request; the panel's knobs and switches store theirs through it too.
void storeParameter(PluginInstance& instance, std::int32_t index, float value);

// The parameter's value 0..1 as the host reads it; 0 outside 0..4.
float readParameter(const PluginInstance& instance, std::int32_t index);

// Write the parameter's name or display text, with its terminating zero,
// into text. Return false, writing nothing, for an index outside 0..4.
bool writeParameterName(std::int32_t index, char* text);
bool writeParameterDisplay(const PluginInstance& instance, std::int32_t index, char* text);

// The display text parameter index would show at the host's value 0..1
// (clamped), into kParameterTextBytes bytes of text: the same text
// writeParameterDisplay gives once the value is stored. False, writing
// nothing, for an index outside 0..4 or NaN for a continuous parameter.
bool writeParameterValueText(std::int32_t index, float value, char* text);

// The inverse: the host's value 0..1 that shows as text ("ON"/"OFF", a
// number with or without a trailing "%"). False for an index outside 0..4
// or a text that is no such value.
bool readParameterValueText(std::int32_t index, const char* text, float& value);

} // namespace t815
