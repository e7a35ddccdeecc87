// Parameters: labels and display texts within 8 bytes for any value, names
// within the 32 bytes hosts allot for them (a note past the documented 8),
// values that round-trip within 0..1, and hostile values (NaN, infinities,
// huge, denormal, out of range) that must leave getParameter within 0..1,
// the output sound, and the instrument audible once the value is undone.
#include "validation.h"

#include <cmath>
#include <limits>

namespace {

const float kHostileValues[] = {
    std::numeric_limits<float>::quiet_NaN(),
    std::numeric_limits<float>::infinity(),
    -std::numeric_limits<float>::infinity(),
    1e30f,
    -1e30f,
    std::numeric_limits<float>::denorm_min(),
    -1e-40f,
    -1.0f,
    2.0f,
    5.0f,
};

// The note a plug-in must still sound after a hostile value is undone.
constexpr float kAudible = 1e-4f;

std::string parameterLabel(AEffect* effect, VstInt32 index) {
    const StringAnswer name = askString(effect, effGetParamName, index, 256);
    return "parameter " + std::to_string(index) + (name.written ? " (" + name.text + ")" : "");
}

// Hosts allot parameter names more than the 8 bytes VST 2.4 documents,
// since so many instruments write longer ones; past this a name overruns
// real hosts' buffers.
constexpr std::size_t kParameterNameBytes = 32;

std::string textProblem(AEffect* effect, VstInt32 index, VstInt32 opcode, const char* what,
                        std::size_t limit = kVstMaxParamStrLen) {
    const StringAnswer answer = askString(effect, opcode, index, limit);
    const std::string problem = stringProblem(answer, what, limit);
    return problem.empty() ? "" : parameterLabel(effect, index) + ": " + problem;
}

// The first name longer than VST 2.4's documented 8 bytes, for a note.
std::string longName(AEffect* effect) {
    for (VstInt32 index = 0; index < effect->numParams; ++index) {
        const StringAnswer name = askString(effect, effGetParamName, index, kParameterNameBytes);
        if (name.written && name.length + 1 > kVstMaxParamStrLen)
            return "name '" + name.text + "' takes " + std::to_string(name.length + 1) +
                   " bytes, more than the 8 VST 2.4 documents (hosts allot " +
                   std::to_string(kParameterNameBytes) + ")";
    }
    return "";
}

// The value a plug-in answers, stored to a float in memory: a 32-bit
// plug-in returns it in an x87 register that may carry extra precision.
float readParameter(AEffect* effect, VstInt32 index) {
    volatile float value = effect->getParameter(effect, index);
    return value;
}

std::string rangeProblem(AEffect* effect, VstInt32 index, float written) {
    const float value = readParameter(effect, index);
    if (std::isfinite(value) && value >= 0.0f && value <= 1.0f) return "";
    return parameterLabel(effect, index) + " set to " + describeFloat(written) +
           ": getParameter answers " + describeFloat(value) + " (outside 0..1)";
}

void checkTexts(Validation& validation, AEffect* effect) {
    beginCheck(validation.report, "parameters.texts");
    Random random = randomFor(validation, "parameters.texts");
    for (VstInt32 index = 0; index < effect->numParams; ++index) {
        std::string problem =
            textProblem(effect, index, effGetParamName, "effGetParamName", kParameterNameBytes);
        if (problem.empty())
            problem = textProblem(effect, index, effGetParamLabel, "effGetParamLabel");
        const float original = readParameter(effect, index);
        for (int step = 0; problem.empty() && step < 8 + validation.strictness; ++step) {
            const float value = step <= 4 ? step / 4.0f : randomUnit(random);
            effect->setParameter(effect, index, value);
            problem = textProblem(effect, index, effGetParamDisplay, "effGetParamDisplay");
            if (!problem.empty()) problem += " at value " + describeFloat(value);
        }
        effect->setParameter(effect, index, original);
        if (!problem.empty()) return endCheck(validation.report, Verdict::Fail, problem);
    }
    const std::string note = longName(effect);
    if (!note.empty()) return endCheck(validation.report, Verdict::Note, note);
    endCheck(validation.report, Verdict::Pass,
             "labels and display texts of " + std::to_string(effect->numParams) +
                 " parameters within " + std::to_string(kVstMaxParamStrLen) +
                 " bytes, names within " + std::to_string(kParameterNameBytes));
}

void checkRoundTrip(Validation& validation, AEffect* effect) {
    beginCheck(validation.report, "parameters.round-trip");
    Random random = randomFor(validation, "parameters.round-trip");
    for (VstInt32 index = 0; index < effect->numParams; ++index) {
        const float original = readParameter(effect, index);
        std::string problem = rangeProblem(effect, index, original);
        for (int step = 0; problem.empty() && step < 8 + 2 * validation.strictness; ++step) {
            const float value = step <= 4 ? step / 4.0f : randomUnit(random);
            effect->setParameter(effect, index, value);
            problem = rangeProblem(effect, index, value);
            if (!problem.empty()) break;
            // Stepped parameters snap to a step; the step itself must stay put.
            const float answered = readParameter(effect, index);
            effect->setParameter(effect, index, answered);
            const float again = readParameter(effect, index);
            if (std::fabs(again - answered) > 1e-6f)
                problem = parameterLabel(effect, index) + " set to " + describeFloat(value) +
                          " answers " + describeFloat(answered) + "; set to that, it answers " +
                          describeFloat(again);
        }
        effect->setParameter(effect, index, original);
        if (!problem.empty()) return endCheck(validation.report, Verdict::Fail, problem);
    }
    endCheck(validation.report, Verdict::Pass, "values read back within 0..1 and stable");
}

std::string hostileProblem(AEffect* effect, VstInt32 index, float value, float original,
                           bool audibleBefore) {
    const std::string setTo = parameterLabel(effect, index) + " set to " + describeFloat(value);
    effect->setParameter(effect, index, value);
    std::string problem = rangeProblem(effect, index, value);
    if (!problem.empty()) return problem;
    problem = textProblem(effect, index, effGetParamDisplay, "effGetParamDisplay");
    if (!problem.empty()) return problem + " after a value of " + describeFloat(value);
    problem = audioProblem(playTestNote(effect));
    if (!problem.empty()) return setTo + ", a note gives " + problem;
    effect->setParameter(effect, index, original);
    const AudioStats after = playTestNote(effect);
    problem = audioProblem(after);
    if (!problem.empty()) return setTo + " and back to " + describeFloat(original) + ": " + problem;
    if (audibleBefore && after.peak < kAudible)
        return setTo + " and back to " + describeFloat(original) +
               ": the instrument stays silent (peak " + describeFloat(after.peak) + ")";
    return "";
}

void checkHostileValues(Validation& validation, AEffect* effect) {
    beginCheck(validation.report, "parameters.hostile-values");
    const bool audible = playTestNote(effect).peak >= kAudible;
    for (VstInt32 index = 0; index < effect->numParams; ++index) {
        const float original = readParameter(effect, index);
        for (float value : kHostileValues) {
            const std::string problem = hostileProblem(effect, index, value, original, audible);
            if (!problem.empty()) {
                effect->setParameter(effect, index, original);
                return endCheck(validation.report, Verdict::Fail, problem);
            }
        }
    }
    endCheck(validation.report, Verdict::Pass,
             "NaN, infinities, +-1e30, denormals and out-of-range values on every parameter" +
                 std::string(audible ? "" : " (the test note was silent before)"));
}

// Several parameters at hostile values at once, as a confused host leaves them.
void checkRandomValues(Validation& validation, AEffect* effect) {
    beginCheck(validation.report, "parameters.random-values");
    Random random = randomFor(validation, "parameters.random-values");
    std::vector<float> originals;
    for (VstInt32 index = 0; index < effect->numParams; ++index)
        originals.push_back(readParameter(effect, index));
    for (int round = 0; round < 2 * validation.strictness; ++round) {
        std::string written;
        for (VstInt32 index = 0; index < effect->numParams; ++index) {
            const int pick = randomBelow(random, 14);
            const float value = pick < 10 ? kHostileValues[pick] : randomUnit(random);
            effect->setParameter(effect, index, value);
            written += (index ? ", " : "") + describeFloat(value);
        }
        std::string problem;
        for (VstInt32 index = 0; index < effect->numParams && problem.empty(); ++index)
            problem = rangeProblem(effect, index, readParameter(effect, index));
        if (problem.empty()) problem = audioProblem(playTestNote(effect));
        if (!problem.empty())
            return endCheck(validation.report, Verdict::Fail,
                            "parameters set to " + written + ": " + problem);
    }
    for (VstInt32 index = 0; index < effect->numParams; ++index)
        effect->setParameter(effect, index, originals[static_cast<std::size_t>(index)]);
    endCheck(validation.report, Verdict::Pass,
             std::to_string(2 * validation.strictness) + " rounds of mixed values");
}

} // namespace

void checkParameters(Validation& validation) {
    std::string error;
    AEffect* effect = openInstance(validation, 44100.0, 512, error);
    if (!effect) {
        beginCheck(validation.report, "parameters.texts");
        return endCheck(validation.report, Verdict::Fail, error);
    }
    if (effect->numParams <= 0 || !effect->setParameter || !effect->getParameter) {
        beginCheck(validation.report, "parameters.texts");
        endCheck(validation.report, Verdict::Note, "the plug-in declares no parameters");
    } else {
        checkTexts(validation, effect);
        checkRoundTrip(validation, effect);
        if (validation.strictness >= 2) {
            checkHostileValues(validation, effect);
            checkRandomValues(validation, effect);
        }
    }
    closeInstance(effect);
}
