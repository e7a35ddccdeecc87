// A small VST 2.4 instrument for testing t815-validate: eight sine voices
// with an attack and release, two parameters (Gain, Tone), four programs,
// MIDI placed by deltaFrames, and on Windows an editor window. Sound in
// every respect unless the environment variable T815_FAULT names one fault,
// each of which one family of the validator's checks must catch:
//   long-name      effGetEffectName writes 45 bytes into its 32
//   can-do         canDo answers yes to anything
//   program-range  effSetProgram takes any index
//   param-range    parameter values unclamped, NaN reaching the output
//   long-display   display texts of 12 bytes
//   zero-rate      a sample rate of 0 is taken, and makes NaN
//   block-size     the attack advances once per block, not per sample
//   denormals      the release decays into subnormal numbers
//   automation     changes on the audio thread push sounding voices up, unbounded
//   stall          a write from another thread holds the audio callback's lock 30 ms
//   shared-state   instances share one tremolo phase
//   allocation     the audio callback allocates
//   lock           the audio callback takes a mutex
//   leak           every instance leaves 64 KiB behind
//   editor-leak    effEditClose leaves the editor window in place (Windows)
#include "vst2_abi.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#define FAULTY_EXPORT extern "C" __declspec(dllexport)
#else
#define FAULTY_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

enum class Fault {
    None,
    LongName,
    CanDo,
    ProgramRange,
    ParamRange,
    LongDisplay,
    ZeroRate,
    BlockSize,
    Denormals,
    Automation,
    Stall,
    SharedState,
    Allocation,
    Lock,
    Leak,
    EditorLeak,
};

const char* const kFaultNames[] = {
    "",           "long-name",  "can-do",    "program-range", "param-range", "long-display",
    "zero-rate",  "block-size", "denormals", "automation",    "stall",       "shared-state",
    "allocation", "lock",       "leak",      "editor-leak"};

Fault faultFromEnvironment() {
    const char* name = std::getenv("T815_FAULT");
    if (!name) return Fault::None;
    for (int i = 1; i < int(sizeof kFaultNames / sizeof kFaultNames[0]); ++i)
        if (std::strcmp(name, kFaultNames[i]) == 0) return static_cast<Fault>(i);
    return Fault::None;
}

constexpr int kVoices = 8;
constexpr int kPrograms = 4;
constexpr int kParams = 2;
constexpr int kMaxEvents = 256;
constexpr double kTwoPi = 6.283185307179586;

const char* const kProgramNames[kPrograms] = {"Pure", "Warm", "Bright", "Hollow"};
const float kProgramTones[kPrograms] = {0.0f, 0.3f, 0.7f, 1.0f};

struct Voice {
    int key = -1; // -1: free
    double phase = 0.0;
    float level = 0.0f;
    float velocity = 0.0f;
    bool releasing = false;
};

struct PendingEvent {
    int frame;
    unsigned char bytes[3];
};

struct Faulty {
    AEffect effect;
    Fault fault;
    // Written by any thread the host likes, read by the audio callback.
    std::atomic<float> sampleRate{44100.0f};
    std::atomic<float> params[kParams] = {0.8f, 0.0f};
    std::atomic<VstIntPtr> program{0};
    Voice voices[kVoices];
    double tremoloPhase = 0.0;
    // Events from other threads arrive under eventLock; the audio callback
    // takes them when it gets the lock without waiting, else a block later.
    std::mutex eventLock;
    PendingEvent incoming[kMaxEvents];
    int incomingCount = 0;
    PendingEvent events[kMaxEvents]; // the audio callback's own
    int eventCount = 0;
    std::mutex lock;
    std::atomic<std::thread::id> audioThread{};
    char* leaked = nullptr;
#ifdef _WIN32
    HWND editor = nullptr;
#endif
};

// The shared-state fault's tremolo phase, common to every instance.
std::atomic<double> sharedTremoloPhase{0.0};

Faulty* faultyOf(AEffect* effect) {
    return effect ? static_cast<Faulty*>(effect->object) : nullptr;
}

void startNote(Faulty& faulty, int key, int velocity) {
    Voice* chosen = &faulty.voices[0];
    for (Voice& voice : faulty.voices)
        if (voice.key < 0) {
            chosen = &voice;
            break;
        }
    *chosen = Voice{key, 0.0, 0.0f, velocity / 127.0f, false};
}

void stopNote(Faulty& faulty, int key) {
    for (Voice& voice : faulty.voices)
        if (voice.key == key) voice.releasing = true;
}

void applyEvent(Faulty& faulty, const unsigned char* bytes) {
    const int status = bytes[0] & 0xF0;
    const int key = bytes[1] & 0x7F, velocity = bytes[2] & 0x7F;
    if (status == 0x90 && velocity > 0)
        startNote(faulty, key, velocity);
    else if (status == 0x80 || status == 0x90)
        stopNote(faulty, key);
    else if (status == 0xC0 && key < kPrograms)
        faulty.program = key;
}

float renderSample(Faulty& faulty) {
    const float attackStep = 0.005f;
    const float release = faulty.fault == Fault::Denormals ? 0.99f : 0.9995f;
    const double rate = faulty.sampleRate.load();
    const float tone = std::max(faulty.params[1].load(), kProgramTones[faulty.program & 3]);
    float sum = 0.0f;
    for (Voice& voice : faulty.voices) {
        if (voice.key < 0) continue;
        if (voice.releasing) {
            voice.level *= release;
            if (faulty.fault != Fault::Denormals && voice.level < 1e-6f) {
                voice.key = -1;
                continue;
            }
        } else if (faulty.fault != Fault::BlockSize) {
            voice.level = std::min(1.0f, voice.level + attackStep);
        }
        const double frequency = 440.0 * std::pow(2.0, (voice.key - 69) / 12.0);
        voice.phase = std::fmod(voice.phase + kTwoPi * frequency / rate, kTwoPi);
        const float wave = static_cast<float>(std::sin(voice.phase) * (1.0f - tone) +
                                              std::sin(3.0 * voice.phase) * tone * 0.5);
        sum += wave * voice.level * voice.velocity * 0.3f;
    }
    double& tremolo = faulty.tremoloPhase;
    if (faulty.fault == Fault::SharedState) {
        tremolo = sharedTremoloPhase.load(std::memory_order_relaxed);
        sharedTremoloPhase.store(std::fmod(tremolo + kTwoPi * 5.0 / rate, kTwoPi),
                                 std::memory_order_relaxed);
    } else {
        tremolo = std::fmod(tremolo + kTwoPi * 5.0 / rate, kTwoPi);
    }
    return sum * faulty.params[0] * static_cast<float>(1.0 + 0.1 * std::sin(tremolo));
}

void renderFrames(Faulty& faulty, float* left, float* right, int from, int to) {
    for (int i = from; i < to; ++i) {
        const float sample = renderSample(faulty);
        left[i] = sample;
        if (right) right[i] = sample;
    }
}

void VSTCALLBACK processReplacing(AEffect* effect, float**, float** outputs, VstInt32 frames) {
    Faulty* faulty = faultyOf(effect);
    if (!faulty || !outputs || !outputs[0] || frames <= 0) return;
    faulty->audioThread = std::this_thread::get_id();
    std::unique_lock<std::mutex> guard(faulty->lock, std::defer_lock);
    if (faulty->fault == Fault::Lock || faulty->fault == Fault::Stall) guard.lock();
    std::vector<float> scratch;
    if (faulty->fault == Fault::Allocation) scratch.resize(static_cast<std::size_t>(frames));
    if (faulty->fault == Fault::BlockSize)
        for (Voice& voice : faulty->voices)
            if (voice.key >= 0 && !voice.releasing)
                voice.level = std::min(1.0f, voice.level + 0.005f * frames);
    std::unique_lock<std::mutex> events(faulty->eventLock, std::try_to_lock);
    if (events.owns_lock()) {
        const int room = kMaxEvents - faulty->eventCount;
        const int taken = std::min(room, faulty->incomingCount);
        std::copy(faulty->incoming, faulty->incoming + taken, faulty->events + faulty->eventCount);
        faulty->eventCount += taken;
        faulty->incomingCount = 0;
        events.unlock();
    }
    int done = 0;
    for (int i = 0; i < faulty->eventCount; ++i) {
        const int at = std::clamp(faulty->events[i].frame, done, static_cast<int>(frames));
        renderFrames(*faulty, outputs[0], outputs[1], done, at);
        done = at;
        applyEvent(*faulty, faulty->events[i].bytes);
    }
    faulty->eventCount = 0;
    renderFrames(*faulty, outputs[0], outputs[1], done, frames);
}

void VSTCALLBACK process(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    processReplacing(effect, inputs, outputs, frames);
}

void VSTCALLBACK setParameter(AEffect* effect, VstInt32 index, float value) {
    Faulty* faulty = faultyOf(effect);
    if (!faulty || index < 0 || index >= kParams) return;
    const bool onAudioThread = faulty->audioThread.load() == std::this_thread::get_id();
    if (faulty->fault == Fault::Stall && !onAudioThread) {
        std::lock_guard<std::mutex> guard(faulty->lock);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    if (faulty->fault == Fault::Automation && onAudioThread)
        for (Voice& voice : faulty->voices)
            if (voice.key >= 0) voice.velocity += 2.0f;
    if (faulty->fault == Fault::ParamRange) {
        faulty->params[index] = value;
        return;
    }
    if (std::isfinite(value)) faulty->params[index] = std::clamp(value, 0.0f, 1.0f);
}

float VSTCALLBACK getParameter(AEffect* effect, VstInt32 index) {
    Faulty* faulty = faultyOf(effect);
    return faulty && index >= 0 && index < kParams ? faulty->params[index].load() : 0.0f;
}

void copyText(void* ptr, const char* text, std::size_t limit) {
    if (!ptr) return;
    std::strncpy(static_cast<char*>(ptr), text, limit - 1);
    static_cast<char*>(ptr)[limit - 1] = '\0';
}

#ifdef _WIN32
const wchar_t kEditorClass[] = L"t815 faulty editor";

HMODULE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

void openEditor(Faulty& faulty, void* parent) {
    static const bool registered = [] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = thisModule();
        windowClass.lpszClassName = kEditorClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    if (!registered || faulty.editor) return;
    faulty.editor = CreateWindowExW(0, kEditorClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100,
                                    static_cast<HWND>(parent), nullptr, thisModule(), nullptr);
}

void closeEditor(Faulty& faulty, bool leak) {
    if (faulty.editor && !leak) DestroyWindow(faulty.editor);
    faulty.editor = nullptr;
}
#endif

VstIntPtr VSTCALLBACK dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                 void* ptr, float opt) {
    Faulty* faulty = faultyOf(effect);
    if (!faulty) return 0;
    const Fault fault = faulty->fault;
    static ERect rect = {0, 0, 100, 200};
    switch (opcode) {
    case effClose:
#ifdef _WIN32
        closeEditor(*faulty, false);
#endif
        if (fault != Fault::Leak) delete[] faulty->leaked;
        delete faulty;
        return 1;
    case effSetProgram:
        if (fault == Fault::ProgramRange || (value >= 0 && value < kPrograms))
            faulty->program = value;
        return 1;
    case effGetProgram:
        return faulty->program;
    case effGetProgramName:
        copyText(ptr, kProgramNames[faulty->program & 3], kVstMaxProgNameLen);
        return 1;
    case effGetProgramNameIndexed:
        if (index < 0 || index >= kPrograms) return 0;
        copyText(ptr, kProgramNames[index], kVstMaxProgNameLen);
        return 1;
    case effGetParamName:
        if (index >= 0 && index < kParams) copyText(ptr, index ? "Tone" : "Gain", 8);
        return 1;
    case effGetParamLabel:
        if (index >= 0 && index < kParams) copyText(ptr, "%", 8);
        return 1;
    case effGetParamDisplay:
        if (index >= 0 && index < kParams && ptr) {
            if (fault == Fault::LongDisplay)
                std::snprintf(static_cast<char*>(ptr), 32, "%.6f dB",
                              static_cast<double>(faulty->params[index].load()));
            else
                std::snprintf(static_cast<char*>(ptr), 8, "%d",
                              static_cast<int>(faulty->params[index] * 100.0f));
        }
        return 1;
    case effSetSampleRate:
        if (fault == Fault::ZeroRate || (std::isfinite(opt) && opt > 0.0f))
            faulty->sampleRate = opt;
        return 1;
    case effProcessEvents: {
        // On the audio thread straight into its list; from elsewhere through
        // the locked queue.
        const VstEvents* events = static_cast<const VstEvents*>(ptr);
        const bool onAudioThread = faulty->audioThread.load() == std::this_thread::get_id();
        std::unique_lock<std::mutex> guard(faulty->eventLock, std::defer_lock);
        if (!onAudioThread) guard.lock();
        PendingEvent* list = onAudioThread ? faulty->events : faulty->incoming;
        int& count = onAudioThread ? faulty->eventCount : faulty->incomingCount;
        for (VstInt32 i = 0; events && i < events->numEvents; ++i) {
            const VstEvent* event = events->events[i];
            if (!event || event->type != kVstMidiType || count >= kMaxEvents) continue;
            PendingEvent& pending = list[count++];
            pending.frame = event->deltaFrames;
            std::memcpy(pending.bytes, reinterpret_cast<const VstMidiEvent*>(event)->midiData, 3);
        }
        return 1;
    }
    case effMainsChanged: // hosts resume from the thread that will render, as a rule
        if (value) faulty->audioThread = std::this_thread::get_id();
        return 0;
    case effGetEffectName:
        copyText(ptr,
                 fault == Fault::LongName ? "Faulty test instrument with a very long name"
                                          : "Faulty test instrument",
                 fault == Fault::LongName ? 64 : kVstMaxEffectNameLen);
        return 1;
    case effGetVendorString:
        copyText(ptr, "T-815 Project", kVstMaxVendorStrLen);
        return 1;
    case effGetProductString:
        copyText(ptr, "t815 faulty", kVstMaxProductStrLen);
        return 1;
    case effGetPlugCategory:
        return kPlugCategSynth;
    case effGetVstVersion:
        return kVstVersion;
    case effCanDo:
        if (!ptr) return 0;
        if (fault == Fault::CanDo) return 1;
        return std::strcmp(static_cast<const char*>(ptr), "receiveVstEvents") == 0 ||
                       std::strcmp(static_cast<const char*>(ptr), "receiveVstMidiEvent") == 0
                   ? 1
                   : 0;
#ifdef _WIN32
    case effEditGetRect:
        if (!ptr) return 0;
        *static_cast<ERect**>(ptr) = &rect;
        return 1;
    case effEditOpen:
        if (!ptr) return 0;
        openEditor(*faulty, ptr);
        return 1;
    case effEditClose:
        closeEditor(*faulty, fault == Fault::EditorLeak);
        return 1;
#endif
    default:
        (void)rect;
        return 0;
    }
}

} // namespace

FAULTY_EXPORT AEffect* VSTPluginMain(audioMasterCallback) {
    Faulty* faulty = new Faulty;
    faulty->fault = faultFromEnvironment();
    if (faulty->fault == Fault::Leak) faulty->leaked = new char[65536];
    if (faulty->fault == Fault::SharedState) sharedTremoloPhase = 0.0;
    AEffect& effect = faulty->effect;
    std::memset(&effect, 0, sizeof effect);
    effect.magic = kEffectMagic;
    effect.dispatcher = dispatcher;
    effect.process = process;
    effect.processReplacing = processReplacing;
    effect.setParameter = setParameter;
    effect.getParameter = getParameter;
    effect.numPrograms = kPrograms;
    effect.numParams = kParams;
    effect.numOutputs = 2;
    effect.flags = effFlagsCanReplacing | effFlagsIsSynth;
#ifdef _WIN32
    effect.flags |= effFlagsHasEditor;
#endif
    effect.object = faulty;
    effect.uniqueID = 0x54384654; // 'T8FT'
    effect.version = 1;
    return &effect;
}
