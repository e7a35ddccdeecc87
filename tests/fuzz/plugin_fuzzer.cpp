// libFuzzer target: one input is a sequence of host calls on one instance of
// the plug-in, built from its own sources with AddressSanitizer and
// UndefinedBehaviorSanitizer. Dispatcher opcodes with hostile index, value,
// pointer and float; event lists with short, garbage, SysEx and null
// entries; parameter writes and reads; audio calls with hostile frame counts
// into guarded buffers; sample rates from 0 to absurd. After every call the
// output must be finite and bounded and no guard byte touched; anything else
// aborts, which libFuzzer reports with the input that did it.
//
// The instance comes from createVst2Plugin, what the exported entry
// point calls: entry_point.cpp gives the entry point a second name, main,
// which would take the place of libFuzzer's own.
#include "vst2_abi.h"
#include "vst2_plugin.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr unsigned char kGuard = 0xA5;
constexpr std::size_t kGuardBytes = 64;
constexpr VstInt32 kMaxFrames = 8192; // per audio call: a run cannot take forever
constexpr int kMaxSteps = 64;
constexpr float kPeakLimit = 16.0f;

// The input, read front to back; zeros once it runs out.
struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

std::uint8_t byte(Input& in) {
    return in.at < in.size ? in.data[in.at++] : 0;
}

std::uint32_t word(Input& in) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | byte(in);
    return value;
}

[[noreturn]] void fault(const char* what, long detail) {
    std::fprintf(stderr, "plugin_fuzzer: %s (%ld)\n", what, detail);
    std::abort();
}

VstInt32 hostileInt(Input& in) {
    static const VstInt32 kValues[] = {0,
                                       1,
                                       -1,
                                       2,
                                       3,
                                       4,
                                       5,
                                       31,
                                       32,
                                       127,
                                       128,
                                       1000,
                                       std::numeric_limits<VstInt32>::max(),
                                       std::numeric_limits<VstInt32>::min()};
    const std::uint8_t pick = byte(in);
    return pick < 2 * std::size(kValues) ? kValues[pick % std::size(kValues)]
                                         : static_cast<VstInt32>(word(in));
}

float hostileFloat(Input& in) {
    static const float kValues[] = {0.0f,
                                    -0.0f,
                                    1.0f,
                                    -1.0f,
                                    0.5f,
                                    2.0f,
                                    5.0f,
                                    -5.0f,
                                    1e30f,
                                    -1e30f,
                                    std::numeric_limits<float>::quiet_NaN(),
                                    std::numeric_limits<float>::infinity(),
                                    -std::numeric_limits<float>::infinity(),
                                    std::numeric_limits<float>::denorm_min(),
                                    std::numeric_limits<float>::max(),
                                    1e-40f};
    const std::uint8_t pick = byte(in);
    if (pick < 2 * std::size(kValues)) return kValues[pick % std::size(kValues)];
    const std::uint32_t bits = word(in);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float hostileRate(Input& in) {
    static const float kRates[] = {0.0f,
                                   -1.0f,
                                   1.0f,
                                   100.0f,
                                   999.0f,
                                   1000.0f,
                                   8000.0f,
                                   22050.0f,
                                   44100.0f,
                                   48000.0f,
                                   96000.0f,
                                   192000.0f,
                                   1e6f,
                                   1e9f,
                                   std::numeric_limits<float>::quiet_NaN(),
                                   std::numeric_limits<float>::infinity()};
    const std::uint8_t pick = byte(in);
    return pick < 200 ? kRates[pick % std::size(kRates)] : hostileFloat(in);
}

// A buffer followed by guard bytes; text opcodes get the VST 2.4 limit.
struct Guarded {
    std::vector<unsigned char> bytes;
    std::size_t size = 0;

    void* prepare(std::size_t n, Input& in) {
        size = n;
        bytes.assign(n + kGuardBytes, kGuard);
        for (std::size_t i = 0; i < n && i < 32; ++i)
            bytes[i] = byte(in); // what a host left there before
        return bytes.data();
    }
    void check(const char* what, long opcode) const {
        for (std::size_t i = size; i < bytes.size(); ++i)
            if (bytes[i] != kGuard) fault(what, opcode);
    }
};

std::size_t textLimit(VstInt32 opcode) {
    switch (opcode) {
    case effGetParamLabel:
    case effGetParamDisplay:
        return kVstMaxParamStrLen;
    case effGetParamName:
        return 32; // hosts allot names more than the documented 8 bytes
    case effGetProgramName:
    case effGetProgramNameIndexed:
        return kVstMaxProgNameLen;
    case effGetEffectName:
        return kVstMaxEffectNameLen;
    case effGetVendorString:
    case effGetProductString:
        return kVstMaxVendorStrLen;
    default:
        return 512; // records and pointers the host receives
    }
}

void callDispatcher(AEffect* effect, Input& in) {
    VstInt32 opcode = byte(in) % 80;
    // Not fuzzed: effClose ends the instance (done last), effEditOpen takes a
    // window the host owns and garbage cannot be one.
    if (opcode == effClose || opcode == effEditOpen) opcode = effEditIdle;
    const VstInt32 index = hostileInt(in);
    VstIntPtr value = hostileInt(in);
    const float opt = hostileFloat(in);
    Guarded buffer, extra;
    void* ptr = nullptr;
    const std::uint8_t pointerKind = byte(in) % 4;
    if (pointerKind == 1) ptr = buffer.prepare(textLimit(opcode), in);
    if (pointerKind >= 2) {
        // A terminated string, for canDo, string-to-parameter and names.
        ptr = buffer.prepare(64, in);
        buffer.bytes[byte(in) % 64] = 0;
        buffer.bytes[63] = 0;
    }
    // Opcodes whose value is the host's pointer or a byte count of ptr.
    if (opcode == effSetSpeakerArrangement || opcode == effGetSpeakerArrangement)
        value = reinterpret_cast<VstIntPtr>(extra.prepare(512, in));
    if (opcode == effSetChunk) value = ptr ? static_cast<VstIntPtr>(buffer.size) : 0;
    if (opcode == effProcessEvents) ptr = nullptr; // event lists have their own step
    effect->dispatcher(effect, opcode, index, value, ptr, opt);
    if (ptr) buffer.check("dispatcher wrote past the buffer", opcode);
    if (!extra.bytes.empty()) extra.check("dispatcher wrote past the value buffer", opcode);
}

void sendEvents(AEffect* effect, Input& in) {
    const int count = byte(in) % 33;
    std::vector<VstMidiEvent> midi(static_cast<std::size_t>(count));
    std::vector<VstMidiSysexEvent> sysex(static_cast<std::size_t>(count));
    std::vector<unsigned char> dump(256);
    std::vector<unsigned char> storage(offsetof(VstEvents, events) +
                                       (static_cast<std::size_t>(count) + 2) * sizeof(VstEvent*));
    VstEvents* list = reinterpret_cast<VstEvents*>(storage.data());
    VstEvent** slots = list->events; // numEvents entries, more than the two declared
    list->numEvents = byte(in) == 255 ? -1 : count;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t kind = byte(in) % 5;
        VstMidiEvent& event = midi[static_cast<std::size_t>(i)];
        event.type = kVstMidiType;
        event.byteSize = sizeof event;
        event.deltaFrames = byte(in) < 240 ? byte(in) * 16 : hostileInt(in);
        for (char& data : event.midiData)
            data = static_cast<char>(byte(in));
        switch (kind) {
        case 0: // null entry
            slots[i] = nullptr;
            break;
        case 1: { // SysEx with a dump inside the host's buffer
            VstMidiSysexEvent& ex = sysex[static_cast<std::size_t>(i)];
            ex.type = kVstSysExType;
            ex.byteSize = sizeof ex;
            ex.dumpBytes = byte(in);
            ex.sysexDump = reinterpret_cast<char*>(dump.data());
            slots[i] = reinterpret_cast<VstEvent*>(&ex);
            break;
        }
        case 2: // garbage type and size
            event.type = hostileInt(in);
            event.byteSize = hostileInt(in);
            [[fallthrough]];
        default:
            slots[i] = reinterpret_cast<VstEvent*>(&event);
        }
    }
    effect->dispatcher(effect, effProcessEvents, 0, 0, list, 0.0f);
}

void renderAudio(AEffect* effect, Input& in, bool replacing) {
    const std::uint8_t pick = byte(in);
    VstInt32 frames = pick < 64    ? pick
                      : pick < 250 ? (pick - 60) * 32
                                   : -static_cast<int>(byte(in));
    frames = frames > kMaxFrames ? kMaxFrames : frames;
    const std::size_t room = static_cast<std::size_t>(frames > 0 ? frames : 0);
    std::vector<float> left(room + kGuardBytes, 1234.5f), right(room + kGuardBytes, 1234.5f);
    for (std::size_t i = 0; i < room; ++i)
        left[i] = right[i] = replacing ? 0.0f : 0.25f; // process adds to what is there
    float* outputs[2] = {left.data(), byte(in) == 7 ? nullptr : right.data()};
    float* inputs[2] = {nullptr, nullptr};
    if (replacing)
        effect->processReplacing(effect, inputs, outputs, frames);
    else
        effect->process(effect, inputs, outputs, frames);
    for (float* channel : outputs) {
        if (!channel) continue;
        for (std::size_t i = 0; i < room; ++i)
            if (!std::isfinite(channel[i]) || std::fabs(channel[i]) > kPeakLimit)
                fault("output not finite or beyond 16", static_cast<long>(i));
        for (std::size_t i = room; i < room + kGuardBytes; ++i)
            if (channel[i] != 1234.5f) fault("audio written past sampleFrames", frames);
    }
}

void writeParameter(AEffect* effect, Input& in) {
    const VstInt32 index = byte(in) < 240 ? byte(in) % (effect->numParams + 2) - 1 : hostileInt(in);
    effect->setParameter(effect, index, hostileFloat(in));
    for (VstInt32 i = 0; i < effect->numParams; ++i) {
        volatile float value = effect->getParameter(effect, i);
        if (!(value >= 0.0f && value <= 1.0f)) fault("getParameter outside 0..1", i);
    }
    effect->getParameter(effect, hostileInt(in));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in{data, size};
    t815::Vst2Plugin* plugin = t815::createVst2Plugin(nullptr);
    if (!plugin) return 0;
    AEffect* effect = &plugin->effect;
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    for (int step = 0; step < kMaxSteps && in.at < in.size; ++step) {
        switch (byte(in) % 8) {
        case 0:
        case 1:
            callDispatcher(effect, in);
            break;
        case 2:
            sendEvents(effect, in);
            break;
        case 3:
            writeParameter(effect, in);
            break;
        case 4:
            effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, hostileRate(in));
            effect->dispatcher(effect, effMainsChanged, 0, byte(in) & 1, nullptr, 0.0f);
            break;
        case 5:
            renderAudio(effect, in, false);
            break;
        default:
            renderAudio(effect, in, true);
        }
    }
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return 0;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    unsetenv("DISPLAY"); // an editor must never reach a real display from here
    return 0;
}
