// Compile-time facts of the instrument that every face shows its host: I/O
// layout, program and parameter counts, names and the settings' defaults.
// The faces fill their records from these, and the tests check against the
// same values.
#pragma once

#include <cstdint>

namespace t815 {

constexpr std::int32_t kPluginInputCount = 0;
constexpr std::int32_t kPluginOutputCount = 2;
constexpr std::int32_t kPluginProgramCount = 32;
constexpr std::int32_t kPluginParameterCount = 5;

constexpr char kPluginEffectName[] = "Veltrano T-815";
constexpr char kPluginProductName[] = "Veltrano T-815";
constexpr char kPluginVendorName[] = "Gravlon / VST Port";

// Hosts allot this many bytes for a program name, and for a parameter's
// display text (terminator included).
constexpr int kProgramNameBytes = 24;
constexpr int kParameterTextBytes = 8;

// Defaults of the host-side settings.
constexpr double kDefaultSampleRate = 44100.0;
constexpr float kDefaultVolume = 0.85f;
constexpr float kDefaultCutoffParam = 0.95f;

// The panel's tuning reaches this many pitch steps either way.
constexpr std::int32_t kMaxPitchOffset = 25;

// Parameter indexes as the host sees them.
enum ParameterIndex : std::int32_t {
    kParamUnison = 0,
    kParamFilter = 1,
    kParamCutoff = 2,
    kParamResonance = 3,
    kParamVolume = 4,
};

} // namespace t815
