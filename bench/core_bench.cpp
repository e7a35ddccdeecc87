// The core's cost per block of 512 samples, each case timed with the core's
// renderer and with the renderer it replaced (reference_render.h) in the same
// run: an idle instance (a resonant program's note long over, the filter on
// or off) at 44.1 and 48 kHz, one note, and the heaviest case, four held
// notes with unison and the filter at 48 kHz; and the cost of the events
// that copy or rebuild envelopes: a note-on with program 37's 192,900-byte
// template and a program select with reset.
#include "key_slots.h"
#include "program_select.h"
#include "rate_converter.h"
#include "reference_render.h"
#include "synth_core.h"

#ifdef T815_PORTABLE_BENCHMARK
#include "portable_benchmark.h"
#else
#include <benchmark/benchmark.h>
#endif

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using namespace t815;

constexpr int kBlock = 512;

struct CoreHolder {
    std::unique_ptr<SynthCore> core{new SynthCore()};
    CoreHolder() { constructCore(*core); }
    ~CoreHolder() { teardownCore(*core); }
};

enum class Renderer { core, reference };

void render(Renderer renderer, SynthCore& core, float* left, float* right, double rate) {
    if (renderer == Renderer::core)
        renderBlock(core, left, right, kBlock, rate);
    else
        reference::renderBlock(core, left, right, kBlock, rate);
}

void reportRate(benchmark::State& state, double rate) {
    const double seconds = static_cast<double>(state.iterations()) * kBlock / rate;
    state.counters["realtime_x"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
}

// No key sounding: program 01's note (resonant, so the filter settles on a
// subnormal fixed point) played and left to die away for a minute.
void idleCase(benchmark::State& state, Renderer renderer, double rate, bool filterOn) {
    CoreHolder holder;
    SynthCore& core = *holder.core;
    selectProgram(core, 1, true);
    core.filterOn = filterOn;
    std::vector<float> left(kBlock), right(kBlock);
    noteOn(core, 60);
    for (int i = 0; i < 50; ++i)
        renderBlock(core, left.data(), right.data(), kBlock, rate);
    noteOff(core, 60);
    for (int i = 0; i < 60 * 100; ++i)
        renderBlock(core, left.data(), right.data(), kBlock, rate);
    for (auto _ : state) {
        render(renderer, core, left.data(), right.data(), rate);
        benchmark::DoNotOptimize(left.data());
    }
    reportRate(state, rate);
}

// Notes that sound throughout: every block replays the same stretch of
// program 37's envelopes.
void playingCase(benchmark::State& state, Renderer renderer, std::initializer_list<int> keys,
                 bool filterOn) {
    constexpr double kRate = 48000.0;
    constexpr std::uint32_t kReplayFrom = 20000;
    CoreHolder holder;
    SynthCore& core = *holder.core;
    selectProgram(core, 37, true);
    for (int key : keys)
        noteOn(core, key);
    core.unisonOn = true;
    updatePitches(core);
    core.filterOn = filterOn;
    std::vector<float> left(kBlock), right(kBlock);
    for (auto _ : state) {
        for (EnvelopeStream& stream : core.ampStreams)
            stream.readPos = kReplayFrom;
        core.filterStream.readPos =
            std::min<std::uint32_t>(kReplayFrom, core.filterStream.levels.size() / 2);
        render(renderer, core, left.data(), right.data(), kRate);
        benchmark::DoNotOptimize(left.data());
    }
    reportRate(state, kRate);
}

#define T815_RENDER_CASES(name, call)                                                              \
    void BM_##name(benchmark::State& state) {                                                      \
        const Renderer renderer = Renderer::core;                                                  \
        call;                                                                                      \
    }                                                                                              \
    void BM_##name##_Before(benchmark::State& state) {                                             \
        const Renderer renderer = Renderer::reference;                                             \
        call;                                                                                      \
    }                                                                                              \
    BENCHMARK(BM_##name);                                                                          \
    BENCHMARK(BM_##name##_Before)

T815_RENDER_CASES(IdleFilterOn48k, idleCase(state, renderer, 48000.0, true));
T815_RENDER_CASES(IdleFilterOff48k, idleCase(state, renderer, 48000.0, false));
T815_RENDER_CASES(IdleFilterOn44k1, idleCase(state, renderer, 44100.0, true));
T815_RENDER_CASES(IdleFilterOff44k1, idleCase(state, renderer, 44100.0, false));
T815_RENDER_CASES(OneNote, playingCase(state, renderer, {60}, true));
T815_RENDER_CASES(FourNotesUnisonFilter, playingCase(state, renderer, {48, 55, 60, 64}, true));
T815_RENDER_CASES(FourNotesUnisonNoFilter, playingCase(state, renderer, {48, 55, 60, 64}, false));

void BM_NoteOnProgram37(benchmark::State& state) {
    CoreHolder holder;
    selectProgram(*holder.core, 37, true);
    for (auto _ : state) {
        noteOn(*holder.core, 60);
        benchmark::ClobberMemory();
    }
}

void BM_ProgramSelectWithReset(benchmark::State& state) {
    CoreHolder holder;
    int i = 0;
    for (auto _ : state) {
        selectProgram(*holder.core, (i++ & 1) ? 37 : 0, true);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_NoteOnProgram37);
BENCHMARK(BM_ProgramSelectWithReset);

} // namespace

BENCHMARK_MAIN();
