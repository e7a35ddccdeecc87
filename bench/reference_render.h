// The block renderer as it was before steady outputs were skipped and the
// tick loop was restructured: one tick at a time, oscillators then filter,
// inside the converter's per-sample loop. Kept for the benchmark, which times
// the core against it in the same run; it reads and writes the same state.
#pragma once

#include "synth_core.h"

#include <cmath>
#include <cstdint>

namespace t815::reference {

struct FilterSetup {
    float s1, s2, floor;
    double cutoff;
    float resonance;
    int cachedByte;
    float coefficient, feedback;
};

struct TickSetup {
    const std::uint16_t* wave;
    std::uint32_t increments[kOscillatorCount];
    std::uint32_t phases[kOscillatorCount];
    bool unisonOn, filterOn;
    FilterSetup filter;
};

inline void deriveCoefficients(FilterSetup& setup, int envelopeByte) {
    const double a = setup.floor;
    const float position = static_cast<float>(a + ((1.0 - a) / 255.0) * envelopeByte);
    const double c = setup.cutoff;
    float g = static_cast<float>((position * c + (1.0 - c)) + static_cast<double>(0.042f));
    if (g > 0.99f) g = 0.99f;
    const double r = setup.resonance;
    setup.coefficient = g;
    setup.feedback = static_cast<float>(r + r / (1.0 - g));
    setup.cachedByte = envelopeByte;
}

inline std::int32_t runFilter(SynthCore& core, FilterSetup& setup, std::int32_t x) {
    const int envelopeByte = takeLevel(core.filterStream);
    if (envelopeByte != setup.cachedByte) deriveCoefficients(setup, envelopeByte);
    const double g = setup.coefficient, q = setup.feedback, s1 = setup.s1, s2 = setup.s2;
    const float newS1 = static_cast<float>(s1 + g * ((x - s1) + (s1 - s2) * q));
    const float newS2 = static_cast<float>(s2 + g * (newS1 - s2));
    setup.s1 = newS1;
    setup.s2 = newS2;
    const float rounded = static_cast<float>(newS2 + 0.5);
    if (!(rounded > -2147483648.0f && rounded < 2147483648.0f))
        return rounded > 0.0f ? INT32_MAX : (rounded < 0.0f ? INT32_MIN : 0);
    const std::int32_t truncated = static_cast<std::int32_t>(rounded);
    return static_cast<float>(truncated) > rounded ? truncated - 1 : truncated;
}

inline TickSetup prepareTick(const SynthCore& core) {
    TickSetup setup;
    const int flags = currentVoiceProgram(core)[toneFlags];
    setup.wave = core.waveTable + kWaveLength * waveNumber(flags);
    for (int i = 0; i < kOscillatorCount; ++i) {
        const double bent = core.pitchIncrements[core.oscPitch[i]] * double{core.bendRatio};
        setup.increments[i] = static_cast<std::uint32_t>(static_cast<std::int64_t>(bent));
        setup.phases[i] = core.oscPhase[i];
    }
    setup.unisonOn = core.unisonOn;
    setup.filterOn = core.filterOn;
    FilterSetup& f = setup.filter;
    f = {};
    f.s1 = core.filterState[0];
    f.s2 = core.filterState[1];
    f.floor = static_cast<float>(filterFloorCode(flags) * static_cast<double>(1.0f / 3.0f));
    f.cutoff = core.cutoffCoef;
    const int m = resonanceCode(flags);
    float resonance = static_cast<float>((m * static_cast<double>(1.0f / 3.0f)) * core.resonance);
    if (m != 0) resonance = static_cast<float>(resonance - static_cast<double>(0.01f));
    f.resonance = resonance;
    f.cachedByte = -1;
    return setup;
}

template <bool unison> inline std::uint32_t sumOscillators(SynthCore& core, TickSetup& setup) {
    std::uint32_t sum = 0, wavePos = 0;
#pragma GCC unroll 8
    for (int i = 0; i < kOscillatorCount; ++i) {
        if (unison || (i & 1) == 0) {
            setup.phases[i] = (setup.phases[i] + setup.increments[i]) & 0xFFFFF;
            wavePos = setup.phases[i] >> 11;
        }
        const int code = setup.wave[wavePos];
        const int amplitude = core.oscPitch[i] != 0 ? takeLevel(core.ampStreams[i >> 1]) : 0;
        const int index = (4 * amplitude + (code & 0x3FF)) & 0x7FF;
        sum += (code & 0x400) ? core.levelTableHigh[index] + 256u : core.levelTableLow[index] + 1u;
    }
    return sum;
}

inline float runTick(SynthCore& core, TickSetup& setup) {
    const std::uint32_t sum =
        setup.unisonOn ? sumOscillators<true>(core, setup) : sumOscillators<false>(core, setup);
    std::int32_t word = static_cast<std::int32_t>(sum);
    if (setup.filterOn) {
        const std::int32_t y = runFilter(core, setup.filter, word - 2048);
        word = static_cast<std::int32_t>((static_cast<std::uint32_t>(y) - 2048) & 0xFFF);
    }
    return static_cast<float>(word - 2048) * (1.0f / 2048.0f);
}

inline void renderBlock(SynthCore& core, float* first, float* second, std::int32_t n,
                        double hostRate) {
    if (!(hostRate >= 1000.0) || !std::isfinite(hostRate)) hostRate = 44100.0;
    const double step = kCoreRate / hostRate;
    if (n <= 0 || first == nullptr) return;
    TickSetup setup = prepareTick(core);
    double phase = core.resamplePhase;
    float prev = core.prevSample, next = core.nextSample;
    for (std::int32_t i = 0; i < n; ++i) {
        phase += step;
        while (phase >= 1.0) {
            phase -= 1.0;
            prev = next;
            next = core.romReady ? runTick(core, setup) : 0.0f;
        }
        const float v = static_cast<float>(prev + (static_cast<double>(next) - prev) * phase);
        first[i] = v;
        if (second != nullptr) second[i] = v;
    }
    for (int i = 0; i < kOscillatorCount; ++i)
        core.oscPhase[i] = setup.phases[i];
    core.filterState[0] = setup.filter.s1;
    core.filterState[1] = setup.filter.s2;
    core.resamplePhase = phase;
    core.prevSample = prev;
    core.nextSample = next;
}

} // namespace t815::reference
