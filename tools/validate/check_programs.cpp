// Programs: every index can be set and read back, names (current and
// indexed) fit 24 bytes and agree, out-of-range indexes change nothing, and
// switching programs while notes sound keeps the output sound.
#include "validation.h"

#include <algorithm>

#include <climits>

namespace {

std::string nameProblem(AEffect* effect, VstInt32 index) {
    const StringAnswer current = askString(effect, effGetProgramName, 0, kVstMaxProgNameLen);
    std::string problem = stringProblem(current, "effGetProgramName", kVstMaxProgNameLen);
    if (!problem.empty()) return "program " + std::to_string(index) + ": " + problem;
    const StringAnswer indexed =
        askString(effect, effGetProgramNameIndexed, index, kVstMaxProgNameLen);
    problem = stringProblem(indexed, "effGetProgramNameIndexed", kVstMaxProgNameLen);
    if (!problem.empty()) return "program " + std::to_string(index) + ": " + problem;
    if (indexed.result == 1 && current.written && indexed.text != current.text)
        return "program " + std::to_string(index) + ": indexed name '" + indexed.text +
               "' differs from the current name '" + current.text + "'";
    return "";
}

void checkEveryProgram(Validation& validation, AEffect* effect) {
    beginCheck(validation.report, "programs.set-and-get");
    for (VstInt32 index = 0; index < effect->numPrograms; ++index) {
        dispatch(effect, effBeginSetProgram);
        dispatch(effect, effSetProgram, 0, index);
        dispatch(effect, effEndSetProgram);
        const VstIntPtr current = dispatch(effect, effGetProgram);
        if (current != index)
            return endCheck(validation.report, Verdict::Fail,
                            "effSetProgram " + std::to_string(index) +
                                ", then effGetProgram answers " + std::to_string(current));
        const std::string problem = nameProblem(effect, index);
        if (!problem.empty()) return endCheck(validation.report, Verdict::Fail, problem);
    }
    endCheck(validation.report, Verdict::Pass,
             std::to_string(effect->numPrograms) + " programs set, read back and named");
}

void checkOutOfRange(Validation& validation, AEffect* effect) {
    beginCheck(validation.report, "programs.out-of-range");
    const VstInt32 count = effect->numPrograms;
    const VstInt32 kept = count > 1 ? 1 : 0;
    dispatch(effect, effSetProgram, 0, kept);
    const VstIntPtr before = dispatch(effect, effGetProgram);
    const VstIntPtr indexes[] = {-1,
                                 count,
                                 count + 1,
                                 1000,
                                 INT_MAX,
                                 INT_MIN,
                                 static_cast<VstIntPtr>(~static_cast<std::uintptr_t>(0) >> 1)};
    for (VstIntPtr index : indexes) {
        dispatch(effect, effSetProgram, 0, index);
        const VstIntPtr after = dispatch(effect, effGetProgram);
        if (after != before)
            return endCheck(validation.report, Verdict::Fail,
                            "effSetProgram " + std::to_string(index) + " (of " +
                                std::to_string(count) + " programs) changed the program from " +
                                std::to_string(before) + " to " + std::to_string(after));
        const StringAnswer indexed = askString(effect, effGetProgramNameIndexed,
                                               static_cast<VstInt32>(index), kVstMaxProgNameLen);
        const std::string problem = stringProblem(
            indexed, "effGetProgramNameIndexed(" + std::to_string(index) + ")", kVstMaxProgNameLen);
        if (!problem.empty()) return endCheck(validation.report, Verdict::Fail, problem);
    }
    endCheck(validation.report, Verdict::Pass,
             "indexes -1, " + std::to_string(count) + ", beyond and extreme ignored");
}

void checkChangeWhilePlaying(Validation& validation, AEffect* effect) {
    beginCheck(validation.report, "programs.change-while-playing");
    Random random = randomFor(validation, "programs.change-while-playing");
    const std::vector<NoteEvent> notes = randomNotes(random, 4096 * 8, 1024);
    AudioStats stats;
    for (VstInt32 index = 0; index < effect->numPrograms; ++index) {
        dispatch(effect, effSetProgram, 0, index);
        const AudioStats one = renderNotes(effect, notes, 4096 * 2, 256);
        const std::string problem = audioProblem(one);
        if (!problem.empty())
            return endCheck(validation.report, Verdict::Fail,
                            "after a change to program " + std::to_string(index) + ": " + problem);
        stats.peak = std::max(stats.peak, one.peak);
    }
    endCheck(validation.report, Verdict::Pass, "peak " + describeFloat(stats.peak));
}

} // namespace

void checkPrograms(Validation& validation) {
    std::string error;
    AEffect* effect = openInstance(validation, 44100.0, 512, error);
    if (!effect) {
        beginCheck(validation.report, "programs.set-and-get");
        return endCheck(validation.report, Verdict::Fail, error);
    }
    if (effect->numPrograms <= 0) {
        beginCheck(validation.report, "programs.set-and-get");
        endCheck(validation.report, Verdict::Note, "the plug-in declares no programs");
    } else {
        checkEveryProgram(validation, effect);
        checkOutOfRange(validation, effect);
        checkChangeWhilePlaying(validation, effect);
    }
    closeInstance(effect);
}
