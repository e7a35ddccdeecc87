// Ticks over a stretch in which no envelope reaches its end. Every
// oscillator's amplitude bytes and the filter's envelope bytes then lie at a
// fixed stride in their streams (0 for an oscillator that takes none, or for
// an envelope held past its end), so a tick reads them by its index without
// the bounds check and position update of each read, and the positions move
// once, when the stretch is done. A tick's level is one lookup in the merged
// level table. The ticks are those of runTick, bit for bit; what is left of a
// tick's work is small enough to hide behind the filter's recursion.
#pragma once

#include "tone_generator.h"

namespace t815 {

struct EnvelopeReaders {
    const std::uint8_t* amp[kOscillatorCount]; // oscillator i's byte at tick t: amp[i][t * stride]
    std::uint32_t ampStride[kOscillatorCount];
    std::uint32_t slotStride[kSlotCount]; // bytes a slot's stream moves per tick
    const std::uint8_t* filter;           // the filter envelope's byte at tick t
    std::uint32_t filterStride;
};

// False when an envelope would reach its end within `ticks` ticks: runTick
// then takes the stretch.
bool prepareReaders(const SynthCore& core, const TickSetup& setup, std::uint32_t ticks,
                    EnvelopeReaders& readers);

// Moves the read positions on by what `ticks` ticks took.
void finishReaders(SynthCore& core, const TickSetup& setup, const EnvelopeReaders& readers,
                   std::uint32_t ticks);

// Tick t of the stretch.
template <bool unison, bool filterOn>
inline float runStretchTick(TickSetup& setup, const EnvelopeReaders& readers, std::uint32_t t) {
    using namespace tick;
    std::uint32_t sum = 0;
    std::uint32_t wavePos = 0;
#pragma GCC unroll 8
    for (int i = 0; i < kOscillatorCount; ++i) {
        if (unison || (i & 1) == 0) {
            setup.phases[i] = (setup.phases[i] + setup.increments[i]) & kPhaseMask;
            wavePos = setup.phases[i] >> kPhaseToWaveShift;
        }
        // A magnitude of at most 1023 plus at most 4 x 255 stays below 2048:
        // the hardware's 11-bit wrap of the index never takes effect.
        const std::uint32_t amplitude = readers.amp[i][t * readers.ampStride[i]];
        sum += setup.levelByIndex[setup.waveLevelIndices[wavePos] + 4 * amplitude];
    }
    std::int32_t word = static_cast<std::int32_t>(sum);
    if (filterOn) {
        const int envelopeByte = readers.filter[t * readers.filterStride];
        word = filteredWord(stepFilter(setup.filter, envelopeByte, word - kWordZero));
    }
    return wordSample(word);
}

} // namespace t815
