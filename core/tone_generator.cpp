// The tone generator's arithmetic, in the hardware's integer widths. Sample
// codes are sign and log magnitude: bit 10 picks the half (and the level
// table), bits 0..9 a magnitude to which four times the amplitude byte is
// added, so amplitude scales the level as a logarithm. Every level table
// entry below index 1024 is the oscillator's zero, so amplitude 0 is silence.
#include "tone_generator.h"

namespace t815 {

namespace {

constexpr std::uint32_t kPhaseMask = 0xFFFFF; // 20-bit phase
constexpr int kPhaseToWaveShift = 11;         // 2^20 / 512 codes
constexpr std::uint32_t kWordMask = 0xFFF;    // 12-bit output word
constexpr std::int32_t kWordZero = 2048;
constexpr int kSignBit = 0x400;
constexpr int kMagnitudeMask = 0x3FF;
constexpr int kLevelIndexMask = 0x7FF;
constexpr float kWordScale = 1.0f / 2048.0f;

} // namespace

TickSetup prepareTick(const SynthCore& core) {
    TickSetup setup;
    const int flags = currentVoiceProgram(core)[toneFlags];
    setup.wave = core.waveTable + kWaveLength * waveNumber(flags);
    const double bend = core.bendRatio;
    for (int i = 0; i < kOscillatorCount; ++i) {
        const double bent = core.pitchIncrements[core.oscPitch[i]] * bend;
        setup.increments[i] = static_cast<std::uint32_t>(static_cast<std::int64_t>(bent));
    }
    setup.unisonOn = core.unisonOn;
    setup.filterOn = core.filterOn;
    setup.filter = prepareFilter(core, core.cutoffCoef, core.resonance);
    return setup;
}

namespace {

// The eight oscillators' summed levels, 8..4088. Without unison an odd
// oscillator skips its phase update and reuses its partner's wave position.
template <bool unison> std::uint32_t sumOscillators(SynthCore& core, const TickSetup& setup) {
    std::uint32_t sum = 0;
    std::uint32_t wavePos = 0;
    for (int i = 0; i < kOscillatorCount; ++i) {
        if (unison || (i & 1) == 0) {
            core.oscPhase[i] = (core.oscPhase[i] + setup.increments[i]) & kPhaseMask;
            wavePos = core.oscPhase[i] >> kPhaseToWaveShift;
        }
        const int code = setup.wave[wavePos];
        const int amplitude = core.oscPitch[i] != 0 ? takeLevel(core.ampStreams[i >> 1]) : 0;
        const int index = (4 * amplitude + (code & kMagnitudeMask)) & kLevelIndexMask;
        const std::uint32_t level = (code & kSignBit) ? core.levelTableHigh[index] + 256u
                                                       : core.levelTableLow[index] + 1u;
        sum += level;
    }
    // The hardware reduces the running sum to 12 bits after each of the first
    // seven additions; seven levels of at most 511 never reach 4096, so the
    // reduction never changes it and is left out.
    return sum;
}

} // namespace

float runTick(SynthCore& core, TickSetup& setup) {
    const std::uint32_t sum = setup.unisonOn ? sumOscillators<true>(core, setup) : sumOscillators<false>(core, setup);
    std::int32_t word = static_cast<std::int32_t>(sum);
    if (setup.filterOn) {
        const std::int32_t y = runFilter(core, setup.filter, word - kWordZero);
        word = (y - kWordZero) & static_cast<std::int32_t>(kWordMask);
    }
    return static_cast<float>(word - kWordZero) * kWordScale;
}

float coreTick(SynthCore& core) {
    if (!core.romReady) return 0.0f;
    TickSetup setup = prepareTick(core);
    return runTick(core, setup);
}

} // namespace t815
