// The audio callback as a host's audio thread sees it: 64-sample blocks at
// 44.1 kHz (a 1.45 ms budget each), paced in real time, through the real
// plug-in library, with no other thread and with each kind of thread that
// changes the instance at the same time: a host thread (program select,
// parameters, sample rate), a MIDI thread (lists with notes, the wheel,
// bend and program changes) and a thread reading what the panel paints.
// Reports the callback's 99th percentile and longest duration; the goal is
// a longest call under contention within twice the uncontended one.
#include "panel_state.h"
#include "plugin_instance.h"
#include "vst2_abi.h"

#ifdef T815_PORTABLE_BENCHMARK
#include "portable_benchmark.h"
#else
#include <benchmark/benchmark.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

using namespace t815;
using Clock = std::chrono::steady_clock;

constexpr int kFrames = 64;
constexpr double kRate = 44100.0;
constexpr int kBlocks = 3000; // 4.35 s of audio per case

PluginEntryProc pluginEntry() {
    std::string path = T815_PLUGIN_PATH;
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path; // Wine's view of the Unix root
    HMODULE library = LoadLibraryA(path.c_str());
    return library ? reinterpret_cast<PluginEntryProc>(
                         reinterpret_cast<void*>(GetProcAddress(library, "VSTPluginMain")))
                   : nullptr;
#else
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return library ? reinterpret_cast<PluginEntryProc>(dlsym(library, "VSTPluginMain")) : nullptr;
#endif
}

VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) {
    return 0;
}

struct Dice {
    std::uint32_t state;
    int roll(int n) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(n));
    }
};

void pause(Dice& dice) {
    std::this_thread::sleep_for(std::chrono::microseconds(50 + dice.roll(200)));
}

// One MIDI list: a note on, a note off, the wheel, bend, and now and then a
// program change.
struct MidiList {
    VstMidiEvent midi[5]{};
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[5];
    } list{};
    VstEvents* build(Dice& dice) {
        const int bytes[5][3] = {{0x90, 40 + dice.roll(40), 100},
                                 {0x80, 40 + dice.roll(40), 0},
                                 {0xB0, 1, dice.roll(128)},
                                 {0xE0, dice.roll(128), dice.roll(128)},
                                 {0xC0, dice.roll(10) == 0 ? dice.roll(32) : 99, 0}};
        for (int i = 0; i < 5; ++i) {
            midi[i].type = kVstMidiType;
            midi[i].byteSize = sizeof(VstMidiEvent);
            for (int b = 0; b < 3; ++b)
                midi[i].midiData[b] = static_cast<char>(bytes[i][b]);
            list.events[i] = reinterpret_cast<VstEvent*>(&midi[i]);
        }
        list.numEvents = 5;
        return reinterpret_cast<VstEvents*>(&list);
    }
};

// kFlood: a MIDI thread that sends its lists as fast as it can, with no
// pause between them.
enum Contenders { kNone = 0, kHost = 1, kMidi = 2, kPanel = 4, kAll = 7, kFlood = 8 };

void contend(AEffect* effect, int which, int seed, const std::atomic<bool>& stop) {
    Dice dice{static_cast<std::uint32_t>(seed)};
    MidiList midi;
    char text[64];
    const auto& instance = *static_cast<const PluginInstance*>(effect->object);
    while (!stop) {
        if (which == kHost) {
            effect->dispatcher(effect, effSetProgram, 0, dice.roll(32), nullptr, 0.0f);
            effect->setParameter(effect, dice.roll(5), dice.roll(1001) / 1000.0f);
            effect->dispatcher(effect, effGetParamDisplay, dice.roll(5), 0, text, 0.0f);
            if (dice.roll(20) == 0)
                effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr,
                                   static_cast<float>(kRate));
        } else if (which == kMidi || which == kFlood) {
            effect->dispatcher(effect, effProcessEvents, 0, 0, midi.build(dice), 0.0f);
        } else {
            benchmark::DoNotOptimize(readPanelState(instance));
            benchmark::DoNotOptimize(effect->getParameter(effect, dice.roll(5)));
        }
        if (which != kFlood) pause(dice);
    }
}

void pacedCallbacks(benchmark::State& state, int contenders) {
    AEffect* effect = pluginEntry()(quietHost);
    if (!effect) return;
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    MidiList chord;
    Dice dice{7};
    effect->dispatcher(effect, effProcessEvents, 0, 0, chord.build(dice), 0.0f);

    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int which : {kHost, kMidi, kPanel, kFlood})
        if (contenders & which)
            threads.emplace_back(contend, effect, which, which * 11, std::cref(stop));

    std::vector<float> left(kFrames), right(kFrames);
    float* outputs[2] = {left.data(), right.data()};
    std::vector<double> micros;
    micros.reserve(kBlocks);
    const auto period = std::chrono::duration<double>(kFrames / kRate);
    for (auto _ : state) {
        micros.clear();
        const Clock::time_point start = Clock::now();
        for (int b = 0; b < kBlocks; ++b) {
            std::this_thread::sleep_until(start +
                                          std::chrono::duration_cast<Clock::duration>(period * b));
            const Clock::time_point before = Clock::now();
            effect->processReplacing(effect, nullptr, outputs, kFrames);
            micros.push_back(
                std::chrono::duration<double, std::micro>(Clock::now() - before).count());
        }
    }
    stop = true;
    for (std::thread& t : threads)
        t.join();
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);

    std::sort(micros.begin(), micros.end());
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
    state.counters["worst_us"] = micros.back();
}

void BM_CallbackAlone(benchmark::State& state) {
    pacedCallbacks(state, kNone);
}
void BM_CallbackWithHostThread(benchmark::State& state) {
    pacedCallbacks(state, kHost);
}
void BM_CallbackWithMidiThread(benchmark::State& state) {
    pacedCallbacks(state, kMidi);
}
void BM_CallbackWithPanelThread(benchmark::State& state) {
    pacedCallbacks(state, kPanel);
}
void BM_CallbackWithAllThreads(benchmark::State& state) {
    pacedCallbacks(state, kAll);
}
void BM_CallbackUnderMidiFlood(benchmark::State& state) {
    pacedCallbacks(state, kFlood);
}

} // namespace

BENCHMARK(BM_CallbackAlone)->Iterations(1)->UseRealTime();
BENCHMARK(BM_CallbackWithHostThread)->Iterations(1)->UseRealTime();
BENCHMARK(BM_CallbackWithMidiThread)->Iterations(1)->UseRealTime();
BENCHMARK(BM_CallbackWithPanelThread)->Iterations(1)->UseRealTime();
BENCHMARK(BM_CallbackWithAllThreads)->Iterations(1)->UseRealTime();
BENCHMARK(BM_CallbackUnderMidiFlood)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
