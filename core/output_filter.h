// The resonant low-pass on the summed output, one step per core tick: two
// cascaded one-pole sections with feedback from the difference of their
// states, scaled as resonance + resonance / (1 - coefficient). The filter
// envelope opens it from the program's floor towards fully open; the cutoff
// setting decides how far the envelope's low end closes it.
#pragma once

#include "synth_core.h"

#include <cstdint>

namespace t815 {

// A filter at work over a block of steps: what it derives from settings that
// stay fixed over the block (the program's floor and resonance codes, the
// cutoff coefficient and the resonance), the coefficient and feedback of the
// last envelope byte seen (envelope bytes change every hundred steps or so,
// and the pair is a pure function of the byte), and a working copy of the
// two states, kept out of memory between steps and stored back by
// finishFilter.
struct FilterSetup {
    float s1;        // first section
    float s2;        // second section, the output
    float floor;     // envelope position at byte 0
    double cutoff;   // cutoffCoef
    float resonance; // R, the resonance after its code and offset
    int cachedByte;  // envelope byte of the cached pair; -1: none
    float coefficient;
    float feedback;
};

FilterSetup prepareFilter(const SynthCore& core, float c, float r);

// Stores the working states back into the core.
inline void finishFilter(SynthCore& core, const FilterSetup& setup) {
    core.filterState[0] = setup.s1;
    core.filterState[1] = setup.s2;
}

// 2^31: floats of this magnitude or more do not convert to int32.
constexpr float kIntRangeLimit = 2147483648.0f;

struct FilterCoefficients {
    float coefficient; // G
    float feedback;    // Q
};

// G and Q for an envelope byte. Takes its inputs by value so that a caller's
// setup never has its address taken and can stay in registers.
FilterCoefficients filterCoefficients(float floor, double cutoff, float resonance,
                                      int envelopeByte);

// Sets the setup's coefficient and feedback for an envelope byte.
inline void deriveCoefficients(FilterSetup& setup, int envelopeByte) {
    const FilterCoefficients derived =
        filterCoefficients(setup.floor, setup.cutoff, setup.resonance, envelopeByte);
    setup.coefficient = derived.coefficient;
    setup.feedback = derived.feedback;
    setup.cachedByte = envelopeByte;
}

// One step with a prepared setup and a given envelope byte; it touches
// nothing but the setup.
inline std::int32_t stepFilter(FilterSetup& setup, int envelopeByte, std::int32_t x) {
    if (envelopeByte != setup.cachedByte) deriveCoefficients(setup, envelopeByte);

    const double g = setup.coefficient;
    const double q = setup.feedback;
    const double s1 = setup.s1;
    const double s2 = setup.s2;
    const float newS1 = static_cast<float>(s1 + g * ((x - s1) + (s1 - s2) * q));
    const float newS2 = static_cast<float>(s2 + g * (newS1 - s2));
    setup.s1 = newS1;
    setup.s2 = newS2;

    // floor(): truncate, then step down for negative non-integers (cheaper
    // than a libm call). Every reachable state keeps the value far inside the
    // int range; an unstable filter (which settings in range cannot make)
    // saturates instead of overflowing the conversion, and NaN gives 0.
    const float rounded = static_cast<float>(newS2 + 0.5);
    if (!(rounded > -kIntRangeLimit && rounded < kIntRangeLimit))
        return rounded > 0.0f ? INT32_MAX : (rounded < 0.0f ? INT32_MIN : 0);
    const std::int32_t truncated = static_cast<std::int32_t>(rounded);
    // Without a branch: the sign of the output is as good as random.
    return truncated - static_cast<std::int32_t>(static_cast<float>(truncated) > rounded);
}

// One step with a prepared setup (its states are stored back by
// finishFilter), taking the next byte of the filter envelope. Inline: it runs
// 33,000 times a second inside the tick loop.
inline std::int32_t runFilter(SynthCore& core, FilterSetup& setup, std::int32_t x) {
    return stepFilter(setup, takeLevel(core.filterStream), x);
}

// x: summed output word minus 2048. c, r: cutoffCoef and resonance at the
// time of the call. Returns the filtered word, still centred on 0.
std::int32_t outputFilter(SynthCore& core, std::int32_t x, float c, float r);

} // namespace t815
