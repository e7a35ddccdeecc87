// The core's cost: real-time factor of rendering at 48 kHz (seconds of audio
// per second of one core) for silence, one note and the heaviest case (four
// held notes, unison and the filter on), and the cost of the events that copy
// or rebuild envelopes: a note-on with program 37's 192,900-byte template
// and a program select with reset.
#include "key_slots.h"
#include "program_select.h"
#include "rate_converter.h"
#include "synth_core.h"

#ifdef T815_PORTABLE_BENCHMARK
#include "portable_benchmark.h"
#else
#include <benchmark/benchmark.h>
#endif

#include <memory>
#include <vector>

namespace {

using namespace t815;

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

struct CoreHolder {
    std::unique_ptr<SynthCore> core{new SynthCore()};
    CoreHolder() { constructCore(*core); }
    ~CoreHolder() { teardownCore(*core); }
};

void renderCase(benchmark::State& state, std::initializer_list<int> keys, bool filterOn) {
    CoreHolder holder;
    SynthCore& core = *holder.core;
    selectProgram(core, 37, true); // longest envelopes: the notes sound throughout
    for (int key : keys)
        noteOn(core, key);
    core.unisonOn = true;
    updatePitches(core);
    core.filterOn = filterOn;
    std::vector<float> left(kBlock), right(kBlock);
    for (auto _ : state) {
        renderBlock(core, left.data(), right.data(), kBlock, kRate);
        benchmark::DoNotOptimize(left.data());
    }
    const double seconds = static_cast<double>(state.iterations()) * kBlock / kRate;
    state.counters["realtime_x"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
}

void BM_RenderSilence(benchmark::State& state) {
    renderCase(state, {}, true);
}
void BM_RenderOneNote(benchmark::State& state) {
    renderCase(state, {60}, true);
}
void BM_RenderFourNotesUnisonFilter(benchmark::State& state) {
    renderCase(state, {48, 55, 60, 64}, true);
}
void BM_RenderFourNotesUnisonNoFilter(benchmark::State& state) {
    renderCase(state, {48, 55, 60, 64}, false);
}

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

BENCHMARK(BM_RenderSilence);
BENCHMARK(BM_RenderOneNote);
BENCHMARK(BM_RenderFourNotesUnisonFilter);
BENCHMARK(BM_RenderFourNotesUnisonNoFilter);
BENCHMARK(BM_NoteOnProgram37);
BENCHMARK(BM_ProgramSelectWithReset);

} // namespace

BENCHMARK_MAIN();
