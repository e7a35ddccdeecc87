// The rate converter. Its phase is advanced before the ticks it owes are
// taken, so the first outputs of a fresh core are 0.0 and the interpolation
// runs between the sample before the newest and the newest. The phase and
// both samples carry over between calls: output never depends on how the
// host splits it into blocks.
//
// A block is worked in chunks: first the ticks a run of output samples owes
// are counted by replaying the phase arithmetic, then they are generated in
// one tight loop (so the processor can overlap one tick's oscillators with
// the previous tick's filter arithmetic), then the outputs are interpolated
// by replaying the phase once more. Every value is computed exactly as a
// sample-by-sample loop would.
#include "rate_converter.h"

#include "tone_generator.h"

#include <cmath>

namespace t815 {

namespace {

constexpr int kTickChunk = 256;

struct ConverterState {
    double phase;
    float prev;
    float next;
};

// Ticks owed by the outputs from the current phase on: as many outputs as
// fit into a chunk of ticks, but at least one.
int countOutputs(double phase, double step, int outputsLeft, int& ticksOwed) {
    int outputs = 0;
    ticksOwed = 0;
    while (outputs < outputsLeft) {
        double p = phase + step;
        int ticks = 0;
        while (p >= 1.0) {
            p -= 1.0;
            ++ticks;
        }
        if (outputs > 0 && ticksOwed + ticks > kTickChunk) break;
        phase = p;
        ticksOwed += ticks;
        ++outputs;
        if (ticksOwed >= kTickChunk) break;
    }
    return outputs;
}

float nextTick(SynthCore& core, TickSetup& setup) {
    return core.romReady ? runTick(core, setup) : 0.0f;
}

} // namespace

void renderBlock(SynthCore& core, float* first, float* second, std::int32_t n, double hostRate) {
    if (!(hostRate >= kLowestHostRate) || !std::isfinite(hostRate)) hostRate = kFallbackHostRate;
    const double step = kCoreRate / hostRate;
    if (n <= 0 || first == nullptr) return;

    // Nothing else touches the core during a block, so what a tick derives
    // from the settings is derived once.
    TickSetup setup = prepareTick(core);
    ConverterState s{core.resamplePhase, core.prevSample, core.nextSample};
    float ticks[kTickChunk];

    for (std::int32_t done = 0; done < n;) {
        int owed = 0;
        const int outputs = countOutputs(s.phase, step, n - done, owed);
        const bool buffered = owed <= kTickChunk; // else one output owes more than a chunk
        if (buffered)
            for (int t = 0; t < owed; ++t)
                ticks[t] = nextTick(core, setup);

        int taken = 0;
        for (int i = done; i < done + outputs; ++i) {
            s.phase += step;
            while (s.phase >= 1.0) {
                s.phase -= 1.0;
                s.prev = s.next;
                s.next = buffered ? ticks[taken++] : nextTick(core, setup);
            }
            const float v =
                static_cast<float>(s.prev + (static_cast<double>(s.next) - s.prev) * s.phase);
            first[i] = v;
            if (second != nullptr) second[i] = v;
        }
        done += outputs;
    }

    finishTicks(core, setup);
    core.resamplePhase = s.phase;
    core.prevSample = s.prev;
    core.nextSample = s.next;
}

} // namespace t815
