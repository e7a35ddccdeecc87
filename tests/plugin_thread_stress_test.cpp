// Host threads hammering one instance at once, and a host that floods
// changes while rendering only now and then. Built twice: against the
// plug-in as shipped, and (Linux) against a copy instrumented with
// ThreadSanitizer, which fails the run on any data race: sharing the core
// between threads without the hand-off is one.
#include "plugin_host_fixture.h"

#include "key_slots.h"
#include "panel_state.h"
#include "program_select.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <thread>

#ifndef T815_STRESS_SECONDS
#define T815_STRESS_SECONDS 1
#endif
#ifndef T815_FLOOD_CHANGES
#define T815_FLOOD_CHANGES 40000
#endif

namespace t815::test {
namespace {

using Clock = std::chrono::steady_clock;
using Micro = std::chrono::duration<double, std::micro>;

std::atomic<int> displayUpdates{0};

VstIntPtr VSTCALLBACK countingHost(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                   float) {
    if (opcode == audioMasterUpdateDisplay) {
        ++displayUpdates;
        effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0.0f); // hosts do call back
    }
    return 0;
}

// A small deterministic generator per thread.
struct Dice {
    std::uint32_t state;
    int roll(int n) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(n));
    }
};

// Threads other than the audio thread pause up to 200 us between calls, so
// that two cores are not oversubscribed by four busy threads.
void pause(Dice& dice) {
    std::this_thread::sleep_for(std::chrono::microseconds(dice.roll(200)));
}

TEST(PluginThreads, ConcurrentHostMidiAndPanelNeitherRaceNorStallTheAudioThread) {
    AEffect* effect = pluginEntry()(countingHost);
    ASSERT_NE(effect, nullptr);
    const PluginInstance& instance = *static_cast<PluginInstance*>(effect->object);
    displayUpdates = 0;

    std::atomic<bool> stop{false};
    std::atomic<int> programChangesSent{0};
    long blocks = 0, outOfRange = 0, badPanelReads = 0;
    std::vector<double> blockMicros;
    blockMicros.reserve(20'000'000); // no reallocation inside the measurement

    std::thread audio([&] {
        std::vector<float> left(64), right(64);
        float* outputs[2] = {left.data(), right.data()};
        while (!stop) {
            const Clock::time_point start = Clock::now();
            if (blocks % 2)
                effect->processReplacing(effect, nullptr, outputs, 64);
            else
                effect->process(effect, nullptr, outputs, 64);
            blockMicros.push_back(Micro(Clock::now() - start).count());
            for (int i = 0; i < 64; ++i)
                outOfRange += !(std::fabs(left[i]) <= 1.0f) || left[i] != right[i];
            ++blocks;
        }
    });

    std::thread midi([&] {
        Dice dice{1};
        EventList list;
        while (!stop) {
            const int key = 30 + dice.roll(60);
            const bool change = dice.roll(20) == 0;
            VstEvents* events =
                list.build({midiEvent(0x90 | dice.roll(16), key, 1 + dice.roll(127)),
                            midiEvent(0xB0, 1, dice.roll(128)),
                            midiEvent(0xE0, dice.roll(128), dice.roll(128)),
                            midiEvent(0xC0, change ? dice.roll(32) : 40, 0),
                            midiEvent(0x80, 30 + dice.roll(60), 0)});
            programChangesSent += change;
            effect->dispatcher(effect, effProcessEvents, 0, 0, events, 0.0f);
            pause(dice);
        }
    });

    std::thread host([&] {
        Dice dice{2};
        char text[64];
        const float rates[] = {22050.0f,
                               44100.0f,
                               48000.0f,
                               96000.0f,
                               0.0f,
                               -1.0f,
                               std::numeric_limits<float>::quiet_NaN()};
        const float values[] = {0.0f,    0.3f,  1.0f,   5.0f,
                                -100.0f, 3e38f, 1e-40f, std::numeric_limits<float>::quiet_NaN()};
        while (!stop) {
            effect->dispatcher(effect, effSetProgram, 0, dice.roll(34) - 1, nullptr, 0.0f);
            effect->dispatcher(effect, effGetProgramName, 0, 0, text, 0.0f);
            effect->setParameter(effect, dice.roll(6), values[dice.roll(8)]);
            effect->dispatcher(effect, effGetParamDisplay, dice.roll(5), 0, text, 0.0f);
            if (dice.roll(50) == 0)
                effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, rates[dice.roll(7)]);
            pause(dice);
        }
    });

    std::thread panel([&] { // what the panel reads to paint, on its own thread
        Dice dice{3};
        while (!stop) {
            const PanelState state = readPanelState(instance);
            badPanelReads += state.currentProgramIndex < 0 || state.currentProgramIndex > 31 ||
                             state.volume < 0.0f || state.volume > 1.0f;
            badPanelReads += !(effect->getParameter(effect, dice.roll(5)) >= 0.0f);
            pause(dice);
        }
    });

    std::this_thread::sleep_for(std::chrono::seconds(T815_STRESS_SECONDS));
    stop = true;
    for (std::thread* t : {&audio, &midi, &host, &panel})
        t->join();

    std::sort(blockMicros.begin(), blockMicros.end());
    const double p99 = blockMicros.empty() ? 0 : blockMicros[blockMicros.size() * 99 / 100];
    std::printf("stress: %ld blocks of 64 in %d s; callback p99 %.1f us, longest %.1f us\n", blocks,
                T815_STRESS_SECONDS, p99, blockMicros.empty() ? 0 : blockMicros.back());

    EXPECT_GT(blocks, 10);
    EXPECT_EQ(outOfRange, 0);
    EXPECT_EQ(badPanelReads, 0);
    EXPECT_EQ(displayUpdates, programChangesSent);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

// A host that floods changes faster than it renders, and leaves the audio
// callback uncalled for long stretches: every change still reaches the
// core, in order. The core ends exactly as a single-threaded replay of the
// same changes leaves one.
TEST(PluginThreads, NoChangeIsLostWhenTheHostFloodsOrStopsRendering) {
    AEffect* effect = pluginEntry()(nullptr);
    ASSERT_NE(effect, nullptr);
    auto replay = std::make_unique<SynthCore>();
    ASSERT_TRUE(constructCore(*replay));

    std::atomic<bool> done{false};
    std::thread audio([&] { // bursts of blocks, then long pauses
        std::vector<float> left(64), right(64);
        float* outputs[2] = {left.data(), right.data()};
        for (int burst = 0; !done; ++burst) {
            for (int i = 0; i < 20; ++i)
                effect->processReplacing(effect, nullptr, outputs, 64);
            // Short pauses, and now and then one long enough for the sender to
            // stop waiting and apply the backlog itself.
            std::this_thread::sleep_for(std::chrono::milliseconds(burst % 4 == 3 ? 120 : 20));
        }
    });

    Dice dice{4};
    EventList list;
    for (int i = 0; i < T815_FLOOD_CHANGES; ++i) {
        const int key = 40 + dice.roll(30);
        if (i % 2 == 0) {
            const int status = dice.roll(2) ? 0x90 : 0x80;
            effect->dispatcher(effect, effProcessEvents, 0, 0,
                               list.build({midiEvent(status, key, 100)}), 0.0f);
            status == 0x90 ? noteOn(*replay, key) : noteOff(*replay, key);
        } else {
            const int index = dice.roll(32);
            effect->dispatcher(effect, effSetProgram, 0, index, nullptr, 0.0f);
            selectProgram(*replay, replay->programNumbers[index], !anyKeyHeld(*replay));
        }
    }
    done = true;
    audio.join();

    float unused = 0.0f;
    float* outputs[2] = {&unused, &unused};
    effect->processReplacing(effect, nullptr, outputs, 0); // applies what is still queued
    const SynthCore& core = static_cast<PluginInstance*>(effect->object)->core;
    EXPECT_EQ(core.currentProgram, replay->currentProgram);
    EXPECT_EQ(core.noteCounter, replay->noteCounter);
    for (int k = 0; k < kSlotCount; ++k) {
        EXPECT_EQ(core.slots[k].key, replay->slots[k].key) << k;
        EXPECT_EQ(core.slots[k].state, replay->slots[k].state) << k;
        EXPECT_EQ(core.slots[k].age, replay->slots[k].age) << k;
    }
    for (int i = 0; i < kOscillatorCount; ++i)
        EXPECT_EQ(core.oscPitch[i], replay->oscPitch[i]) << i;
    teardownCore(*replay);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

} // namespace
} // namespace t815::test
