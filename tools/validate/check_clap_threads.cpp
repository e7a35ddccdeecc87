// CLAP threads: blocks rendered on an audio thread of their own while the
// main thread reads parameters and their texts and does the host's
// main-thread service; the output stays sound, and the host notices no call
// of the plug-in's on the wrong thread (main-thread-only host functions
// from the audio thread) during the whole run.
#include "clap_validation.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

std::string concurrentProblem(Validation& validation, HostedPlugin& plugin, long& mainCalls) {
    std::string error;
    if (!openClap(validation, plugin, 44100.0, 128, error)) return error;
    stopProcessing(plugin); // restarted on the audio thread
    Random random = randomFor(validation, "threads");
    const long long frames = 44100LL * validation.strictness / 5;
    const std::vector<NoteEvent> notes = randomNotes(random, frames, 2048);
    ClapRender render;
    std::string audioError;
    std::atomic<bool> done{false};
    std::thread audio([&] {
        if (startProcessing(plugin, audioError)) {
            render = renderClap(plugin, notes, {}, frames, 128);
            stopProcessing(plugin);
        }
        done = true;
    });
    ClapInstance& clap = *plugin.clap;
    while (!done) {
        for (std::size_t p = 0; p < clap.parameters.size(); ++p) {
            double value = 0.0;
            clapParameterValue(clap, p, value);
            clapParameterText(clap, p, value);
            ++mainCalls;
        }
        idlePlugin(plugin, 1);
    }
    audio.join();
    if (!audioError.empty()) return audioError + " (on the audio thread)";
    return renderProblem(render);
}

bool queried(ClapInstance& clap, const char* id) {
    std::lock_guard<std::mutex> lock(clap.host.messageMutex);
    const auto& ids = clap.host.queriedExtensions;
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

} // namespace

void checkClapThreads(Validation& validation) {
    Report& report = validation.report;
    beginCheck(report, "threads.concurrent");
    HostedPlugin plugin;
    long mainCalls = 0;
    const std::string problem = concurrentProblem(validation, plugin, mainCalls);
    endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? "sound output while the main thread made " +
                                   std::to_string(mainCalls) + " parameter calls"
                             : problem);
    beginCheck(report, "threads.host-calls");
    if (!plugin.clap) return endCheck(report, Verdict::Fail, "no instance");
    const std::string misuse = hostMisuse(plugin);
    const bool checks = queried(*plugin.clap, CLAP_EXT_THREAD_CHECK);
    unloadHostedPlugin(plugin);
    endCheck(report, misuse.empty() ? Verdict::Pass : Verdict::Fail,
             misuse.empty() ? std::string("no host call on the wrong thread") +
                                  (checks ? "; the plug-in asks clap.thread-check"
                                          : "; the plug-in never asks clap.thread-check")
                            : misuse);
}
