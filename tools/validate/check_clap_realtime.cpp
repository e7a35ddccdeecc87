// The CLAP audio path watched through the realtime probe: while process
// handles notes and parameter events (queued beforehand, outside the
// watch) the plug-in may neither touch the heap nor call anything that can
// block on another thread.
#include "clap_validation.h"
#include "realtime_probe.h"

#include <cmath>

namespace {

void add(ProbeCounts& total, const ProbeCounts& one) {
    total.heapCalls += one.heapCalls;
    total.blockingCalls += one.blockingCalls;
    if (total.firstHeapCall.empty()) total.firstHeapCall = one.firstHeapCall;
    if (total.firstBlockingCall.empty()) total.firstBlockingCall = one.firstBlockingCall;
}

bool watchProcess(Validation& validation, ProbeCounts& counts, long& blocks, std::string& error) {
    constexpr int kBlock = 64;
    HostedPlugin plugin;
    if (!openClap(validation, plugin, 44100.0, kBlock, error)) return false;
    Random random = randomFor(validation, "realtime");
    const long long frames = 44100LL * validation.strictness / 10;
    const std::vector<NoteEvent> notes = randomNotes(random, frames, 1024);
    ClapInstance& clap = *plugin.clap;
    std::size_t next = 0;
    for (long long start = 0; start < frames; start += kBlock, ++blocks) {
        for (; next < notes.size() && notes[next].frame < start + kBlock; ++next) {
            const std::uint8_t bytes[3] = {notes[next].status, notes[next].data1,
                                           notes[next].data2};
            queueMidi(plugin, int(notes[next].frame - start), bytes, 3);
        }
        if (!clap.parameters.empty()) {
            const std::size_t index = std::size_t(randomBelow(random, int(clap.parameters.size())));
            const clap_param_info& info = clap.parameters[index];
            double value = info.min_value + (info.max_value - info.min_value) * randomUnit(random);
            if (info.flags & CLAP_PARAM_IS_STEPPED) value = std::trunc(value);
            setClapParameter(clap, index, value);
        }
        beginRealtimeSection();
        renderBlock(plugin, kBlock);
        add(counts, endRealtimeSection());
    }
    return true;
}

std::string describe(long calls, const std::string& first, long blocks) {
    return std::to_string(calls) + " in process over " + std::to_string(blocks) +
           " blocks (first: " + first + ")";
}

} // namespace

void checkClapRealtime(Validation& validation) {
    Report& report = validation.report;
    const char* const kNames[] = {"realtime.allocations", "realtime.locks"};
    std::string whyNot;
    if (!probeAvailable(whyNot)) {
        for (const char* name : kNames) {
            beginCheck(report, name);
            endCheck(report, Verdict::NotMeasurable, whyNot);
        }
        return;
    }
    beginCheck(report, kNames[0]);
    ProbeCounts counts;
    long blocks = 0;
    std::string error;
    if (!watchProcess(validation, counts, blocks, error))
        return endCheck(report, Verdict::Fail, error);
    endCheck(report, counts.heapCalls == 0 ? Verdict::Pass : Verdict::Fail,
             counts.heapCalls == 0
                 ? "no heap call in process over " + std::to_string(blocks) + " blocks"
                 : "heap calls: " + describe(counts.heapCalls, counts.firstHeapCall, blocks));
    beginCheck(report, kNames[1]);
    endCheck(report, counts.blockingCalls == 0 ? Verdict::Pass : Verdict::Fail,
             counts.blockingCalls == 0
                 ? "no lock, wait or sleep in process"
                 : "calls that can wait for another thread: " +
                       describe(counts.blockingCalls, counts.firstBlockingCall, blocks));
}
