// Conversion from the core's 33 kHz ticks to the host's sample rate.
#pragma once

#include "synth_core.h"

namespace t815 {

constexpr double kFallbackHostRate = 44100.0;

// Writes n samples into first and, when second is not null, the same samples
// into second. A host rate that is not a positive finite number renders as
// 44100 Hz; n <= 0 writes nothing.
void renderBlock(SynthCore& core, float* first, float* second, std::int32_t n, double hostRate);

} // namespace t815
