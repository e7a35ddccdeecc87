// CLAP audio: random notes and parameter changes at every rate, each in
// blocks of several sizes (more of them the stricter the run), judged for
// NaN, infinities, subnormals and runaway peaks; and events acting at
// their sample: a block with events at offset t renders as the same block
// split in two at t with the events at the start of the second.
#include "clap_validation.h"

#include <cmath>

namespace {

const double kRates[] = {22050.0, 44100.0, 48000.0, 96000.0, 192000.0};

std::vector<int> blockSizes(int strictness) {
    if (strictness <= 3) return {512};
    if (strictness <= 7) return {64, 512};
    return {1, 17, 64, 512, 4096};
}

std::vector<ParameterChange> randomChanges(Random& random, const ClapInstance& clap,
                                           long long frames, long long every) {
    std::vector<ParameterChange> changes;
    if (clap.parameters.empty()) return changes;
    for (long long frame = every / 2; frame < frames; frame += every) {
        const int index = randomBelow(random, int(clap.parameters.size()));
        const clap_param_info& info = clap.parameters[std::size_t(index)];
        double value = info.min_value + (info.max_value - info.min_value) * randomUnit(random);
        if (info.flags & CLAP_PARAM_IS_STEPPED) value = std::trunc(value);
        changes.push_back({frame, index, value});
    }
    return changes;
}

std::string rateProblem(Validation& validation, double rate, std::string& detail) {
    Random random = randomFor(validation, "audio.rate");
    const long long frames = static_cast<long long>(rate / 2);
    const std::vector<NoteEvent> notes = randomNotes(random, frames, 1024);
    for (int block : blockSizes(validation.strictness)) {
        HostedPlugin plugin;
        std::string error;
        if (!openClap(validation, plugin, rate, block, error)) return error;
        const std::vector<ParameterChange> changes =
            randomChanges(random, *plugin.clap, frames, 4096);
        const ClapRender render = renderClap(plugin, notes, changes, frames, block);
        const std::string problem = renderProblem(render);
        if (!problem.empty()) return problem + " in blocks of " + std::to_string(block);
        detail += (detail.empty() ? "blocks of " : ", ") + std::to_string(block) + " peak " +
                  describeFloat(render.stats.peak);
    }
    return "";
}

// Renders two blocks (t, then `length` - t frames, or one of `length`
// when t is 0) with the events at t, then three more of `length`.
ClapRender renderAround(Validation& validation, long long t, int length,
                        const ParameterChange& change, bool split, std::string& error) {
    HostedPlugin plugin;
    ClapRender render;
    if (!openClap(validation, plugin, 44100.0, length, error)) return render;
    const std::vector<NoteEvent> notes = {{t, 0x90, 64, 110}, {length * 2 + 100, 0x80, 64, 0}};
    std::vector<ParameterChange> changes;
    if (change.index >= 0) changes.push_back({t, change.index, change.value});
    if (!split) return renderClap(plugin, notes, changes, length * 4, length, true);
    // The first block ends at t; the rest are rendered as shifted by it.
    const ClapRender head = renderClap(plugin, {}, {}, t, length, true);
    std::vector<NoteEvent> shiftedNotes = notes;
    for (NoteEvent& note : shiftedNotes)
        note.frame -= t;
    for (ParameterChange& moved : changes)
        moved.frame -= t;
    const ClapRender tail = renderClap(plugin, shiftedNotes, changes, length * 4 - t, length, true);
    const int channels = outputChannelCount(plugin);
    const long long total = length * 4;
    render.capture.assign(std::size_t(channels * total), 0.0f);
    for (int c = 0; c < channels; ++c) {
        std::copy(head.capture.begin() + c * t, head.capture.begin() + (c + 1) * t,
                  render.capture.begin() + c * total);
        std::copy(tail.capture.begin() + c * (total - t),
                  tail.capture.begin() + (c + 1) * (total - t),
                  render.capture.begin() + c * total + t);
    }
    render.processErrors = head.processErrors + tail.processErrors;
    return render;
}

std::string offsetsProblem(Validation& validation, int& tried, bool& measurable) {
    Random random = randomFor(validation, "audio.sample-offsets");
    constexpr int kLength = 512;
    HostedPlugin probe;
    std::string error;
    if (!loadClap(validation, probe, error)) return error;
    const std::vector<clap_param_info> parameters = probe.clap->parameters;
    unloadHostedPlugin(probe);
    for (int round = 0; round < 1 + validation.strictness / 3; ++round) {
        const long long t = 1 + randomBelow(random, kLength - 1);
        ParameterChange change{0, -1, 0.0};
        if (!parameters.empty() && round > 0) {
            change.index = randomBelow(random, int(parameters.size()));
            const clap_param_info& info = parameters[std::size_t(change.index)];
            change.value = info.min_value + (info.max_value - info.min_value) * randomUnit(random);
            if (info.flags & CLAP_PARAM_IS_STEPPED) change.value = std::trunc(change.value);
        }
        const ClapRender whole = renderAround(validation, t, kLength, change, false, error);
        const ClapRender control = renderAround(validation, t, kLength, change, false, error);
        const ClapRender split = renderAround(validation, t, kLength, change, true, error);
        if (!error.empty()) return error;
        if (firstDifference(whole.capture, control.capture) >= 0) {
            measurable = false;
            return "two instances render the same events differently";
        }
        const long long at = firstDifference(whole.capture, split.capture);
        if (at >= 0) {
            const std::string what =
                change.index < 0
                    ? "a note-on"
                    : "a note-on and a change of '" +
                          std::string(parameters[std::size_t(change.index)].name) + "'";
            return what + " at offset " + std::to_string(t) +
                   " of a block renders otherwise than the block split there (from sample " +
                   std::to_string(at % (kLength * 4)) + ")";
        }
        ++tried;
    }
    return "";
}

} // namespace

void checkClapAudio(Validation& validation) {
    Report& report = validation.report;
    for (double rate : kRates) {
        if (validation.strictness < 4 && rate != 44100.0) continue;
        beginCheck(report, "audio.rate-" + std::to_string(int(rate)));
        std::string detail;
        const std::string problem = rateProblem(validation, rate, detail);
        endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
                 problem.empty() ? detail : problem);
    }
    beginCheck(report, "audio.sample-offsets");
    int tried = 0;
    bool measurable = true;
    const std::string problem = offsetsProblem(validation, tried, measurable);
    if (!measurable) return endCheck(report, Verdict::NotMeasurable, problem);
    endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty()
                 ? std::to_string(tried) + " offsets: notes and changes act at their sample"
                 : problem);
}
