// The rate converter. Its phase is advanced before the ticks it owes are
// taken, so the first outputs of a fresh core are 0.0 and the interpolation
// runs between the sample before the newest and the newest. The phase and
// both samples carry over between calls: output never depends on how the
// host splits it into blocks.
#include "rate_converter.h"

#include "tone_generator.h"

#include <cmath>

namespace t815 {

void renderBlock(SynthCore& core, float* first, float* second, std::int32_t n, double hostRate) {
    if (!(hostRate >= kLowestHostRate) || !std::isfinite(hostRate)) hostRate = kFallbackHostRate;
    const double step = kCoreRate / hostRate;
    if (n <= 0 || first == nullptr) return;

    // Nothing else touches the core during a block, so what a tick derives
    // from the settings is derived once, and the tick's working state stays
    // out of memory until the block ends.
    TickSetup setup = prepareTick(core);
    double phase = core.resamplePhase;
    float prev = core.prevSample;
    float next = core.nextSample;

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

    finishTicks(core, setup);
    core.resamplePhase = phase;
    core.prevSample = prev;
    core.nextSample = next;
}

} // namespace t815
