// The resonant low-pass on the summed output, one step per core tick.
#pragma once

#include "synth_core.h"

namespace t815 {

// x: summed output word minus 2048. c, r: cutoffCoef and resonance at the
// time of the call. Returns the filtered word, still centred on 0.
std::int32_t outputFilter(SynthCore& core, std::int32_t x, float c, float r);

} // namespace t815
