// 100 instances created, played and destroyed one after another: the time
// each takes, and (where the realtime probe sees the heap) that the memory
// comes back.
#include "realtime_probe.h"
#include "validation.h"

#include <chrono>

namespace {

constexpr int kInstances = 100;

std::string cycleInstance(Validation& validation) {
    std::string error;
    AEffect* effect = openInstance(validation, 44100.0, 512, error);
    if (!effect) return error;
    AudioBuffers buffers;
    prepareBuffers(buffers, effect, 512);
    sendMidi(effect, 0x90, 60, 100);
    processBlock(effect, buffers, 512);
    closeInstance(effect);
    return "";
}

} // namespace

void checkInstances(Validation& validation) {
    beginCheck(validation.report, "instances.create-destroy");
    for (int warmUp = 0; warmUp < 3; ++warmUp) { // lazily built shared tables come first
        const std::string problem = cycleInstance(validation);
        if (!problem.empty()) return endCheck(validation.report, Verdict::Fail, problem);
    }
    std::string whyNot;
    const bool measured = probeAvailable(whyNot);
    beginHeapBalance();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kInstances; ++i) {
        const std::string problem = cycleInstance(validation);
        if (!problem.empty()) {
            endHeapBalance();
            return endCheck(validation.report, Verdict::Fail,
                            "instance " + std::to_string(i + 1) + ": " + problem);
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const ProbeCounts balance = endHeapBalance();
    char timing[64];
    std::snprintf(timing, sizeof timing, "%.2f ms per instance", seconds * 1000.0 / kInstances);
    if (!measured)
        return endCheck(validation.report, Verdict::Pass,
                        std::string(timing) + "; memory returned: " + whyNot);
    if (balance.outstandingBlocks >= kInstances || balance.outstandingBytes >= 1 << 20)
        return endCheck(validation.report, Verdict::Fail,
                        std::to_string(balance.outstandingBlocks) + " heap blocks (" +
                            std::to_string(balance.outstandingBytes) +
                            " bytes) not returned after " + std::to_string(kInstances) +
                            " instances; " + timing);
    endCheck(validation.report, Verdict::Pass,
             std::string(timing) + "; memory returned (net " +
                 std::to_string(balance.outstandingBytes) + " bytes)");
}
