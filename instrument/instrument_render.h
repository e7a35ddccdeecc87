// Rendering one block: the core's output at the host's rate, the same mono
// signal in both channels, scaled by the volume.
#pragma once

#include <cstdint>

namespace t815 {

struct PluginInstance;

// Renders frames samples into left and, when not null, right, replacing
// their contents; every queued change is applied first. Runs on the audio
// thread and never waits for another thread (hand_off.h); nothing it does
// allocates. A block that finds the core held by another thread is silence.
void renderInstrumentBlock(PluginInstance& instance, float* left, float* right,
                           std::int32_t frames);

} // namespace t815
