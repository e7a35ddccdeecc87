// The conditions are checked on the exact state, bit for bit: a fixed point
// is one step computed and compared, never a threshold.
#include "steady_output.h"

#include "tick_stretch.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace t815 {

namespace {

std::uint32_t bits(float v) {
    std::uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

bool pastEnd(const EnvelopeStream& stream) {
    return stream.readPos >= stream.levels.size;
}

// Takes amplitude 0 at every further tick: silent, or its envelope held at 0
// past its end (where takeLevel no longer moves the position).
bool mutedForGood(const SynthCore& core, int oscillator) {
    const EnvelopeStream& stream = core.ampStreams[oscillator >> 1];
    return core.oscPitch[oscillator] == 0 || (pastEnd(stream) && levelAtReadPos(stream) == 0);
}

// Both states +0.0 with a finite cutoff and resonance: every coefficient an
// envelope byte can give is then finite (at most 0.99, so 1 - G >= 0.01 and
// the feedback is finite too), and s1 + G((0 - s1) + (s1 - s2)Q) and
// s2 + G(s1 - s2) stay +0.0 whatever the byte, with output floor(0.5) = 0.
bool restsAtZero(const FilterSetup& filter) {
    return bits(filter.s1) == 0 && bits(filter.s2) == 0 && std::isfinite(filter.cutoff) &&
           std::isfinite(filter.resonance);
}

} // namespace

bool steadyOutput(const SynthCore& core, const TickSetup& setup, float& sample) {
    using namespace tick;
    if (!core.romReady) { // ticks yield 0.0 and change nothing
        sample = 0.0f;
        return true;
    }
    if (!core.zeroAmplitudeSilent) return false;
    for (int i = 0; i < kOscillatorCount; ++i)
        if (!mutedForGood(core, i)) return false;
    if (!setup.filterOn) {
        sample = wordSample(kWordZero);
        return true;
    }
    if (restsAtZero(setup.filter)) {
        sample = wordSample(filteredWord(0));
        return true;
    }
    // Otherwise the envelope byte must stay what it is: past its end.
    if (!pastEnd(core.filterStream)) return false;
    FilterSetup probe = setup.filter;
    const std::int32_t y = stepFilter(probe, levelAtReadPos(core.filterStream), 0);
    if (bits(probe.s1) != bits(setup.filter.s1) || bits(probe.s2) != bits(setup.filter.s2))
        return false;
    sample = wordSample(filteredWord(y));
    return true;
}

void skipSteadyTicks(SynthCore& core, TickSetup& setup, std::uint64_t ticks) {
    if (!core.romReady) return;
    advancePhases(setup, static_cast<std::uint32_t>(ticks)); // modulo 2^32 is enough
    // Amplitude envelopes are past their ends or untouched; the filter
    // envelope moves on (and stops at its end) while the filter runs.
    EnvelopeStream& envelope = core.filterStream;
    if (setup.filterOn && !pastEnd(envelope))
        envelope.readPos = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(envelope.levels.size, envelope.readPos + ticks));
}

} // namespace t815
