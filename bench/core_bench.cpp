// The core's cost per block of 512 samples (and of 64, for the hosts that
// call with short blocks), each case timed with the core's
// renderer and with the renderer it replaced (reference_render.h) in the same
// run: an idle instance (a resonant program's note long over, the filter on
// or off) at 44.1 and 48 kHz, one note, and the heaviest case, four held
// notes with unison and the filter at 48 kHz; the cost of the events that
// start or rebuild envelopes: note-ons with the programs of the longest
// templates, a note-off, program selects with and without keys held; the
// filter's recursion alone, the bound of the heaviest case; and constructing
// a core, with the memory it keeps.
#include "key_slots.h"
#include "program_select.h"
#include "rate_converter.h"
#include "reference_render.h"
#include "synth_core.h"
#include "tone_generator.h"

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
constexpr int kShortBlock = 64;

struct CoreHolder {
    std::unique_ptr<SynthCore> core{new SynthCore()};
    CoreHolder() { constructCore(*core); }
    ~CoreHolder() { teardownCore(*core); }
};

enum class Renderer { core, reference, straightforward };

// The same ticks the most direct way: each one through coreTick, which
// derives everything it needs from the core (the bent increments, the
// filter's settings and coefficients) and stores its state back.
void renderTickByTick(SynthCore& core, float* left, float* right, int block, double rate) {
    const double step = kCoreRate / rate;
    for (int i = 0; i < block; ++i) {
        core.resamplePhase += step;
        while (core.resamplePhase >= 1.0) {
            core.resamplePhase -= 1.0;
            core.prevSample = core.nextSample;
            core.nextSample = coreTick(core);
        }
        left[i] = right[i] = static_cast<float>(
            core.prevSample +
            (static_cast<double>(core.nextSample) - core.prevSample) * core.resamplePhase);
    }
}

void render(Renderer renderer, SynthCore& core, float* left, float* right, double rate, int block) {
    if (renderer == Renderer::core)
        renderBlock(core, left, right, block, rate);
    else if (renderer == Renderer::reference)
        reference::renderBlock(core, left, right, block, rate);
    else
        renderTickByTick(core, left, right, block, rate);
}

void reportRate(benchmark::State& state, double rate, int block) {
    const double seconds = static_cast<double>(state.iterations()) * block / rate;
    state.counters["realtime_x"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
}

// No key sounding: program 01's note (resonant, so the filter settles on a
// subnormal fixed point) played and left to die away for a minute.
void idleCase(benchmark::State& state, Renderer renderer, double rate, bool filterOn,
              int block = kBlock) {
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
        render(renderer, core, left.data(), right.data(), rate, block);
        benchmark::DoNotOptimize(left.data());
    }
    reportRate(state, rate, block);
}

// Notes that sound throughout: every block replays the same stretch of
// program 37's envelopes.
void playingCase(benchmark::State& state, Renderer renderer, std::initializer_list<int> keys,
                 bool filterOn, int block = kBlock) {
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
            std::min<std::uint32_t>(kReplayFrom, core.filterStream.levels.size / 2);
        render(renderer, core, left.data(), right.data(), kRate, block);
        benchmark::DoNotOptimize(left.data());
    }
    reportRate(state, kRate, block);
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
void BM_FourNotesUnisonFilter_TickByTick(benchmark::State& state) {
    playingCase(state, Renderer::straightforward, {48, 55, 60, 64}, true);
}
BENCHMARK(BM_FourNotesUnisonFilter_TickByTick);
T815_RENDER_CASES(IdleFilterOn48kShortBlocks,
                  idleCase(state, renderer, 48000.0, true, kShortBlock));
T815_RENDER_CASES(OneNoteShortBlocks, playingCase(state, renderer, {60}, true, kShortBlock));
T815_RENDER_CASES(FourNotesUnisonFilterShortBlocks,
                  playingCase(state, renderer, {48, 55, 60, 64}, true, kShortBlock));

// The bound of the heaviest case: the filter's recursion alone, the steps
// of one 48 kHz block (352 ticks) fed with the heaviest case's words and
// envelope bytes, each step waiting for the one before.
void BM_FilterRecursionOnly(benchmark::State& state) {
    constexpr int kTicks = 352;
    CoreHolder holder;
    SynthCore& core = *holder.core;
    selectProgram(core, 37, true);
    for (int key : {48, 55, 60, 64})
        noteOn(core, key);
    std::vector<std::int32_t> words(kTicks);
    std::vector<int> bytes(kTicks);
    TickSetup setup = prepareTick(core);
    core.filterOn = false; // the words before the filter
    for (int t = 0; t < 20000 + kTicks; ++t) {
        const float sample = runTick(core, setup);
        if (t >= 20000) words[t - 20000] = static_cast<std::int32_t>(sample * 2048.0f);
    }
    const LevelSpan envelope = core.filterStream.levels;
    for (int t = 0; t < kTicks; ++t)
        bytes[t] = envelope.data[std::min<std::uint32_t>(envelope.size / 2 + t, envelope.size - 1)];
    FilterSetup filter = prepareFilter(core, core.cutoffCoef, core.resonance);
    for (auto _ : state) {
        std::int32_t sum = 0;
        for (int t = 0; t < kTicks; ++t)
            sum += stepFilter(filter, bytes[t], words[t]);
        benchmark::DoNotOptimize(sum);
    }
    reportRate(state, 48000.0, kBlock);
}

// A note-on restarts its slot's amplitude envelope and the filter envelope
// on the program's templates: program 37 has the longest amplitude template
// (192,900 bytes, and the most bytes of both), program 13 the longest filter
// template (129,400).
void noteOnCase(benchmark::State& state, int program) {
    CoreHolder holder;
    selectProgram(*holder.core, program, true);
    for (auto _ : state) {
        noteOn(*holder.core, 60);
        benchmark::ClobberMemory();
    }
}
void BM_NoteOnProgram37(benchmark::State& state) {
    noteOnCase(state, 37);
}
void BM_NoteOnProgram13(benchmark::State& state) {
    noteOnCase(state, 13);
}

// A note-off from a held note: the slot's release, and the filter's since no
// other key is held (program 12's filter release is the longest, 812,900
// bytes from level 255).
void BM_NoteOnOffProgram12(benchmark::State& state) {
    CoreHolder holder;
    selectProgram(*holder.core, 12, true);
    for (auto _ : state) {
        noteOn(*holder.core, 60);
        noteOff(*holder.core, 60);
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

// Program changes while four keys are held, a key struck again after each:
// the slots go on reading the templates of up to four earlier programs.
void BM_ProgramSelectKeysHeld(benchmark::State& state) {
    constexpr int kPrograms[] = {37, 13, 0, 27, 12};
    constexpr int kKeys[] = {48, 55, 60, 64};
    CoreHolder holder;
    selectProgram(*holder.core, 37, true);
    for (int key : kKeys)
        noteOn(*holder.core, key);
    unsigned i = 0;
    for (auto _ : state) {
        selectProgram(*holder.core, kPrograms[i % 5], false);
        noteOn(*holder.core, kKeys[i % 4]);
        ++i;
        benchmark::ClobberMemory();
    }
}

// Constructing a core, and what an instance keeps for it: the record and
// its envelope storage.
void BM_ConstructCore(benchmark::State& state) {
    for (auto _ : state) {
        CoreHolder holder;
        benchmark::DoNotOptimize(holder.core.get());
    }
    CoreHolder holder;
    state.counters["bytes"] =
        static_cast<double>(sizeof(SynthCore) + holder.core->ampStore.bytes.size() +
                            holder.core->filterStore.bytes.size());
}

BENCHMARK(BM_FilterRecursionOnly);
BENCHMARK(BM_NoteOnProgram37);
BENCHMARK(BM_NoteOnProgram13);
BENCHMARK(BM_NoteOnOffProgram12);
BENCHMARK(BM_ProgramSelectWithReset);
BENCHMARK(BM_ProgramSelectKeysHeld);
BENCHMARK(BM_ConstructCore);

} // namespace

BENCHMARK_MAIN();
