// The real-time core: tone generator ticks, the output filter and the rate
// converter, checked on exact values and invariants.
#include "core_fixture.h"

#include "key_slots.h"
#include "output_filter.h"
#include "program_select.h"
#include "rate_converter.h"
#include "tone_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace t815 {
namespace {

using test::makeCore;

void setToneFlags(SynthCore& core, int flags) {
    core.voicePrograms[core.currentProgram].bytes[toneFlags] = flags;
}

TEST(ToneGenerator, SilentBeforeTheRomAndWithAllSlotsFree) {
    auto core = makeCore();
    core->filterOn = false;
    EXPECT_EQ(coreTick(*core), 0.0f); // every oscillator adds exactly 256
    core->filterOn = true;
    EXPECT_EQ(coreTick(*core), 0.0f);
    for (const EnvelopeStream& stream : core->ampStreams)
        EXPECT_EQ(stream.readPos, 0u);

    noteOn(*core, 60);
    core->romReady = false;
    const std::uint32_t phase = core->oscPhase[0];
    EXPECT_EQ(coreTick(*core), 0.0f);
    EXPECT_EQ(core->oscPhase[0], phase);
    EXPECT_EQ(core->ampStreams[0].readPos, 0u);
}

TEST(ToneGenerator, UnisonConsumesTheEnvelopeTwiceAsFast) {
    auto core = makeCore();
    noteOn(*core, 60);
    for (int t = 0; t < 10; ++t)
        coreTick(*core);
    EXPECT_EQ(core->ampStreams[0].readPos, 20u);

    core->unisonOn = false;
    updatePitches(*core);
    core->ampStreams[0].readPos = 0;
    const std::uint32_t oddPhases[4] = {core->oscPhase[1], core->oscPhase[3], core->oscPhase[5],
                                        core->oscPhase[7]};
    for (int t = 0; t < 10; ++t)
        coreTick(*core);
    EXPECT_EQ(core->ampStreams[0].readPos, 10u);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(core->oscPhase[2 * k + 1], oddPhases[k]); // frozen
}

TEST(ToneGenerator, OscillatorBWithoutUnisonReadsItsPartnersWavePosition) {
    // A program change without reset can leave B with a pitch while unison
    // is off: it takes the next amplitude byte but plays A's wave position.
    auto core = makeCore();
    core->filterOn = false;
    noteOn(*core, 60);
    core->unisonOn = false; // B keeps its pitch
    core->oscPhase[0] = 100u << 11;
    core->oscPhase[1] = 300u << 11;
    core->pitchIncrements[core->oscPitch[0]] = 0; // hold A still at position 100
    const float out = coreTick(*core);
    EXPECT_EQ(core->ampStreams[0].readPos, 2u);
    EXPECT_EQ(core->oscPhase[1], 300u << 11);
    // Both oscillators read code 100 with amplitude byte 0 (first attack level): silence.
    EXPECT_EQ(out, 0.0f);
}

TEST(ToneGenerator, PhaseWrapsAt20Bits) {
    auto core = makeCore();
    noteOn(*core, 60);
    core->pitchIncrements[5] = 32;
    core->oscPitch[0] = 5;
    core->oscPhase[0] = (1u << 20) - 16;
    coreTick(*core);
    EXPECT_EQ(core->oscPhase[0], 16u);
}

TEST(ToneGenerator, BendRatioTruncatesTheIncrement) {
    auto core = makeCore();
    noteOn(*core, 60);
    const std::uint32_t increment = core->pitchIncrements[core->oscPitch[0]];
    core->oscPhase[0] = 0;
    core->bendRatio = 1.0f;
    coreTick(*core);
    EXPECT_EQ(core->oscPhase[0], increment);

    core->oscPhase[0] = 0;
    core->bendRatio = 0.9f;
    coreTick(*core);
    EXPECT_EQ(core->oscPhase[0],
              static_cast<std::uint32_t>(std::trunc(increment * static_cast<double>(0.9f))));
    EXPECT_LT(core->oscPhase[0], increment);
}

TEST(ToneGenerator, HeldStreamNeverWrapsBackToItsAttack) {
    auto core = makeCore();
    noteOn(*core, 60);
    EnvelopeStream& stream = core->ampStreams[0];
    const std::uint8_t last = stream.levels.data[stream.levels.size - 1];
    stream.readPos = 0xFFFFFFFFu - 2; // as after a very long held note
    for (int t = 0; t < 8; ++t)
        coreTick(*core);
    EXPECT_EQ(levelAtReadPos(stream), last);
    EXPECT_GE(stream.readPos, stream.levels.size);

    // A position counted to the end stops there.
    stream.readPos = stream.levels.size - 1;
    for (int t = 0; t < 4; ++t)
        coreTick(*core);
    EXPECT_EQ(stream.readPos, stream.levels.size);
    EXPECT_EQ(levelAtReadPos(stream), last);

    EnvelopeStream empty;
    EXPECT_EQ(takeLevel(empty), 0);
    EXPECT_EQ(empty.readPos, 0u);
}

TEST(ToneGenerator, FilterDisabledFreezesItsEnvelopeAndState) {
    auto core = makeCore();
    selectProgram(*core, 1, true);
    noteOn(*core, 60);
    for (int t = 0; t < 50; ++t)
        coreTick(*core);
    EXPECT_EQ(core->filterStream.readPos, 50u);
    core->filterOn = false;
    const float s1 = core->filterState[0];
    for (int t = 0; t < 50; ++t)
        coreTick(*core);
    EXPECT_EQ(core->filterStream.readPos, 50u);
    EXPECT_EQ(core->filterState[0], s1);
}

// Output of one filter step from state (z, z) with silent oscillators.
std::int32_t filterOutputFrom(SynthCore& core, float z) {
    const float saved[2] = {core.filterState[0], core.filterState[1]};
    const std::uint32_t pos = core.filterStream.readPos;
    core.filterState[0] = core.filterState[1] = z;
    const std::int32_t y = outputFilter(core, 0, core.cutoffCoef, core.resonance);
    core.filterState[0] = saved[0];
    core.filterState[1] = saved[1];
    core.filterStream.readPos = pos;
    return y;
}

TEST(ToneGenerator, FilterOutputWrapsAsA12BitWord) {
    auto core = makeCore();
    setToneFlags(*core, 3 << 3); // floor 1: coefficient at its ceiling
    bool seen2048 = false, seen2047 = false;
    for (float z = 100000.0f; z < 106000.0f && !(seen2048 && seen2047); z += 1.0f) {
        const std::int32_t y = filterOutputFrom(*core, z);
        if (y != 2048 && y != 2047) continue;
        core->filterState[0] = core->filterState[1] = z;
        const float out = coreTick(*core);
        if (y == 2048) {
            EXPECT_EQ(out, -1.0f);
            seen2048 = true;
        } else {
            EXPECT_EQ(out, 0.99951171875f);
            seen2047 = true;
        }
    }
    EXPECT_TRUE(seen2048 && seen2047);
}

// States no setting in range can reach (an unstable filter, infinities,
// NaN) still give a defined word: saturated or 0, never an overflow.
TEST(ToneGenerator, UnreachableFilterStatesStayDefined) {
    auto core = makeCore();
    const float inf = std::numeric_limits<float>::infinity();
    for (float state : {3e38f, -3e38f, 3e9f, -3e9f, inf, -inf, std::nanf("")}) {
        core->filterState[0] = core->filterState[1] = state;
        const float out = coreTick(*core);
        EXPECT_TRUE(out >= -1.0f && out < 1.0f) << state;
    }
}

TEST(OutputFilter, CoefficientAndResonanceRules) {
    auto core = makeCore();
    setToneFlags(*core, 0); // floor 0, resonance code 0
    const ByteSequence closed{0};
    core->filterStream.levels = test::spanOf(closed);
    FilterSetup setup = prepareFilter(*core, 0.99f, 0.8f);
    runFilter(*core, setup, 0);
    EXPECT_EQ(setup.coefficient, 0.05199999f);
    EXPECT_EQ(setup.resonance, 0.0f); // code 0: no resonance, no offset
    EXPECT_EQ(setup.feedback, 0.0f);

    setToneFlags(*core, 3 << 3); // floor 1
    for (float c : {0.05f, 0.5f, 0.99f})
        for (int d : {0, 128, 255}) {
            const ByteSequence level{static_cast<std::uint8_t>(d)};
            core->filterStream.levels = test::spanOf(level);
            FilterSetup ceiling = prepareFilter(*core, c, 0.5f);
            runFilter(*core, ceiling, 0);
            EXPECT_EQ(ceiling.coefficient, 0.99f);
        }

    setToneFlags(*core, 3 << 5); // resonance code 3: all of r, less 0.01
    EXPECT_NEAR(prepareFilter(*core, 0.5f, 0.95f).resonance, 0.94f, 1e-6);
    setToneFlags(*core, 1 << 5); // code 1: a third of r, less 0.01
    EXPECT_NEAR(prepareFilter(*core, 0.5f, 0.9f).resonance, 0.29f, 1e-6);
}

TEST(OutputFilter, ConstantInputSettlesToItself) {
    auto core = makeCore();
    const ByteSequence closed{0};
    for (int flags : {0, 3 << 5, (1 << 3) | (2 << 5), (3 << 3) | (3 << 5)})
        for (float c : {0.05f, 0.5f, 0.99f})
            for (float r : {0.0f, 0.95f}) {
                setToneFlags(*core, flags);
                core->filterStream.levels = test::spanOf(closed);
                core->filterState[0] = core->filterState[1] = 0.0f;
                std::int32_t y = 0;
                for (int t = 0; t < 40000; ++t)
                    y = outputFilter(*core, 1000, c, r);
                EXPECT_EQ(y, 1000) << flags << " " << c << " " << r;
            }
    core->filterState[0] = core->filterState[1] = 0.0f;
    EXPECT_EQ(outputFilter(*core, 0, 0.99f, 0.95f), 0);
    EXPECT_EQ(core->filterState[0], 0.0f);
}

TEST(OutputFilter, EachStepTakesOneEnvelopeByte) {
    auto core = makeCore();
    const ByteSequence levels(100, 7);
    core->filterStream.levels = test::spanOf(levels);
    core->filterStream.readPos = 0;
    for (int t = 0; t < 100; ++t)
        outputFilter(*core, 0, 0.5f, 0.5f);
    EXPECT_EQ(core->filterStream.readPos, 100u);
}

std::vector<float> render(SynthCore& core, int n, double rate) {
    std::vector<float> out(n);
    renderBlock(core, out.data(), nullptr, n, rate);
    return out;
}

std::vector<float> ticks(SynthCore& core, int n) {
    std::vector<float> out(n);
    for (float& v : out)
        v = coreTick(core);
    return out;
}

// Streams read levels stored next to other sequences. Past its end (and
// when empty) a stream gives its own last byte (0), whatever follows it in
// storage: two cores whose streams differ only in the byte after the end
// render the same, from every position up to a stretch of ticks before the
// end, at it and past it, through blocks and tick by tick, with one and two
// oscillators taking from the stream.
TEST(ToneGenerator, StreamEndIgnoresWhatFollowsInStorage) {
    constexpr std::uint32_t kSize = 1200;
    ByteSequence quiet(kSize + 1), loud(kSize + 1); // ramps of 50..200, then 0 or 255
    for (std::uint32_t i = 0; i < kSize; ++i)
        quiet[i] = loud[i] = static_cast<std::uint8_t>(50 + i % 151);
    loud[kSize] = 255;
    auto cores = {makeCore(), makeCore()}; // quiet, loud
    for (const test::CorePtr& core : cores)
        noteOn(*core, 60);

    auto compare = [&](std::uint32_t size, std::uint32_t readPos, bool unison, bool blocks) {
        SCOPED_TRACE(testing::Message()
                     << size << " " << readPos << " " << unison << " " << blocks);
        std::vector<float> out[2];
        int which = 0;
        for (const test::CorePtr& core : cores) {
            core->unisonOn = unison;
            updatePitches(*core);
            const LevelSpan levels{(which ? loud : quiet).data(), size};
            core->ampStreams[0] = {levels, readPos};
            core->filterStream = {levels, readPos};
            out[which++] = blocks ? render(*core, 2000, 48000.0) : ticks(*core, 1300);
            for (const EnvelopeStream* stream : {&core->ampStreams[0], &core->filterStream}) {
                EXPECT_EQ(levelAtReadPos(*stream), size ? quiet[size - 1] : 0);
                EXPECT_EQ(stream->readPos, std::max(readPos, size));
            }
        }
        return out[0] == out[1];
    };
    for (bool unison : {true, false}) {
        for (std::uint32_t readPos = 0; readPos <= kSize + 2; ++readPos)
            EXPECT_TRUE(compare(kSize, readPos, unison, true));
        for (std::uint32_t readPos : {kSize - 3, kSize - 1, kSize, kSize + 9})
            EXPECT_TRUE(compare(kSize, readPos, unison, false));
        for (bool blocks : {true, false})
            for (std::uint32_t readPos : {0u, 5u})
                EXPECT_TRUE(compare(0, readPos, unison, blocks));
    }
}

TEST(RateConverter, OneTickPerSampleAt33000) {
    auto a = makeCore(), b = makeCore();
    noteOn(*a, 60);
    noteOn(*b, 60);
    const std::vector<float> out = render(*a, 300, 33000.0);
    const std::vector<float> core = ticks(*b, 300);
    EXPECT_EQ(out[0], 0.0f);
    for (int i = 1; i < 300; ++i)
        EXPECT_EQ(out[i], core[i - 1]);
    EXPECT_EQ(a->resamplePhase, 0.0);
}

// Blocks take their ticks in stretches that read the envelopes by index;
// every tick must still be coreTick's, in every oscillator configuration and
// across envelope ends.
TEST(RateConverter, BlockTicksAreSingleTicks) {
    const std::function<void(SynthCore&)> setups[] = {
        [](SynthCore&) {},                                          // unison, filter
        [](SynthCore& c) { c.filterOn = false; },                   // unison, no filter
        [](SynthCore& c) { c.unisonOn = false, updatePitches(c); }, // B silent
        [](SynthCore& c) { c.unisonOn = false; },             // B sounding at A's wave position
        [](SynthCore& c) { noteOff(c, 48), noteOff(c, 55); }, // releases that end
    };
    for (const auto& setup : setups) {
        auto a = makeCore(), b = makeCore();
        for (SynthCore* core : {a.get(), b.get()}) {
            selectProgram(*core, 2, true);
            for (int key : {48, 55, 60, 64})
                noteOn(*core, key);
            setup(*core);
        }
        std::vector<float> out(40000);
        for (std::size_t i = 0; i < out.size(); i += 700)
            renderBlock(*a, out.data() + i, nullptr,
                        static_cast<std::int32_t>(std::min<std::size_t>(700, out.size() - i)),
                        33000.0);
        const std::vector<float> expected = ticks(*b, static_cast<int>(out.size()));
        EXPECT_TRUE(std::equal(out.begin() + 1, out.end(), expected.begin()));
        for (int i = 0; i < kOscillatorCount; ++i)
            EXPECT_EQ(a->oscPhase[i], b->oscPhase[i]);
    }
}

TEST(RateConverter, FirstSamplesAt48000) {
    auto a = makeCore(), b = makeCore();
    noteOn(*a, 67);
    noteOn(*b, 67);
    for (int t = 0; t < 2000; ++t) { // get away from silence
        coreTick(*a);
        coreTick(*b);
    }
    const std::vector<float> out = render(*a, 3, 48000.0);
    const std::vector<float> t = ticks(*b, 2);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], static_cast<float>(0.375 * t[0]));
    EXPECT_EQ(out[2], static_cast<float>(t[0] + (static_cast<double>(t[1]) - t[0]) * 0.0625));
    EXPECT_NE(t[0], 0.0f);
}

TEST(RateConverter, BadRatesAndCounts) {
    auto reference = makeCore();
    noteOn(*reference, 60);
    const std::vector<float> expected = render(*reference, 2000, 44100.0);
    for (double rate :
         {0.0, -1.0, 0.5, 1.0, 10.0, 999.0, 1e-300, std::numeric_limits<double>::quiet_NaN(),
          std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}) {
        auto core = makeCore();
        noteOn(*core, 60);
        EXPECT_EQ(render(*core, 2000, rate), expected) << rate;
    }

    auto core = makeCore();
    noteOn(*core, 60);
    render(*core, 5, 44100.0);
    const double phase = core->resamplePhase;
    float buffer[4] = {7, 7, 7, 7};
    renderBlock(*core, buffer, buffer + 2, 0, 44100.0);
    renderBlock(*core, buffer, buffer + 2, -5, 44100.0);
    EXPECT_EQ(core->resamplePhase, phase);
    for (float v : buffer)
        EXPECT_EQ(v, 7.0f);
}

TEST(RateConverter, SecondBufferCarriesTheSameSamples) {
    auto a = makeCore(), b = makeCore();
    noteOn(*a, 60);
    noteOn(*b, 60);
    std::vector<float> left(1000), right(1000);
    renderBlock(*a, left.data(), right.data(), 1000, 96000.0);
    EXPECT_EQ(left, right);
    EXPECT_EQ(render(*b, 1000, 96000.0), left);
}

} // namespace
} // namespace t815
