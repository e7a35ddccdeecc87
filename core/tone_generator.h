// One tick of the tone generator at the core's 33 kHz rate: eight
// oscillators (two per key slot) read the current program's wave at their
// 20-bit phases, take one amplitude byte each from their slot's envelope,
// turn wave sample and amplitude into a level 1..511 through the ROM's
// level tables, and add up to the hardware's 12-bit output word, optionally
// through the output filter.
#pragma once

#include "output_filter.h"
#include "synth_core.h"

namespace t815 {

// What a tick derives from state that stays fixed over a block of ticks (no
// other core operation runs inside a block): the wave, the bent phase
// increments, the filter's settings.
struct TickSetup {
    const std::uint16_t* wave;                  // the current program's 512 codes
    std::uint32_t increments[kOscillatorCount]; // bent increment per oscillator
    bool unisonOn;
    bool filterOn;
    FilterSetup filter;
};

TickSetup prepareTick(const SynthCore& core);

// One tick with a prepared setup; core.romReady must be true.
float runTick(SynthCore& core, TickSetup& setup);

// Advances the eight oscillators and the envelopes by one tick and returns
// the output word as a sample in -1.0 .. 0.99951171875; 0.0 before the ROM
// is unpacked.
float coreTick(SynthCore& core);

} // namespace t815
