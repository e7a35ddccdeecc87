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

// The tone generator at work over a block of ticks (no other core operation
// runs inside a block): what it derives from state that stays fixed (the
// wave, the bent phase increments, the filter's settings) and working copies
// of the phases and filter states, stored back by finishTicks.
struct TickSetup {
    const std::uint16_t* wave;             // the current program's 512 codes
    const std::uint16_t* waveLevelIndices; // the same as indices into levelByIndex
    const std::uint16_t* levelByIndex;
    std::uint32_t increments[kOscillatorCount]; // bent increment per oscillator
    std::uint32_t phases[kOscillatorCount];     // working copy of oscPhase
    bool unisonOn;
    bool filterOn;
    FilterSetup filter;
};

TickSetup prepareTick(const SynthCore& core);

// Stores the working phases and filter states back into the core.
inline void finishTicks(SynthCore& core, const TickSetup& setup) {
    for (int i = 0; i < kOscillatorCount; ++i)
        core.oscPhase[i] = setup.phases[i];
    finishFilter(core, setup.filter);
}

// The hardware's widths and codes. Sample codes are sign and log magnitude:
// bit 10 picks the half (and the level table), bits 0..9 a magnitude to which
// four times the amplitude byte is added, so amplitude scales the level as a
// logarithm. Every level table entry below index 1024 is the oscillator's
// zero, so amplitude 0 is silence.
namespace tick {

constexpr std::uint32_t kPhaseMask = 0xFFFFF; // 20-bit phase
constexpr int kPhaseToWaveShift = 11;         // 2^20 / 512 codes
constexpr std::uint32_t kWordMask = 0xFFF;    // 12-bit output word
constexpr std::int32_t kWordZero = 2048;
constexpr int kSignBit = 0x400;
constexpr int kMagnitudeMask = 0x3FF;
constexpr int kLevelIndexMask = 0x7FF;
constexpr float kWordScale = 1.0f / 2048.0f;

// The eight oscillators' summed levels, 8..4088. Without unison an odd
// oscillator skips its phase update and reuses its partner's wave position.
template <bool unison> inline std::uint32_t sumOscillators(SynthCore& core, TickSetup& setup) {
    std::uint32_t sum = 0;
    std::uint32_t wavePos = 0;
#pragma GCC unroll 8
    for (int i = 0; i < kOscillatorCount; ++i) {
        if (unison || (i & 1) == 0) {
            setup.phases[i] = (setup.phases[i] + setup.increments[i]) & kPhaseMask;
            wavePos = setup.phases[i] >> kPhaseToWaveShift;
        }
        const int code = setup.wave[wavePos];
        const int amplitude = core.oscPitch[i] != 0 ? takeLevel(core.ampStreams[i >> 1]) : 0;
        const int index = (4 * amplitude + (code & kMagnitudeMask)) & kLevelIndexMask;
        const std::uint32_t level =
            (code & kSignBit) ? core.levelTableHigh[index] + 256u : core.levelTableLow[index] + 1u;
        sum += level;
    }
    // The hardware reduces the running sum to 12 bits after each of the first
    // seven additions; seven levels of at most 511 never reach 4096, so the
    // reduction never changes it and is left out.
    return sum;
}

// The filter's output re-centred as a 12-bit word: an overshoot beyond
// +-2048 wraps to the other end, as the hardware's would. Unsigned, so that
// even a saturated result wraps without overflow.
inline std::int32_t filteredWord(std::int32_t y) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(y) - kWordZero) & kWordMask);
}

inline float wordSample(std::int32_t word) {
    return static_cast<float>(word - kWordZero) * kWordScale;
}

} // namespace tick

// One tick with a prepared setup (stored back by finishTicks); core.romReady
// must be true. Inline: it
// runs 33,000 times a second inside the rate converter's loop.
inline float runTick(SynthCore& core, TickSetup& setup) {
    using namespace tick;
    const std::uint32_t sum =
        setup.unisonOn ? sumOscillators<true>(core, setup) : sumOscillators<false>(core, setup);
    std::int32_t word = static_cast<std::int32_t>(sum);
    if (setup.filterOn) word = filteredWord(runFilter(core, setup.filter, word - kWordZero));
    return wordSample(word);
}

// Advances the eight oscillators and the envelopes by one tick and returns
// the output word as a sample in -1.0 .. 0.99951171875; 0.0 before the ROM
// is unpacked.
float coreTick(SynthCore& core);

} // namespace t815
