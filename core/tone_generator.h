// One tick of the tone generator at the core's 33 kHz rate.
#pragma once

#include "synth_core.h"

namespace t815 {

// Advances the eight oscillators and the envelopes by one tick and returns
// the output word as a sample in -1.0 .. 0.99951171875.
float coreTick(SynthCore& core);

} // namespace t815
