// The resonant low-pass on the summed output, one step per core tick: two
// cascaded one-pole sections with feedback from the difference of their
// states, scaled as resonance + resonance / (1 - coefficient). The filter
// envelope opens it from the program's floor towards fully open; the cutoff
// setting decides how far the envelope's low end closes it.
#pragma once

#include "synth_core.h"

namespace t815 {

// What a filter step derives from settings that stay fixed over a block:
// the program's floor and resonance codes, the cutoff coefficient and the
// resonance, plus the coefficient and feedback of the last envelope byte
// seen (envelope bytes change every hundred steps or so, and the pair is a
// pure function of the byte).
struct FilterSetup {
    float floor;      // envelope position at byte 0
    double cutoff;    // cutoffCoef
    float resonance;  // R, the resonance after its code and offset
    int cachedByte;   // envelope byte of the cached pair; -1: none
    float coefficient;
    float feedback;
};

FilterSetup prepareFilter(const SynthCore& core, float c, float r);

// One step with a prepared setup.
std::int32_t runFilter(SynthCore& core, FilterSetup& setup, std::int32_t x);

// x: summed output word minus 2048. c, r: cutoffCoef and resonance at the
// time of the call. Returns the filtered word, still centred on 0.
std::int32_t outputFilter(SynthCore& core, std::int32_t x, float c, float r);

} // namespace t815
