// The tone generator's arithmetic, in the hardware's integer widths. Sample
// codes are sign and log magnitude: bit 10 picks the half (and the level
// table), bits 0..9 a magnitude to which four times the amplitude byte is
// added, so amplitude scales the level as a logarithm. Every level table
// entry below index 1024 is the oscillator's zero, so amplitude 0 is silence.
#include "tone_generator.h"

namespace t815 {

TickSetup prepareTick(const SynthCore& core) {
    TickSetup setup;
    const int flags = currentVoiceProgram(core)[toneFlags];
    setup.wave = core.waveTable + kWaveLength * waveNumber(flags);
    setup.waveLevelIndices = core.waveLevelIndices + kWaveLength * waveNumber(flags);
    setup.levelByIndex = core.levelByIndex;
    const double bend = core.bendRatio;
    for (int i = 0; i < kOscillatorCount; ++i) {
        const double bent = core.pitchIncrements[core.oscPitch[i]] * bend;
        // Truncated toward zero, kept modulo 2^32. Within the int32 range
        // (every bend the shell sets) one SSE2 conversion does it; a 64-bit
        // one is a slow x87 sequence on 32-bit targets.
        setup.increments[i] = bent > -2147483648.0 && bent < 2147483648.0
                                  ? static_cast<std::uint32_t>(static_cast<std::int32_t>(bent))
                                  : static_cast<std::uint32_t>(static_cast<std::int64_t>(bent));
        setup.phases[i] = core.oscPhase[i];
    }
    setup.unisonOn = core.unisonOn;
    setup.filterOn = core.filterOn;
    setup.filter = prepareFilter(core, core.cutoffCoef, core.resonance);
    return setup;
}

float coreTick(SynthCore& core) {
    if (!core.romReady) return 0.0f;
    TickSetup setup = prepareTick(core);
    const float sample = runTick(core, setup);
    finishTicks(core, setup);
    return sample;
}

} // namespace t815
