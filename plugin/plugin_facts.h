// Compile-time facts of the plug-in that hosts see: identity, I/O layout,
// program and parameter counts, identity strings and the editor's size. The
// plug-in fills its AEffect record from these, and the tests check against
// the same values.
#pragma once

#include <cstdint>

namespace t815 {

// The four characters 'T', '8', '1', '5', most significant byte first.
constexpr std::int32_t kPluginUniqueId = 0x54383135;
constexpr std::int32_t kPluginVersion = 1000;
constexpr std::int32_t kPluginInputCount = 0;
constexpr std::int32_t kPluginOutputCount = 2;
constexpr std::int32_t kPluginProgramCount = 32;
constexpr std::int32_t kPluginParameterCount = 5;

// Every build carries the panel editor (a Win32 window on Windows, an X11
// one on Linux).
constexpr bool kPluginHasEditor = true;

constexpr char kPluginEffectName[] = "Veltrano T-815";
constexpr char kPluginProductName[] = "Veltrano T-815";
constexpr char kPluginVendorName[] = "Gravlon / VST Port";

// Hosts allot this many bytes for a program name, and for a parameter's
// display text (terminator included).
constexpr int kProgramNameBytes = 24;
constexpr int kParameterTextBytes = 8;

constexpr int kEditorWidth = 920;
constexpr int kEditorHeight = 430;

// Defaults of the host-side settings.
constexpr double kDefaultSampleRate = 44100.0;
constexpr float kDefaultVolume = 0.85f;
constexpr float kDefaultCutoffParam = 0.95f;

// Parameter indexes as the host sees them.
enum ParameterIndex : std::int32_t {
    kParamUnison = 0,
    kParamFilter = 1,
    kParamCutoff = 2,
    kParamResonance = 3,
    kParamVolume = 4,
};

} // namespace t815
