// Ticks over a stretch in which no envelope reaches its end. Every
// oscillator's amplitude bytes and the filter's envelope bytes then lie at a
// fixed stride in their streams (0 for an oscillator that takes none, or for
// an envelope held past its end); they are copied into one row per reader
// before the stretch, so that a tick reads them by its index, without the
// bounds check and position update of each read, and the positions move
// once, when the stretch is done. The eight phases advance as two vectors of
// four, and a level is one lookup in the merged level table. The ticks are
// those of runTick, bit for bit; what is left of a tick's work is small
// enough to hide behind the filter's recursion.
#pragma once

#include "tone_generator.h"

namespace t815 {

constexpr std::uint32_t kStretchTicks = 512; // most ticks one stretch takes

struct EnvelopeRows {
    std::uint8_t amp[kOscillatorCount][kStretchTicks]; // oscillator i's byte at tick t
    std::uint8_t filter[kStretchTicks];                // the filter envelope's byte at tick t
    std::uint32_t slotStride[kSlotCount];              // bytes a slot's stream moves per tick
    std::uint32_t filterStride;
};

// False when an envelope would reach its end within `ticks` ticks (at most
// kStretchTicks): runTick then takes the stretch.
bool fillRows(const SynthCore& core, const TickSetup& setup, std::uint32_t ticks,
              EnvelopeRows& rows);

// Moves the read positions on by what `ticks` ticks took.
void finishRows(SynthCore& core, const TickSetup& setup, const EnvelopeRows& rows,
                std::uint32_t ticks);

using PhaseVector = std::uint32_t __attribute__((vector_size(16)));

// The phases of oscillators 0..3 and 4..7 and their increments; without
// unison the odd oscillators' increments are 0, as they skip their update.
struct PhaseVectors {
    PhaseVector low, high;
    PhaseVector lowIncrement, highIncrement;
};

inline PhaseVectors loadPhases(const TickSetup& setup) {
    PhaseVectors v;
    for (int i = 0; i < 4; ++i) {
        const bool moves = setup.unisonOn || (i & 1) == 0;
        v.low[i] = setup.phases[i];
        v.high[i] = setup.phases[i + 4];
        v.lowIncrement[i] = moves ? setup.increments[i] : 0;
        v.highIncrement[i] = moves ? setup.increments[i + 4] : 0;
    }
    return v;
}

inline void storePhases(TickSetup& setup, const PhaseVectors& v) {
    for (int i = 0; i < 4; ++i) {
        setup.phases[i] = v.low[i];
        setup.phases[i + 4] = v.high[i];
    }
}

// The phases after `ticks` more ticks, in closed form: phases count modulo
// 2^20, which divides 2^32, so the tick count modulo 2^32 is enough.
inline void advancePhases(TickSetup& setup, std::uint32_t ticks) {
    PhaseVectors v = loadPhases(setup);
    const PhaseVector count = {ticks, ticks, ticks, ticks};
    v.low = (v.low + count * v.lowIncrement) & tick::kPhaseMask;
    v.high = (v.high + count * v.highIncrement) & tick::kPhaseMask;
    storePhases(setup, v);
}

// The summed levels of tick t of the stretch, 8..4088.
template <bool unison>
inline std::uint32_t sumRowLevels(PhaseVectors& phases, const std::uint16_t* indices,
                                  const std::uint16_t* levels, const EnvelopeRows& rows,
                                  std::uint32_t t) {
    using namespace tick;
    phases.low = (phases.low + phases.lowIncrement) & kPhaseMask;
    phases.high = (phases.high + phases.highIncrement) & kPhaseMask;
    const PhaseVector low = phases.low >> kPhaseToWaveShift;
    const PhaseVector high = phases.high >> kPhaseToWaveShift;
    // Without unison an odd oscillator reads its partner's wave position.
    const std::uint32_t wavePos[kOscillatorCount] = {
        low[0],  low[unison ? 1 : 0],  low[2],  low[unison ? 3 : 2],
        high[0], high[unison ? 1 : 0], high[2], high[unison ? 3 : 2]};
    std::uint32_t sum = 0;
#pragma GCC unroll 8
    for (int i = 0; i < kOscillatorCount; ++i)
        // A magnitude of at most 1023 plus at most 4 x 255 stays below 2048:
        // the hardware's 11-bit wrap of the index never takes effect.
        sum += levels[indices[wavePos[i]] + 4u * rows.amp[i][t]];
    return sum;
}

// Tick t's sample from its summed levels.
template <bool filterOn>
inline float rowSample(FilterSetup& filter, const EnvelopeRows& rows, std::uint32_t t,
                       std::uint32_t sum) {
    using namespace tick;
    std::int32_t word = static_cast<std::int32_t>(sum);
    if (filterOn) word = filteredWord(stepFilter(filter, rows.filter[t], word - kWordZero));
    return wordSample(word);
}

} // namespace t815
