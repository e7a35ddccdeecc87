// Conversion from the core's fixed 33 kHz ticks to the host's sample rate:
// per output sample the core advances by as many ticks as the rate ratio
// owes, and the output is interpolated linearly between the last two core
// samples, trailing the core by up to one tick.
#pragma once

#include "synth_core.h"

namespace t815 {

constexpr double kFallbackHostRate = 44100.0;
// Slower host rates render at the fallback rate too. No audio interface runs
// below 8 kHz, and far below it each output sample would owe the core
// thousands of ticks: at 1 Hz one block of 512 samples costs half a second of
// work (and below 2^-53 of the core rate the phase could no longer count the
// ticks at all).
constexpr double kLowestHostRate = 1000.0;

// How a block treats a steady output (steady_output.h): skipped, or every
// tick computed (for comparing the two).
enum class TickPolicy { skipSteadyTicks, computeEveryTick };

// Writes n samples into first and, when second is not null, the same samples
// into second. A host rate below 1000 Hz or not a finite number renders as
// 44100 Hz; n <= 0 writes nothing and changes nothing. Both policies give the
// same samples and leave the same state, to the bit.
void renderBlock(SynthCore& core, float* first, float* second, std::int32_t n, double hostRate,
                 TickPolicy policy = TickPolicy::skipSteadyTicks);

} // namespace t815
