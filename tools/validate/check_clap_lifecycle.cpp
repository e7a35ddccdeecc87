// A CLAP instance through the life hosts give it: activated and
// deactivated again at other rates and block sizes, processing stopped and
// started with notes held, and reset silencing every voice.
#include "clap_validation.h"

namespace {

constexpr int kSettlingFrames = 64;

const std::vector<NoteEvent> kChord = {{0, 0x90, 60, 100}, {0, 0x90, 64, 100}, {0, 0x90, 67, 100}};

std::string cyclesProblem(Validation& validation, int& cycles) {
    HostedPlugin plugin;
    std::string error;
    if (!loadClap(validation, plugin, error)) return error;
    const AudioSettings settings[] = {
        {44100.0, 512}, {96000.0, 64}, {22050.0, 4096}, {48000.0, 1}, {44100.0, 512}};
    float firstPeak = -1.0f;
    for (int round = 0; round < 1 + validation.strictness / 2; ++round) {
        for (const AudioSettings& setting : settings) {
            if (!changeAudioSettings(plugin, setting))
                return "the host could not change the settings while inactive";
            if (!activatePlugin(plugin, error) || !startProcessing(plugin, error))
                return error + " (cycle " + std::to_string(cycles + 1) + ")";
            const long long frames = static_cast<long long>(setting.sampleRate / 8);
            ClapRender render = renderClap(plugin, kChord, {}, frames, setting.maxBlockFrames);
            stopProcessing(plugin);
            if (!startProcessing(plugin, error)) return error + " after a stop";
            const ClapRender more = renderClap(plugin, {}, {}, frames, setting.maxBlockFrames);
            deactivatePlugin(plugin);
            ++cycles;
            std::string problem = renderProblem(render);
            if (problem.empty()) problem = renderProblem(more);
            if (!problem.empty())
                return problem + " at " + describeFloat(float(setting.sampleRate)) +
                       " Hz, blocks of " + std::to_string(setting.maxBlockFrames);
            if (render.stats.peak == 0.0f)
                return "silent after reactivation at " + describeFloat(float(setting.sampleRate)) +
                       " Hz, blocks of " + std::to_string(setting.maxBlockFrames);
            if (firstPeak < 0.0f) firstPeak = render.stats.peak;
        }
    }
    return "";
}

std::string resetProblem(Validation& validation) {
    HostedPlugin plugin;
    std::string error;
    if (!openClap(validation, plugin, 44100.0, 512, error)) return error;
    const ClapRender held = renderClap(plugin, kChord, {}, 4096, 512);
    if (held.stats.peak == 0.0f) return "a chord is not heard";
    ClapInstance& clap = *plugin.clap;
    beginAudioCall(clap.host);
    clap.plugin->reset(clap.plugin);
    endAudioCall(clap.host);
    // The output stage's last few samples may still leave after the voices stopped.
    const ClapRender settling = renderClap(plugin, {}, {}, kSettlingFrames, 512);
    const ClapRender after = renderClap(plugin, {}, {}, 4096, 512);
    std::string problem = renderProblem(settling);
    if (problem.empty()) problem = renderProblem(after);
    if (!problem.empty()) return problem + " after reset";
    if (after.stats.peak > 1e-5f)
        return "a chord held before reset still sounds " + std::to_string(kSettlingFrames) +
               " frames after it (peak " + describeFloat(after.stats.peak) + ")";
    const ClapRender again = renderClap(plugin, kChord, {}, 4096, 512);
    if (again.stats.peak == 0.0f) return "no note is heard after reset";
    return "";
}

} // namespace

void checkClapLifecycle(Validation& validation) {
    Report& report = validation.report;
    beginCheck(report, "lifecycle.activate-cycles");
    int cycles = 0;
    std::string problem = cyclesProblem(validation, cycles);
    endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty()
                 ? std::to_string(cycles) + " activations at 22.05 to 96 kHz, blocks of 1 to 4096, "
                                            "processing stopped and started with notes held"
                 : problem);
    beginCheck(report, "lifecycle.reset");
    problem = resetProblem(validation);
    endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? "reset silences held notes within " +
                                   std::to_string(kSettlingFrames) + " frames; notes play after it"
                             : problem);
}
