// Audio at five rates and six block sizes with random notes: the output
// finite, free of subnormals and within +20 dBFS. The same notes, all at
// multiples of 4096 frames (a block boundary for every size), must give the
// same output for every block size. Notes inside blocks show whether the
// plug-in places them by deltaFrames; one that plays them at the block's
// start is not wrong, so that is a note. Then automation: every parameter
// moved every 32 samples while notes play.
#include "validation.h"

#include <algorithm>

#include <cmath>

namespace {

const double kRates[] = {22050.0, 44100.0, 48000.0, 96000.0, 192000.0};
const VstInt32 kBlockSizes[] = {1, 32, 64, 512, 1024, 4096};
constexpr long long kGrid = 4096;             // divisible by every block size
constexpr float kInvarianceTolerance = 1e-5f; // -100 dB: rounding, not a different sound

struct Difference {
    float largest = 0.0f;
    long long frame = -1;
};

Difference compare(const std::vector<float>& a, const std::vector<float>& b, long long frames) {
    Difference difference;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const float gap = std::fabs(a[i] - b[i]);
        if (gap > difference.largest || (std::isnan(gap) && difference.frame < 0)) {
            difference.largest = std::isnan(gap) ? INFINITY : gap;
            difference.frame = static_cast<long long>(i) % frames;
        }
    }
    return difference;
}

// One rate: every block size renders the same notes on a fresh instance.
void checkRate(Validation& validation, double rate, long long frames, std::string& invariance) {
    const std::string name = "audio.rate-" + std::to_string(static_cast<int>(rate));
    beginCheck(validation.report, name);
    Random random = randomFor(validation, name.c_str());
    const std::vector<NoteEvent> notes = randomNotes(random, frames, kGrid);
    std::vector<float> reference;
    float peak = 0.0f;
    for (VstInt32 block : kBlockSizes) {
        std::string error;
        AEffect* effect = openInstance(validation, rate, block, error);
        if (!effect) return endCheck(validation.report, Verdict::Fail, error);
        std::vector<float> capture;
        const AudioStats stats = renderNotes(effect, notes, frames, block, &capture);
        closeInstance(effect);
        const std::string problem = audioProblem(stats);
        if (!problem.empty())
            return endCheck(validation.report, Verdict::Fail,
                            "blocks of " + std::to_string(block) + ": " + problem);
        peak = std::max(peak, stats.peak);
        if (reference.empty()) {
            reference.swap(capture);
            continue;
        }
        const Difference difference = compare(reference, capture, frames);
        if (difference.largest > kInvarianceTolerance && invariance.empty())
            invariance = describeFloat(static_cast<float>(rate)) + " Hz, blocks of " +
                         std::to_string(block) + " differ from blocks of 1 by " +
                         describeFloat(difference.largest) + " at frame " +
                         std::to_string(difference.frame) + " (notes only at block boundaries)";
    }
    endCheck(validation.report, Verdict::Pass,
             "blocks of 1 to 4096, " + std::to_string(notes.size()) + " note events, peak " +
                 describeFloat(peak));
}

// Notes at random frames: blocks of 1 place every note exactly; larger
// blocks agree only when the plug-in honours deltaFrames.
void checkDeltaFrames(Validation& validation) {
    beginCheck(validation.report, "audio.delta-frames");
    Random random = randomFor(validation, "audio.delta-frames");
    std::vector<NoteEvent> notes = randomNotes(random, 8 * kGrid, 512);
    for (NoteEvent& note : notes)
        note.frame += 1 + randomBelow(random, 500);
    std::vector<float> captures[2];
    const VstInt32 blocks[2] = {1, 512};
    for (int i = 0; i < 2; ++i) {
        std::string error;
        AEffect* effect = openInstance(validation, 44100.0, blocks[i], error);
        if (!effect) return endCheck(validation.report, Verdict::Fail, error);
        renderNotes(effect, notes, 8 * kGrid, blocks[i], &captures[i]);
        closeInstance(effect);
    }
    const Difference difference = compare(captures[0], captures[1], 8 * kGrid);
    if (difference.largest <= kInvarianceTolerance)
        return endCheck(validation.report, Verdict::Pass, "events placed by deltaFrames");
    endCheck(validation.report, Verdict::Note,
             "events act at the start of their block (deltaFrames ignored): blocks of 512 "
             "differ from blocks of 1 by " +
                 describeFloat(difference.largest));
}

} // namespace

void checkAudio(Validation& validation) {
    const bool everyRate = validation.strictness >= 4;
    const long long frames = kGrid * (validation.strictness >= 8 ? 16 : 6);
    std::string invariance;
    for (double rate : kRates)
        if (everyRate || rate == 44100.0) checkRate(validation, rate, frames, invariance);
    if (validation.strictness < 4) return;
    beginCheck(validation.report, "audio.block-invariance");
    endCheck(validation.report, invariance.empty() ? Verdict::Pass : Verdict::Fail,
             invariance.empty() ? "the same output for every block size at every rate"
                                : invariance);
    checkDeltaFrames(validation);
}

void checkAutomation(Validation& validation) {
    beginCheck(validation.report, "audio.automation");
    std::string error;
    AEffect* effect = openInstance(validation, 44100.0, 32, error);
    if (!effect) return endCheck(validation.report, Verdict::Fail, error);
    Random random = randomFor(validation, "audio.automation");
    const long long frames = 44100LL * validation.strictness / 5;
    const std::vector<NoteEvent> notes = randomNotes(random, frames, 2048);
    AudioBuffers buffers;
    prepareBuffers(buffers, effect, 32);
    AudioStats stats;
    MidiList list;
    std::size_t next = 0;
    std::string problem;
    for (long long start = 0; start < frames && problem.empty(); start += 32) {
        std::size_t end = next;
        while (end < notes.size() && notes[end].frame < start + 32)
            ++end;
        if (end > next) {
            fillMidiList(list, &notes[next], end - next, start);
            sendMidiList(effect, list);
            next = end;
        }
        for (VstInt32 index = 0; index < effect->numParams && effect->setParameter; ++index)
            effect->setParameter(effect, index, randomUnit(random));
        processBlock(effect, buffers, 32);
        addToStats(stats, buffers, 32);
        problem = audioProblem(stats);
        for (VstInt32 index = 0; index < effect->numParams && problem.empty(); ++index) {
            volatile float value = effect->getParameter(effect, index);
            if (!(value >= 0.0f && value <= 1.0f))
                problem = "parameter " + std::to_string(index) + " answers " +
                          describeFloat(value) + " during automation (outside 0..1)";
        }
    }
    closeInstance(effect);
    endCheck(validation.report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty()
                 ? std::to_string(stats.frames) + " frames, " +
                       "every parameter moved every 32, peak " + describeFloat(stats.peak)
                 : problem);
}
