// A VST 2.4 instrument for testing hosts: it checks the order of the host's
// calls and answers, and writes what it received into its audio. Left: the
// sounding key / 128, changing exactly at each event's deltaFrames (0 when no
// key is down). Right: program × 0.125 + parameter 0 × 0.0625, or -1 in every
// sample once the host has broken the expected sequence. The environment
// variable T815_PROBE_MODE selects misbehaviour: "null" (no plug-in),
// "badmagic" (a record without the VST magic), "accumulate" (only the
// deprecated accumulating audio entry, which adds to the outputs).
#include "vst2_abi.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#define PROBE_EXPORT extern "C" __declspec(dllexport)
#else
#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

constexpr int kProbePrograms = 3;
constexpr int kProbeParams = 2;
constexpr int kMaxChanges = 1024;

struct KeyChange {
    int frame;
    int key; // -1: released
};

struct Probe {
    AEffect effect;
    audioMasterCallback host;
    bool opened, rateSet, blockSet, resumed, started;
    bool sequenceBroken;
    float sampleRate;
    VstIntPtr blockSize;
    int program;
    float params[kProbeParams];
    int key;
    KeyChange changes[kMaxChanges];
    int changeCount;
};

Probe* probeOf(AEffect* effect) {
    return effect ? static_cast<Probe*>(effect->object) : nullptr;
}

void queueEvents(Probe& probe, const VstEvents* events) {
    if (events == nullptr || !probe.resumed) {
        probe.sequenceBroken = true;
        return;
    }
    int lastFrame = 0;
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (event == nullptr || event->type != kVstMidiType ||
            event->byteSize != sizeof(VstMidiEvent) || event->deltaFrames < lastFrame ||
            event->deltaFrames >= probe.blockSize) {
            probe.sequenceBroken = true;
            continue;
        }
        lastFrame = event->deltaFrames;
        const VstMidiEvent* midi = reinterpret_cast<const VstMidiEvent*>(event);
        const int status = midi->midiData[0] & 0xF0;
        const int data1 = midi->midiData[1] & 0x7F;
        const int data2 = midi->midiData[2] & 0x7F;
        if (status == 0xC0) {
            probe.program = data1 % kProbePrograms;
            if (probe.host)
                probe.host(&probe.effect, audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f);
        } else if ((status == 0x90 || status == 0x80) && probe.changeCount < kMaxChanges) {
            const bool on = status == 0x90 && data2 > 0;
            probe.changes[probe.changeCount++] = {event->deltaFrames, on ? data1 : -1};
        }
    }
}

void render(Probe& probe, float** outputs, VstInt32 frames, bool accumulate) {
    if (!(probe.opened && probe.rateSet && probe.blockSet && probe.resumed && probe.started) ||
        outputs == nullptr || frames > probe.blockSize)
        probe.sequenceBroken = true;
    if (outputs == nullptr || outputs[0] == nullptr || outputs[1] == nullptr) return;
    int next = 0;
    for (VstInt32 i = 0; i < frames; ++i) {
        while (next < probe.changeCount && probe.changes[next].frame == i)
            probe.key = probe.changes[next++].key;
        const float left = probe.key < 0 ? 0.0f : float(probe.key) / 128.0f;
        const float right = probe.sequenceBroken
                                ? -1.0f
                                : float(probe.program) * 0.125f + probe.params[0] * 0.0625f;
        outputs[0][i] = accumulate ? outputs[0][i] + left : left;
        outputs[1][i] = accumulate ? outputs[1][i] + right : right;
    }
    if (next != probe.changeCount) probe.sequenceBroken = true; // an event beyond the block
    probe.changeCount = 0;
}

VstIntPtr VSTCALLBACK dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                               void* ptr, float opt) {
    Probe* probe = probeOf(effect);
    if (probe == nullptr) return 0;
    switch (opcode) {
    case effOpen:
        probe->opened = true;
        return 0;
    case effClose:
        std::free(probe);
        return 1;
    case effSetSampleRate:
        probe->sampleRate = opt;
        probe->rateSet = probe->opened;
        if (probe->host &&
            probe->host(effect, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f) != VstIntPtr(opt))
            probe->sequenceBroken = true;
        return 0;
    case effSetBlockSize:
        probe->blockSize = value;
        probe->blockSet = probe->opened && value > 0;
        return 0;
    case effMainsChanged:
        probe->resumed = value != 0;
        return 0;
    case effStartProcess:
        probe->started = probe->resumed;
        if (probe->host && probe->host(effect, audioMasterGetCurrentProcessLevel, 0, 0, nullptr,
                                       0.0f) != kVstProcessLevelOffline)
            probe->sequenceBroken = true;
        return 0;
    case effStopProcess:
        probe->started = false;
        return 0;
    case effSetProgram:
        if (value >= 0 && value < kProbePrograms) probe->program = int(value);
        return 1;
    case effGetProgram:
        return probe->program;
    case effGetProgramNameIndexed:
        if (ptr == nullptr || index < 0 || index >= kProbePrograms) return 0;
        std::strcpy(static_cast<char*>(ptr), index == 0 ? "Zero" : index == 1 ? "One" : "Two");
        return 1;
    case effGetParamName:
        if (ptr && index >= 0 && index < kProbeParams)
            std::strcpy(static_cast<char*>(ptr), index ? "Beta" : "Alpha");
        return 0;
    case effGetEffectName:
    case effGetProductString:
        if (ptr) std::strcpy(static_cast<char*>(ptr), "Render Probe");
        return 1;
    case effProcessEvents:
        queueEvents(*probe, static_cast<const VstEvents*>(ptr));
        return 1;
    case effGetPlugCategory:
        return kPlugCategSynth;
    case effGetVstVersion:
        return kVstVersion;
    default:
        return 0;
    }
}

void VSTCALLBACK processReplacing(AEffect* effect, float**, float** outputs, VstInt32 frames) {
    if (Probe* probe = probeOf(effect)) render(*probe, outputs, frames, false);
}

void VSTCALLBACK processAccumulating(AEffect* effect, float**, float** outputs, VstInt32 frames) {
    if (Probe* probe = probeOf(effect)) render(*probe, outputs, frames, true);
}

void VSTCALLBACK setParameter(AEffect* effect, VstInt32 index, float value) {
    Probe* probe = probeOf(effect);
    if (probe && index >= 0 && index < kProbeParams) probe->params[index] = value;
}

float VSTCALLBACK getParameter(AEffect* effect, VstInt32 index) {
    Probe* probe = probeOf(effect);
    return probe && index >= 0 && index < kProbeParams ? probe->params[index] : 0.0f;
}

} // namespace

PROBE_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
    const char* mode = std::getenv("T815_PROBE_MODE");
    const bool accumulate = mode && std::strcmp(mode, "accumulate") == 0;
    if (mode && std::strcmp(mode, "null") == 0) return nullptr;
    if (host == nullptr || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) != kVstVersion)
        return nullptr;

    Probe* probe = static_cast<Probe*>(std::calloc(1, sizeof(Probe)));
    if (probe == nullptr) return nullptr;
    probe->host = host;
    probe->key = -1;
    AEffect& effect = probe->effect;
    effect.magic = (mode && std::strcmp(mode, "badmagic") == 0) ? 0x12345678 : kEffectMagic;
    effect.dispatcher = dispatch;
    effect.process = processAccumulating;
    effect.processReplacing = accumulate ? nullptr : processReplacing;
    effect.setParameter = setParameter;
    effect.getParameter = getParameter;
    effect.numPrograms = kProbePrograms;
    effect.numParams = kProbeParams;
    effect.numInputs = 0;
    effect.numOutputs = 2;
    effect.flags = effFlagsIsSynth | (accumulate ? 0 : effFlagsCanReplacing);
    effect.ioRatio = 1.0f;
    effect.object = probe;
    effect.uniqueID = 0x50726F62; // 'Prob'
    effect.version = 1;
    return &effect;
}
