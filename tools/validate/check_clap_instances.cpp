// CLAP instances: 100 created, activated, played and destroyed while the
// library stays loaded, with the time each takes and (where the realtime
// probe sees the heap) the memory coming back; and two instances rendered
// block by block in turn sounding exactly as each does alone.
#include "clap_validation.h"
#include "realtime_probe.h"

#include <chrono>

namespace {

constexpr int kInstances = 100;

std::string cycleInstance(Validation& validation) {
    HostedPlugin plugin;
    std::string error;
    if (!openClap(validation, plugin, 44100.0, 512, error)) return error;
    const ClapRender render = renderClap(plugin, {{0, 0x90, 60, 100}}, {}, 512, 512);
    unloadHostedPlugin(plugin);
    return renderProblem(render);
}

std::string createDestroyProblem(Validation& validation, std::string& detail) {
    HostedPlugin resident; // keeps the library loaded, as a host's scan does
    std::string error;
    if (!loadClap(validation, resident, error)) return error;
    for (int warmUp = 0; warmUp < 3; ++warmUp) {
        const std::string problem = cycleInstance(validation);
        if (!problem.empty()) return problem;
    }
    std::string whyNot;
    const bool measured = probeAvailable(whyNot);
    beginHeapBalance();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kInstances; ++i) {
        const std::string problem = cycleInstance(validation);
        if (!problem.empty()) {
            endHeapBalance();
            return "instance " + std::to_string(i + 1) + ": " + problem;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const ProbeCounts balance = endHeapBalance();
    char timing[64];
    std::snprintf(timing, sizeof timing, "%.2f ms per instance", seconds * 1000.0 / kInstances);
    detail = std::string(timing) + "; memory returned" +
             (measured ? " (net " + std::to_string(balance.outstandingBytes) + " bytes)"
                       : ": " + whyNot);
    if (measured &&
        (balance.outstandingBlocks >= kInstances || balance.outstandingBytes >= 1 << 20))
        return std::to_string(balance.outstandingBlocks) + " heap blocks (" +
               std::to_string(balance.outstandingBytes) + " bytes) not returned after " +
               std::to_string(kInstances) + " instances; " + timing;
    return "";
}

std::string independenceProblem(Validation& validation) {
    Random random = randomFor(validation, "instances.independent");
    constexpr long long kFrames = 16384;
    constexpr int kBlock = 256;
    const std::vector<NoteEvent> notes[2] = {randomNotes(random, kFrames, 1024),
                                             randomNotes(random, kFrames, 1024)};
    std::vector<float> alone[2], together[2];
    std::string error;
    for (int i = 0; i < 2; ++i) {
        HostedPlugin plugin;
        if (!openClap(validation, plugin, 44100.0, kBlock, error)) return error;
        alone[i] = renderClap(plugin, notes[i], {}, kFrames, kBlock, true).capture;
    }
    HostedPlugin plugins[2];
    for (HostedPlugin& plugin : plugins)
        if (!openClap(validation, plugin, 44100.0, kBlock, error)) return error;
    for (int i = 0; i < 2; ++i)
        together[i].assign(alone[i].size(), 0.0f);
    const int channels = outputChannelCount(plugins[0]);
    for (long long start = 0; start < kFrames; start += kBlock)
        for (int i = 0; i < 2; ++i) {
            std::vector<NoteEvent> due;
            for (const NoteEvent& note : notes[i])
                if (note.frame >= start && note.frame < start + kBlock)
                    due.push_back({note.frame - start, note.status, note.data1, note.data2});
            const ClapRender block = renderClap(plugins[i], due, {}, kBlock, kBlock, true);
            for (int c = 0; c < channels; ++c)
                std::copy(block.capture.begin() + c * kBlock,
                          block.capture.begin() + (c + 1) * kBlock,
                          together[i].begin() + c * kFrames + start);
        }
    HostedPlugin control;
    if (!openClap(validation, control, 44100.0, kBlock, error)) return error;
    const long long differs =
        firstDifference(renderClap(control, notes[0], {}, kFrames, kBlock, true).capture, alone[0]);
    if (differs >= 0)
        return "a fresh instance renders the same notes otherwise than one before it (from "
               "sample " +
               std::to_string(differs % kFrames) + "): state shared between instances, or chance";
    for (int i = 0; i < 2; ++i) {
        const long long at = firstDifference(alone[i], together[i]);
        if (at >= 0)
            return "instance " + std::to_string(i + 1) +
                   " renders otherwise beside another than alone (from sample " +
                   std::to_string(at % kFrames) + ")";
    }
    return "";
}

} // namespace

void checkClapInstances(Validation& validation) {
    Report& report = validation.report;
    beginCheck(report, "instances.create-destroy");
    std::string detail;
    std::string problem = createDestroyProblem(validation, detail);
    endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? detail : problem);
    beginCheck(report, "instances.independent");
    problem = independenceProblem(validation);
    endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? "two instances in turn sound as each alone" : problem);
}
