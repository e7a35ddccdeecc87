// The rate converter. Its phase is advanced before the ticks it owes are
// taken, so the first outputs of a fresh core are 0.0 and the interpolation
// runs between the sample before the newest and the newest. The phase and
// both samples carry over between calls: output never depends on how the
// host splits it into blocks.
//
// A block is rendered in stretches; before each, the core is checked for an
// output that can no longer change (no key sounding, the filter at rest), and
// from there on the block only fills in that sample and advances the phases.
// Nothing else touches the core during a block, so once steady it stays
// steady to the block's end.
#include "rate_converter.h"

#include "steady_output.h"
#include "tick_stretch.h"
#include "tone_generator.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace t815 {

namespace {

constexpr std::int32_t kStretch = 256; // samples between checks for a steady output

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The converter's state during a block (stored back at its end).
struct Converter {
    double step;  // ticks per output sample
    double phase; // resamplePhase
    float prev;   // prevSample
    float next;   // nextSample
};

void write(float* first, float* second, std::int32_t i, float v) {
    first[i] = v;
    if (second != nullptr) second[i] = v;
}

// Samples from..to-1 with every tick yielding `sample`.
void renderSteady(SynthCore& core, TickSetup& setup, Converter& c, float* first, float* second,
                  std::int32_t from, std::int32_t to, float sample) {
    std::uint64_t ticks = 0;
    std::int32_t i = from;
    // Interpolated until both samples it spans are the steady one (two ticks).
    for (; i < to && !(sameBits(c.prev, sample) && sameBits(c.next, sample)); ++i) {
        c.phase += c.step;
        while (c.phase >= 1.0) {
            c.phase -= 1.0;
            c.prev = c.next;
            c.next = sample;
            ++ticks;
        }
        write(first, second, i,
              static_cast<float>(c.prev + (static_cast<double>(c.next) - c.prev) * c.phase));
    }
    if (i < to) {
        std::fill(first + i, first + to, sample);
        if (second != nullptr) std::fill(second + i, second + to, sample);
        ticks += advancePhase(core.phaseJump, c.phase, c.step, static_cast<std::uint64_t>(to - i));
    }
    skipSteadyTicks(core, setup, ticks);
}

// The stretch's ticks from envelope rows, then the samples interpolated
// between them. The ticks run in a loop free of unpredictable branches, every
// working value a local that nothing else can reach, and each step of it sums
// the levels of a tick kLead ticks ahead of the one it filters: the two are
// independent, so the processor overlaps the oscillators' work with the
// filter's recursion. The loop takes `mostTicks`, the most the samples can
// owe; the phases and the filter's states are then set to those after the
// ticks the samples did take (a tick past those changes nothing else).
// Returns that number of ticks.
template <bool unison, bool filterOn>
std::uint32_t renderStretch(TickSetup& setup, const EnvelopeRows& rows, std::uint32_t mostTicks,
                            Converter& c, float* first, float* second, std::int32_t from,
                            std::int32_t to) {
    constexpr std::uint32_t kLead = 32;
    std::uint32_t sums[kStretchTicks];
    float samples[kStretchTicks];
    float states[kStretchTicks][2];
    {
        PhaseVectors phases = loadPhases(setup);
        FilterSetup filter = setup.filter;
        const std::uint16_t* indices = setup.waveLevelIndices;
        const std::uint16_t* levels = setup.levelByIndex;
        const std::uint32_t lead = std::min(kLead, mostTicks);
        for (std::uint32_t t = 0; t < lead; ++t)
            sums[t] = sumRowLevels<unison>(phases, indices, levels, rows, t);
        auto filterTick = [&](std::uint32_t t) {
            samples[t] = rowSample<filterOn>(filter, rows, t, sums[t]);
            states[t][0] = filter.s1;
            states[t][1] = filter.s2;
        };
        for (std::uint32_t t = lead; t < mostTicks; ++t) {
            sums[t] = sumRowLevels<unison>(phases, indices, levels, rows, t);
            filterTick(t - lead);
        }
        for (std::uint32_t t = mostTicks - lead; t < mostTicks; ++t)
            filterTick(t);
    }

    const double step = c.step;
    double phase = c.phase;
    float prev = c.prev;
    float next = c.next;
    std::uint32_t t = 0;
    for (std::int32_t i = from; i < to; ++i) {
        phase += step;
        while (phase >= 1.0) {
            phase -= 1.0;
            prev = next;
            next = samples[t++];
        }
        write(first, second, i,
              static_cast<float>(prev + (static_cast<double>(next) - prev) * phase));
    }
    c.phase = phase;
    c.prev = prev;
    c.next = next;

    advancePhases(setup, t); // the loop's own phases ran on to mostTicks
    if (filterOn && t > 0) {
        setup.filter.s1 = states[t - 1][0];
        setup.filter.s2 = states[t - 1][1];
    }
    return t;
}

void renderTicks(SynthCore& core, TickSetup& setup, Converter& c, float* first, float* second,
                 std::int32_t from, std::int32_t to) {
    // At most one tick more than the samples' share: the phase starts below 1.
    const double mostTicks = (to - from) * c.step + 2.0;
    EnvelopeRows rows;
    if (core.romReady && mostTicks <= kStretchTicks &&
        fillRows(core, setup, static_cast<std::uint32_t>(mostTicks), rows)) {
        const auto stretch =
            setup.unisonOn
                ? (setup.filterOn ? renderStretch<true, true> : renderStretch<true, false>)
                : (setup.filterOn ? renderStretch<false, true> : renderStretch<false, false>);
        const auto most = static_cast<std::uint32_t>(mostTicks);
        finishRows(core, setup, rows, stretch(setup, rows, most, c, first, second, from, to));
        return;
    }
    for (std::int32_t i = from; i < to; ++i) {
        c.phase += c.step;
        while (c.phase >= 1.0) {
            c.phase -= 1.0;
            c.prev = c.next;
            c.next = core.romReady ? runTick(core, setup) : 0.0f;
        }
        write(first, second, i,
              static_cast<float>(c.prev + (static_cast<double>(c.next) - c.prev) * c.phase));
    }
}

} // namespace

void renderBlock(SynthCore& core, float* first, float* second, std::int32_t n, double hostRate,
                 TickPolicy policy) {
    if (!(hostRate >= kLowestHostRate) || !std::isfinite(hostRate)) hostRate = kFallbackHostRate;
    const double step = kCoreRate / hostRate;
    if (n <= 0 || first == nullptr) return;

    // What a tick derives from the settings is derived once per block, and
    // the tick's working state stays out of memory until the block ends.
    TickSetup setup = prepareTick(core);
    Converter c{step, core.resamplePhase, core.prevSample, core.nextSample};

    // Stretches short enough for their ticks to fit the envelope rows.
    // (Compared in double first: at very high host rates the quotient is
    // beyond any int.)
    const double fitting = (kStretchTicks - 2) / step;
    const std::int32_t stretch =
        fitting >= kStretch ? kStretch : std::max(1, static_cast<std::int32_t>(fitting));
    for (std::int32_t i = 0; i < n;) {
        float sample;
        if (policy == TickPolicy::skipSteadyTicks && steadyOutput(core, setup, sample)) {
            renderSteady(core, setup, c, first, second, i, n, sample);
            break;
        }
        const std::int32_t end = n - i > stretch ? i + stretch : n;
        renderTicks(core, setup, c, first, second, i, end);
        i = end;
    }

    finishTicks(core, setup);
    core.resamplePhase = c.phase;
    core.prevSample = c.prev;
    core.nextSample = c.next;
}

} // namespace t815
