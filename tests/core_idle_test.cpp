// Skipping the ticks of a steady output changes nothing: performances with
// long silences between notes, and changes made during the silences, render
// the same samples and leave the same state, to the bit, as with every tick
// computed. The converter's phase, advanced 64 samples at a time, matches the
// per-sample loop.
#include "core_fixture.h"

#include "key_slots.h"
#include "phase_jump.h"
#include "program_select.h"
#include "rate_converter.h"
#include "steady_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

namespace t815 {
namespace {

// A change made between blocks; silence: render until the core has been
// steady for a while.
using Action = std::function<void(SynthCore&)>;
const Action kSilence = nullptr;

struct Scenario {
    const char* name;
    int program;
    std::vector<Action> steps;
};

void note(SynthCore& c, int key, bool on) {
    on ? noteOn(c, key) : noteOff(c, key);
}
Action play(std::initializer_list<int> keys) {
    return [keys = std::vector<int>(keys)](SynthCore& c) {
        for (int key : keys)
            note(c, key, true);
    };
}
Action release(std::initializer_list<int> keys) {
    return [keys = std::vector<int>(keys)](SynthCore& c) {
        for (int key : keys)
            note(c, key, false);
    };
}
Action setUnison(bool on) {
    return [on](SynthCore& c) {
        c.unisonOn = on;
        updatePitches(c);
    };
}

const std::vector<Scenario>& scenarios() {
    static const float nan = std::numeric_limits<float>::quiet_NaN();
    static const std::vector<Scenario> all = {
        {"resonant tails (subnormal fixed points)",
         1,
         {play({60, 64}), release({60, 64}), kSilence, play({48}), release({48}), kSilence}},
        {"filter switched off during a note and on again in silence",
         12,
         {play({57}), [](SynthCore& c) { c.filterOn = false; }, release({57}), kSilence,
          [](SynthCore& c) { c.filterOn = true; }, kSilence,
          [](SynthCore& c) { c.filterOn = false; }, kSilence,
          [](SynthCore& c) { c.filterOn = true; }, play({60}), release({60}), kSilence}},
        {"voice reset while notes sound",
         5,
         {play({48, 60, 67}), [](SynthCore& c) { resetVoices(c); }, kSilence}},
        {"unison toggled in silence",
         26,
         {play({50, 62}), release({50, 62}), kSilence, setUnison(false), kSilence, setUnison(true),
          kSilence, play({55}), release({55}), kSilence,
          [](SynthCore& c) { c.unisonOn = false; }, // B keeps its pitch, as after a program change
          kSilence}},
        {"bends in silence",
         0,
         {play({60}), release({60}), kSilence, [](SynthCore& c) { c.bendRatio = 1.0594631f; },
          kSilence, [](SynthCore& c) { c.bendRatio = 0.8908987f; }, play({67}), release({67}),
          kSilence}},
        {"program select in silence",
         1,
         {play({60}), release({60}), kSilence, [](SynthCore& c) { selectProgram(c, 37, true); },
          kSilence, [](SynthCore& c) { selectProgram(c, 15, true); }, play({40}), release({40}),
          kSilence}},
        {"cutoff and resonance moved in silence, also to values out of range",
         3,
         {play({72}), release({72}), kSilence,
          [](SynthCore& c) {
              c.cutoffCoef = 0.05f;
              c.resonance = 0.0f;
          },
          kSilence, [](SynthCore& c) { c.cutoffCoef = nan; }, kSilence,
          [](SynthCore& c) {
              c.cutoffCoef = 0.7f;
              c.resonance = std::numeric_limits<float>::infinity();
          },
          kSilence, [](SynthCore& c) { c.resonance = 0.95f; }, play({36}), release({36}), kSilence,
          [](SynthCore& c) {
              selectProgram(c, 3, true); // filter state 0, its envelope running
              c.cutoffCoef = nan;
          },
          kSilence}},
    };
    return all;
}

std::uint32_t bits(float v) {
    std::uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

void expectSameState(const SynthCore& a, const SynthCore& b) {
    for (int i = 0; i < kOscillatorCount; ++i)
        EXPECT_EQ(a.oscPhase[i], b.oscPhase[i]) << "oscillator " << i;
    for (int k = 0; k < kSlotCount; ++k)
        EXPECT_EQ(a.ampStreams[k].readPos, b.ampStreams[k].readPos) << "slot " << k;
    EXPECT_EQ(a.filterStream.readPos, b.filterStream.readPos);
    EXPECT_EQ(bits(a.filterState[0]), bits(b.filterState[0]));
    EXPECT_EQ(bits(a.filterState[1]), bits(b.filterState[1]));
    EXPECT_EQ(a.resamplePhase, b.resamplePhase);
    EXPECT_EQ(bits(a.prevSample), bits(b.prevSample));
    EXPECT_EQ(bits(a.nextSample), bits(b.nextSample));
}

bool steady(const SynthCore& core) {
    float sample;
    return steadyOutput(core, prepareTick(core), sample);
}

// Renders a scenario with and without skipping, block by block; a silence
// lasts until the skipping core is steady and then 4 s more.
void compare(const Scenario& scenario, double rate, int blockSize) {
    SCOPED_TRACE(testing::Message()
                 << scenario.name << " at " << rate << " Hz, blocks of " << blockSize);
    auto skipping = test::makeCore(), full = test::makeCore();
    std::vector<float> a(blockSize), b(blockSize);
    bool same = true;
    auto block = [&] {
        renderBlock(*skipping, a.data(), nullptr, blockSize, rate);
        renderBlock(*full, b.data(), nullptr, blockSize, rate, TickPolicy::computeEveryTick);
        same = same && a == b;
    };
    const int blocksPerSecond = static_cast<int>(rate / blockSize) + 1;
    for (SynthCore* core : {skipping.get(), full.get()})
        selectProgram(*core, scenario.program, true);
    for (const Action& step : scenario.steps) {
        if (step) {
            step(*skipping);
            step(*full);
            for (int i = 0; i < blocksPerSecond / 4; ++i)
                block();
            continue;
        }
        int blocks = 0;
        for (; !steady(*skipping) && blocks < 60 * blocksPerSecond; ++blocks)
            block();
        EXPECT_TRUE(steady(*skipping)) << "still not steady after a minute";
        for (int i = 0; i < 4 * blocksPerSecond; ++i)
            block();
        EXPECT_TRUE(same);
        expectSameState(*skipping, *full);
    }
}

TEST(SteadyOutput, SkippingTicksRendersEveryBitAsComputingThem) {
    for (const Scenario& scenario : scenarios())
        for (double rate : {44100.0, 48000.0, 22050.0})
            compare(scenario, rate, 512);
    compare(scenarios()[0], 96000.0, 97); // a block size that splits the 64-sample jumps
    compare(scenarios()[4], 88200.0, 4096);
}

TEST(SteadyOutput, RecognisedOnlyWhenNothingCanChange) {
    auto core = test::makeCore();
    EXPECT_TRUE(core->zeroAmplitudeSilent); // the factory level tables
    EXPECT_TRUE(steady(*core));             // fresh: all slots free, filter at rest

    noteOn(*core, 60);
    EXPECT_FALSE(steady(*core));
    resetVoices(*core); // pitches 0, filter state 0: steady although the envelopes run
    EXPECT_TRUE(steady(*core));

    core->filterState[1] = 1e-3f; // a moving filter with its envelope still running
    EXPECT_FALSE(steady(*core));
    core->filterOn = false;
    EXPECT_TRUE(steady(*core));

    // The smallest subnormal state is a fixed point for a closed envelope
    // byte (coefficient 0.052) but not for an open one (0.99).
    core->voicePrograms[core->currentProgram].bytes[toneFlags] = 0; // floor 0
    core->filterOn = true;
    const float least = std::numeric_limits<float>::denorm_min();
    core->filterState[0] = core->filterState[1] = least;
    const ByteSequence closingThenOpen{0, 255}, closed{0};
    core->filterStream.levels = test::spanOf(closingThenOpen);
    core->filterStream.readPos = 0;
    EXPECT_FALSE(steady(*core));
    core->filterStream.levels = test::spanOf(closed);
    core->filterStream.readPos = 1;
    EXPECT_TRUE(steady(*core));

    core->zeroAmplitudeSilent = false; // level tables that do not silence amplitude 0
    EXPECT_FALSE(steady(*core));
}

// 64 samples at a time versus one at a time, from phases on the 2^-53 grid
// (those a step of the grid reaches) and off it, for steps whose roundings
// drift (44.1 kHz, 33.001 kHz), that never round (48, 96 kHz) and that keep
// the phase next to the table's points (50 kHz), and steps the table does not
// cover (above 1, or finer than the grid).
TEST(PhaseJump, MatchesThePerSampleLoop) {
    const double rates[] = {44100.0, 48000.0, 96000.0, 50000.0, 33001.0, 65999.0, 88200.0, 22050.0};
    const double starts[] = {0.0, 0.5, 0.999999, 0.1, 0x1.5555555555555p-2, 0x1p-60};
    PhaseJump jump{};
    for (double rate : rates)
        for (double start : starts)
            for (std::uint64_t samples : {0u, 1u, 63u, 64u, 65u, 1000u, 100000u}) {
                const double step = kCoreRate / rate;
                double expected = start;
                std::uint64_t expectedTicks = 0;
                for (std::uint64_t i = 0; i < samples; ++i) {
                    expected += step;
                    while (expected >= 1.0) {
                        expected -= 1.0;
                        ++expectedTicks;
                    }
                }
                double phase = start;
                const std::uint64_t ticks = advancePhase(jump, phase, step, samples);
                EXPECT_EQ(ticks, expectedTicks) << rate << " " << start << " " << samples;
                EXPECT_EQ(phase, expected) << rate << " " << start << " " << samples;
            }

    // Right at and around the table's points, where a rounding can change
    // which samples wrap.
    for (double rate : {44100.0, 33001.0}) {
        const double step = kCoreRate / rate;
        const std::uint64_t unitsPerTick = std::uint64_t{1} << 53;
        const std::uint64_t s = static_cast<std::uint64_t>(step * 0x1p53);
        for (std::uint64_t j = 0; j <= 64; ++j)
            for (std::int64_t offset = -70; offset <= 70; offset += 3) {
                const std::uint64_t point = (unitsPerTick - (j * s) % unitsPerTick) % unitsPerTick;
                const std::uint64_t p = (point + unitsPerTick + offset) % unitsPerTick;
                const double start = static_cast<double>(p) * 0x1p-53;
                double expected = start, phase = start;
                std::uint64_t expectedTicks = 0;
                for (int i = 0; i < 64; ++i) {
                    expected += step;
                    if (expected >= 1.0) {
                        expected -= 1.0;
                        ++expectedTicks;
                    }
                }
                EXPECT_EQ(advancePhase(jump, phase, step, 64), expectedTicks) << j << " " << offset;
                EXPECT_EQ(phase, expected) << rate << " " << j << " " << offset;
            }
    }
}

} // namespace
} // namespace t815
