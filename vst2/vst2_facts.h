// Compile-time facts of the VST 2.4 face that hosts see beyond the
// instrument's own (instrument_facts.h): its identity in the AEffect record.
#pragma once

#include <cstdint>

namespace t815 {

// The four characters 'T', '8', '1', '5', most significant byte first.
constexpr std::int32_t kPluginUniqueId = 0x54383135;
constexpr std::int32_t kPluginVersion = 1000;

// Every build carries the panel editor (a Win32 window on Windows, an X11
// one on Linux).
constexpr bool kPluginHasEditor = true;

} // namespace t815
