// Identity: the record's fields, every identity string within its VST 2.4
// buffer limit, and canDo answers that are -1, 0 or 1 and say an instrument
// takes MIDI.
#include "validation.h"

namespace {

struct StringQuery {
    VstInt32 opcode;
    const char* what;
    std::size_t limit;
};

const StringQuery kIdentityStrings[] = {
    {effGetEffectName, "effGetEffectName", kVstMaxEffectNameLen},
    {effGetVendorString, "effGetVendorString", kVstMaxVendorStrLen},
    {effGetProductString, "effGetProductString", kVstMaxProductStrLen},
};

void checkRecord(Validation& validation, AEffect* effect) {
    beginCheck(validation.report, "identity.record");
    std::string problem;
    if (effect->uniqueID == 0)
        problem = "uniqueID is 0: hosts tell plug-ins and their saved state apart by it";
    else if (effect->numPrograms < 0 || effect->numParams < 0)
        problem = "negative numPrograms (" + std::to_string(effect->numPrograms) +
                  ") or numParams (" + std::to_string(effect->numParams) + ")";
    else if ((effect->flags & effFlagsCanReplacing) && !effect->processReplacing)
        problem = "flags announce processReplacing but the record has none";
    if (!problem.empty()) return endCheck(validation.report, Verdict::Fail, problem);
    const VstIntPtr version = dispatch(effect, effGetVstVersion);
    const VstIntPtr category = dispatch(effect, effGetPlugCategory);
    std::string detail =
        "flags 0x" +
        [&] {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(effect->flags));
            return std::string(hex);
        }() +
        ", " + std::to_string(effect->numPrograms) + " programs, " +
        std::to_string(effect->numParams) + " parameters, " + std::to_string(effect->numOutputs) +
        " outputs, category " + std::to_string(category) + ", VST version " +
        std::to_string(version);
    if (version != kVstVersion)
        return endCheck(validation.report, Verdict::Note, detail + " (hosts expect 2400)");
    if (!(effect->flags & effFlagsCanReplacing))
        return endCheck(validation.report, Verdict::Note,
                        detail +
                            " (no processReplacing: the deprecated accumulating call is used)");
    endCheck(validation.report, Verdict::Pass, detail);
}

void checkStrings(Validation& validation, AEffect* effect) {
    beginCheck(validation.report, "identity.strings");
    std::string shown;
    for (const StringQuery& query : kIdentityStrings) {
        const StringAnswer answer = askString(effect, query.opcode, 0, query.limit);
        const std::string problem = stringProblem(answer, query.what, query.limit);
        if (!problem.empty()) return endCheck(validation.report, Verdict::Fail, problem);
        shown += (shown.empty() ? "'" : ", '") + answer.text + "'";
    }
    endCheck(validation.report, Verdict::Pass, shown);
}

void checkCanDo(Validation& validation, AEffect* effect) {
    beginCheck(validation.report, "identity.can-do");
    static const char* const kAbilities[] = {
        "receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents",
        "sendVstMidiEvent", "receiveVstTimeInfo",  "offline",
        "bypass",           "midiProgramNames",    "t815-validate: an ability no plug-in has"};
    VstIntPtr answers[sizeof kAbilities / sizeof kAbilities[0]];
    for (std::size_t i = 0; i < sizeof kAbilities / sizeof kAbilities[0]; ++i) {
        std::string ability = kAbilities[i]; // a writable copy, as hosts pass
        answers[i] = dispatch(effect, effCanDo, 0, 0, &ability[0]);
        if (answers[i] < -1 || answers[i] > 1)
            return endCheck(validation.report, Verdict::Fail,
                            std::string("canDo(\"") + kAbilities[i] + "\") answers " +
                                std::to_string(answers[i]) + " (only -1, 0 or 1 mean anything)");
    }
    if (answers[8] == 1)
        return endCheck(validation.report, Verdict::Fail,
                        "canDo answers yes to an ability that does not exist");
    const bool isSynth = effect->flags & effFlagsIsSynth;
    if (isSynth && answers[0] != 1 && answers[1] != 1)
        return endCheck(validation.report, Verdict::Fail,
                        "an instrument answering no to both receiveVstEvents and "
                        "receiveVstMidiEvent: hosts may send it no MIDI");
    endCheck(validation.report, Verdict::Pass,
             std::string("receiveVstEvents ") + std::to_string(answers[0]) +
                 ", receiveVstMidiEvent " + std::to_string(answers[1]));
}

} // namespace

void checkIdentity(Validation& validation) {
    std::string error;
    AEffect* effect = openInstance(validation, 44100.0, 512, error);
    if (!effect) {
        beginCheck(validation.report, "identity.record");
        return endCheck(validation.report, Verdict::Fail, error);
    }
    checkRecord(validation, effect);
    checkStrings(validation, effect);
    checkCanDo(validation, effect);
    closeInstance(effect);
}
