// Recognising an output that can no longer change, and what the ticks it
// skips would still have done. Every oscillator that takes amplitude 0 at
// every further tick adds exactly its zero (the level tables hold it at every
// index amplitude 0 reaches), so the word is 2048 and the filter's input 0;
// a filter whose two states are a fixed point of its step for that input and
// for every envelope byte still to come then gives the same sample for ever.
// The ticks then only move the phases and the filter envelope's position.
#pragma once

#include "tone_generator.h"

#include <cstdint>

namespace t815 {

// True when every further tick with this setup yields `sample`; the setup
// holds the block's working phases and filter states.
bool steadyOutput(const SynthCore& core, const TickSetup& setup, float& sample);

// Does what `ticks` ticks do to a core whose output is steady.
void skipSteadyTicks(SynthCore& core, TickSetup& setup, std::uint64_t ticks);

} // namespace t815
