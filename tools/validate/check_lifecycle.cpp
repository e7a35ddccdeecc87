// Lifecycle: the call orders hosts really use, each on a fresh instance,
// after which the instance must still render sound output and sound a note.
#include "validation.h"

namespace {

// The steps answer the problem they saw, or nothing.
using Steps = std::string (*)(AEffect*);

struct Lifecycle {
    const char* name;
    bool opened; // the steps run on an instance that openInstance prepared
    Steps steps;
};

void resume(AEffect* effect, float rate, VstInt32 block) {
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, rate);
    dispatch(effect, effSetBlockSize, 0, block);
    dispatch(effect, effMainsChanged, 0, 1);
}

const Lifecycle kLifecycles[] = {
    {"lifecycle.open-twice", false,
     [](AEffect* effect) {
         dispatch(effect, effOpen);
         dispatch(effect, effOpen);
         resume(effect, 44100.0f, 512);
         return std::string();
     }},
    {"lifecycle.zero-rate-and-block", false,
     [](AEffect* effect) {
         dispatch(effect, effOpen);
         resume(effect, 0.0f, 0);
         const std::string problem = audioProblem(playTestNote(effect));
         if (!problem.empty()) return "resumed at rate 0, block 0, a note gives " + problem;
         dispatch(effect, effMainsChanged, 0, 0);
         resume(effect, 44100.0f, 512);
         return std::string();
     }},
    {"lifecycle.audio-before-resume", false,
     [](AEffect* effect) {
         dispatch(effect, effOpen);
         dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
         dispatch(effect, effSetBlockSize, 0, 512);
         const std::string problem = audioProblem(playTestNote(effect));
         if (!problem.empty()) return "before effMainsChanged(1), a note gives " + problem;
         dispatch(effect, effMainsChanged, 0, 1);
         return std::string();
     }},
    {"lifecycle.rate-changes", true,
     [](AEffect* effect) {
         for (float rate : {96000.0f, 22050.0f, 192000.0f, 44100.0f}) {
             dispatch(effect, effMainsChanged, 0, 0);
             resume(effect, rate, 1024);
             const std::string problem = audioProblem(playTestNote(effect));
             if (!problem.empty())
                 return "resumed at " + describeFloat(rate) + " Hz, a note gives " + problem;
         }
         return std::string();
     }},
    {"lifecycle.rate-change-while-resumed", true,
     [](AEffect* effect) {
         sendMidi(effect, 0x90, 64, 100);
         dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
         dispatch(effect, effSetBlockSize, 0, 256);
         sendMidi(effect, 0x80, 64, 0);
         return std::string();
     }},
};

std::string runLifecycle(Validation& validation, const Lifecycle& lifecycle) {
    std::string error;
    AEffect* effect = lifecycle.opened ? openInstance(validation, 44100.0, 512, error)
                                       : createInstance(validation, error);
    if (!effect) return error;
    const std::string problem = lifecycle.steps(effect);
    const std::string after = audioProblem(playTestNote(effect));
    closeInstance(effect);
    if (!problem.empty()) return problem;
    return after.empty() ? "" : "afterwards a note gives " + after;
}

// effClose straight after audio, without the suspend hosts usually send.
std::string closeWithoutSuspend(Validation& validation) {
    std::string error;
    AEffect* effect = openInstance(validation, 44100.0, 512, error);
    if (!effect) return error;
    const AudioStats stats = playTestNote(effect);
    dispatch(effect, effClose);
    return audioProblem(stats);
}

} // namespace

void checkLifecycle(Validation& validation) {
    for (const Lifecycle& lifecycle : kLifecycles) {
        beginCheck(validation.report, lifecycle.name);
        const std::string problem = runLifecycle(validation, lifecycle);
        endCheck(validation.report, problem.empty() ? Verdict::Pass : Verdict::Fail,
                 problem.empty() ? "still renders sound output" : problem);
    }
    beginCheck(validation.report, "lifecycle.close-without-suspend");
    const std::string problem = closeWithoutSuspend(validation);
    endCheck(validation.report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? "closed while resumed" : problem);
}
