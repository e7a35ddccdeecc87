// Host threads hammering one instance at once: an audio thread renders
// blocks while others send notes, program changes, parameter values and
// sample rates. The output stays finite, the host hears of every MIDI
// program change exactly once, nothing deadlocks, and the audio thread's
// longest wait for the instance's lock is measured and printed. Built twice:
// against the plug-in as shipped, and (Linux) against a copy instrumented
// with ThreadSanitizer, which fails the run on any data race.
#include "plugin_host_fixture.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <thread>

#ifndef T815_STRESS_SECONDS
#define T815_STRESS_SECONDS 1
#endif

namespace t815::test {
namespace {

using Clock = std::chrono::steady_clock;

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

// Host threads other than the audio thread do not call back to back for
// ever; a pause of up to 200 us keeps the machine's cores from being
// oversubscribed, which would measure the scheduler rather than the lock.
void pause(Dice& dice) {
    std::this_thread::sleep_for(std::chrono::microseconds(dice.roll(200)));
}

TEST(PluginThreads, ConcurrentHostCallsNeitherRaceNorStallTheAudioThread) {
    AEffect* effect = pluginEntry()(countingHost);
    ASSERT_NE(effect, nullptr);
    PluginInstance& instance = *static_cast<PluginInstance*>(effect->object);
    displayUpdates = 0;

    std::atomic<bool> stop{false};
    std::atomic<int> programChangesSent{0};
    long blocks = 0, nonFinite = 0, waitsOver100us = 0, waitsOver1ms = 0;
    Clock::duration longestWait{}, longestBlock{};

    std::thread audio([&] {
        std::vector<float> left(256), right(256);
        float* outputs[2] = {left.data(), right.data()};
        while (!stop) {
            // The same lock the callback takes: how long would it wait now?
            const Clock::time_point asked = Clock::now();
            instance.coreLock.lock();
            const Clock::time_point got = Clock::now();
            instance.coreLock.unlock();
            longestWait = std::max(longestWait, got - asked);
            waitsOver100us += got - asked > std::chrono::microseconds(100);
            waitsOver1ms += got - asked > std::chrono::milliseconds(1);

            const Clock::time_point start = Clock::now();
            if (blocks % 2)
                effect->processReplacing(effect, nullptr, outputs, 256);
            else
                effect->process(effect, nullptr, outputs, 256);
            longestBlock = std::max(longestBlock, Clock::now() - start);
            for (int i = 0; i < 256; ++i)
                nonFinite += !std::isfinite(left[i]) || left[i] != right[i];
            ++blocks;
        }
    });

    std::thread notes([&] {
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

    std::thread programs([&] {
        Dice dice{2};
        char name[64];
        while (!stop) {
            effect->dispatcher(effect, effSetProgram, 0, dice.roll(34) - 1, nullptr, 0.0f);
            effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0.0f);
            effect->dispatcher(effect, effGetProgramName, 0, 0, name, 0.0f);
            pause(dice);
        }
    });

    std::thread parameters([&] {
        Dice dice{3};
        char text[64];
        const float rates[] = {22050.0f,
                               44100.0f,
                               48000.0f,
                               96000.0f,
                               0.0f,
                               -1.0f,
                               std::numeric_limits<float>::quiet_NaN(),
                               std::numeric_limits<float>::infinity()};
        while (!stop) {
            const int index = dice.roll(6);
            const float value = dice.roll(50) == 0 ? std::numeric_limits<float>::quiet_NaN()
                                                   : dice.roll(1001) / 1000.0f;
            effect->setParameter(effect, index, value);
            effect->getParameter(effect, dice.roll(6));
            effect->dispatcher(effect, effGetParamDisplay, dice.roll(5), 0, text, 0.0f);
            if (dice.roll(100) == 0)
                effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, rates[dice.roll(8)]);
            pause(dice);
        }
    });

    std::this_thread::sleep_for(std::chrono::seconds(T815_STRESS_SECONDS));
    stop = true;
    for (std::thread* t : {&audio, &notes, &programs, &parameters})
        t->join();

    using Micro = std::chrono::duration<double, std::micro>;
    std::printf("stress: %ld blocks of 256 in %d s; lock waits over 100 us: %ld, over 1 ms: %ld; "
                "longest lock wait %.0f us; longest block %.0f us\n",
                blocks, T815_STRESS_SECONDS, waitsOver100us, waitsOver1ms,
                Micro(longestWait).count(), Micro(longestBlock).count());
    RecordProperty("longest_lock_wait_us", static_cast<int>(Micro(longestWait).count()));

    EXPECT_GT(blocks, 10);
    EXPECT_EQ(nonFinite, 0);
    EXPECT_EQ(displayUpdates, programChangesSent);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

} // namespace
} // namespace t815::test
