// A fixed performance rendered by the core at four host rates: chords,
// releases, stealing, unison on and off, the filter on and off, program
// changes with and without reset, bend and the cutoff coefficient moving.
// Its digest is checked in; every target must reproduce it to the bit, and
// the block size the host happens to use must not change a single sample.
#include "core_fixture.h"

#include "key_slots.h"
#include "program_select.h"
#include "rate_converter.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace t815 {
namespace {

struct Cue {
    double time; // seconds
    std::function<void(SynthCore&)> act;
};

void notesOn(SynthCore& core, std::initializer_list<int> keys) {
    for (int key : keys)
        noteOn(core, key);
}
void notesOff(SynthCore& core, std::initializer_list<int> keys) {
    for (int key : keys)
        noteOff(core, key);
}
// As the shell does it: reset only when no key is held.
void program(SynthCore& core, int number) {
    selectProgram(core, number, !anyKeyHeld(core));
}

const std::vector<Cue>& performance() {
    static const std::vector<Cue> cues = {
        {0.00,
         [](SynthCore& c) {
             notesOn(c, {60, 64, 67});
         }},
        {0.40, [](SynthCore& c) { notesOn(c, {72}); }},
        {0.70, [](SynthCore& c) { notesOn(c, {50}); }}, // steals 72
        {0.90,
         [](SynthCore& c) {
             notesOff(c, {60, 64});
         }},
        {1.10, [](SynthCore& c) { notesOn(c, {55}); }}, // takes a released slot
        {1.30,
         [](SynthCore& c) {
             c.bendRatio = 1.0594631f;
             c.cutoffCoef = 0.5f;
         }},
        {1.60, [](SynthCore& c) { program(c, 37); }}, // keys held: no reset
        {1.90,
         [](SynthCore& c) {
             notesOff(c, {67, 50, 55});
             c.bendRatio = 1.0f;
         }},
        {2.30, [](SynthCore& c) { program(c, 1); }}, // nothing held: reset
        {2.35,
         [](SynthCore& c) {
             notesOn(c, {48, 55, 64});
         }},
        {2.70,
         [](SynthCore& c) {
             c.unisonOn = false;
             updatePitches(c);
         }},
        {2.90, [](SynthCore& c) { c.filterOn = false; }},
        {3.20,
         [](SynthCore& c) {
             c.filterOn = true;
             c.resonance = 0.95f;
             c.cutoffCoef = 0.99f;
         }},
        {3.50,
         [](SynthCore& c) {
             c.unisonOn = true;
             updatePitches(c);
             c.pitchOffset = -25;
             updatePitches(c);
         }},
        {3.80,
         [](SynthCore& c) {
             notesOff(c, {48, 55, 64});
         }},
        {4.10,
         [](SynthCore& c) {
             program(c, 26);
             c.pitchOffset = 0;
         }},
        {4.15,
         [](SynthCore& c) {
             notesOn(c, {36, 43, 48, 52, 55, 59});
         }},
        {4.60,
         [](SynthCore& c) {
             c.bendRatio = 0.8908987f;
             c.cutoffCoef = 0.3f;
         }},
        {5.00,
         [](SynthCore& c) {
             notesOff(c, {36, 43, 48, 52, 55, 59});
             c.cutoffCoef = 0.95f;
         }},
        {5.20,
         [](SynthCore& c) {
             program(c, 15);
             notesOn(c, {84, 85, 24});
         }},
        {5.60,
         [](SynthCore& c) {
             notesOff(c, {84, 24, 24});
         }},
    };
    return cues;
}

constexpr double kLength = 6.0; // seconds

std::vector<float> renderPerformance(double rate, int blockSize) {
    auto core = test::makeCore();
    const int total = static_cast<int>(kLength * rate);
    std::vector<float> out(total);
    int done = 0;
    auto renderUntil = [&](int end) {
        while (done < end) {
            const int n = std::min(blockSize, end - done);
            renderBlock(*core, out.data() + done, nullptr, n, rate);
            done += n;
        }
    };
    for (const Cue& cue : performance()) {
        renderUntil(static_cast<int>(cue.time * rate));
        cue.act(*core);
    }
    renderUntil(total);
    return out;
}

TEST(CoreGolden, PerformanceDigestAndBlockSizeIndependence) {
    test::Digest digest;
    for (double rate : {22050.0, 44100.0, 48000.0, 96000.0}) {
        const std::vector<float> reference = renderPerformance(rate, 4096);
        digest.addFloats(reference.data(), reference.size());
        for (int blockSize : {1, 7, 64})
            EXPECT_TRUE(renderPerformance(rate, blockSize) == reference)
                << rate << " " << blockSize;

        float peak = 0;
        for (float v : reference)
            peak = std::max(peak, std::abs(v));
        EXPECT_GT(peak, 0.05f) << "the performance should be audible at " << rate;
    }
    EXPECT_EQ(digest.value, 0x3fdfa15128a9d3c2ull) << std::hex << digest.value;
}

} // namespace
} // namespace t815
