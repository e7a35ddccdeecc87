// A minimal host for the plug-in's tests: loads the built library by path
// (dlopen on Linux, LoadLibrary under Wine), finds its exported entry point,
// records the plug-in's calls to the host callback, and offers the calls a
// host makes: dispatcher opcodes, MIDI lists, parameters and audio blocks.
#pragma once

#include "instrument_facts.h"
#include "panel_editor.h"
#include "vst2_abi.h"
#include "vst2_facts.h"
#include "vst2_plugin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace t815::test {

// The library stays loaded for the life of the test program.
inline void* loadPluginLibrary() {
    static void* library = [] {
        std::string path = T815_PLUGIN_PATH;
#ifdef _WIN32
        // Wine maps the Unix root to drive Z:.
        if (!path.empty() && path[0] == '/') path = "Z:" + path;
        for (char& c : path)
            if (c == '/') c = '\\';
        return static_cast<void*>(LoadLibraryA(path.c_str()));
#else
        return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
    }();
    return library;
}

inline PluginEntryProc pluginEntry(const char* name = "VSTPluginMain") {
    void* library = loadPluginLibrary();
    if (!library) return nullptr;
#ifdef _WIN32
    return reinterpret_cast<PluginEntryProc>(
        reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name)));
#else
    return reinterpret_cast<PluginEntryProc>(dlsym(library, name));
#endif
}

// Everything the plug-in told the host.
struct HostRecord {
    std::atomic<int> calls{0};
    std::atomic<int> updateDisplayCalls{0};
    std::atomic<bool> unexpectedArguments{false};
    AEffect* expectedEffect = nullptr;
    // The editor's resize requests, answered only while the host says it
    // can resize (audioMasterCanDo "sizeWindow").
    bool canSizeWindow = false;
    int sizeWindowCalls = 0;
    VstIntPtr sizeWindowWidth = 0, sizeWindowHeight = 0;

    void reset(AEffect* effect) {
        calls = 0;
        updateDisplayCalls = 0;
        unexpectedArguments = false;
        expectedEffect = effect;
        canSizeWindow = false;
        sizeWindowCalls = 0;
        sizeWindowWidth = sizeWindowHeight = 0;
    }
};

inline HostRecord hostRecord;

inline VstIntPtr VSTCALLBACK recordingHost(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                           VstIntPtr value, void* ptr, float opt) {
    if (opcode == audioMasterCanDo)
        return hostRecord.canSizeWindow && ptr &&
               std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0;
    if (opcode == audioMasterSizeWindow) {
        ++hostRecord.sizeWindowCalls;
        hostRecord.sizeWindowWidth = index;
        hostRecord.sizeWindowHeight = value;
        return 1;
    }
    ++hostRecord.calls;
    if (opcode == audioMasterUpdateDisplay) ++hostRecord.updateDisplayCalls;
    if (opcode != audioMasterUpdateDisplay || index != 0 || value != 0 || ptr != nullptr ||
        opt != 0.0f || (hostRecord.expectedEffect && effect != hostRecord.expectedEffect))
        hostRecord.unexpectedArguments = true;
    return 0;
}

// One MIDI message as a host delivers it.
inline VstMidiEvent midiEvent(int status, int d1, int d2, int deltaFrames = 0) {
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = deltaFrames;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(d1);
    event.midiData[2] = static_cast<char>(d2);
    return event;
}

// A VstEvents record with room for any number of event pointers.
struct EventList {
    std::vector<VstMidiEvent> midi;
    std::vector<std::uint8_t> storage;

    VstEvents* build(const std::vector<VstEvent*>& pointers) {
        storage.assign(offsetof(VstEvents, events) + sizeof(VstEvent*) * (pointers.size() + 2), 0);
        auto* list = reinterpret_cast<VstEvents*>(storage.data());
        list->numEvents = static_cast<VstInt32>(pointers.size());
        // The array runs past the two elements VstEvents declares.
        auto* slots = reinterpret_cast<VstEvent**>(storage.data() + offsetof(VstEvents, events));
        for (std::size_t i = 0; i < pointers.size(); ++i)
            slots[i] = pointers[i];
        return list;
    }
    VstEvents* build(std::initializer_list<VstMidiEvent> events) {
        midi.assign(events);
        std::vector<VstEvent*> pointers;
        for (VstMidiEvent& event : midi)
            pointers.push_back(reinterpret_cast<VstEvent*>(&event));
        return build(pointers);
    }
};

// Bytes around a host's text buffer: what the plug-in may not touch stays
// kGuardByte.
struct GuardedText {
    static constexpr int kFront = 16;
    static constexpr int kSize = 256;
    static constexpr std::uint8_t kGuardByte = 0xA5;
    std::uint8_t bytes[kFront + kSize];

    GuardedText() { std::memset(bytes, kGuardByte, sizeof bytes); }
    char* text() { return reinterpret_cast<char*>(bytes + kFront); }
    // Number of bytes written from the start of text(); -1 if the front guard
    // was touched. Untouched bytes after the last written one count as unwritten.
    int bytesWritten() const {
        for (int i = 0; i < kFront; ++i)
            if (bytes[i] != kGuardByte) return -1;
        int last = kSize;
        while (last > 0 && bytes[kFront + last - 1] == kGuardByte)
            --last;
        return last;
    }
};

inline bool allZero(const std::vector<float>& samples) {
    for (float s : samples)
        if (s != 0.0f) return false;
    return true;
}

inline bool bitsEqual(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// A fresh instance per test, made through the exported entry point with the
// recording host, closed through effClose.
class PluginTest : public testing::Test {
  protected:
    AEffect* effect = nullptr;

    void SetUp() override {
        PluginEntryProc entry = pluginEntry();
        ASSERT_NE(entry, nullptr) << "cannot load " << T815_PLUGIN_PATH;
        effect = entry(recordingHost);
        ASSERT_NE(effect, nullptr);
        hostRecord.reset(effect);
    }
    void TearDown() override {
        if (effect) {
            EXPECT_EQ(dispatch(effClose), 1);
        }
        effect = nullptr;
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    void sendMidi(std::initializer_list<VstMidiEvent> events) {
        EventList list;
        EXPECT_EQ(dispatch(effProcessEvents, 0, 0, list.build(events)), 1);
    }
    void noteOn(int key) { sendMidi({midiEvent(0x90, key, 100)}); }
    void noteOff(int key) { sendMidi({midiEvent(0x80, key, 0)}); }

    // The plug-in's own record, for state that no host call reveals, as the
    // next audio block will find it: an empty block first applies every
    // change still queued for the core.
    PluginInstance& instance() { return settledInstance(effect); }
    static PluginInstance& settledInstance(AEffect* on) {
        float unused = 0.0f;
        float* outputs[2] = {&unused, &unused};
        on->processReplacing(on, nullptr, outputs, 0);
        return *static_cast<PluginInstance*>(on->object);
    }

    struct Stereo {
        std::vector<float> left, right;
    };
    Stereo render(int frames) { return renderOn(effect, frames); }
    static Stereo renderOn(AEffect* on, int frames) {
        Stereo out{std::vector<float>(frames), std::vector<float>(frames)};
        float* outputs[2] = {out.left.data(), out.right.data()};
        on->processReplacing(on, nullptr, outputs, frames);
        return out;
    }
    // Whether the instance, given the MIDI `events` in the course of a test, now
    // sounds bit for bit like a fresh instance given them in one list before
    // its first block (and not silent): for a test whose instance took its
    // changes while no audio was rendered.
    bool soundsLikeAFreshInstanceGiven(std::initializer_list<VstMidiEvent> events) {
        AEffect* fresh = pluginEntry()(nullptr);
        if (!fresh) return false;
        EventList list;
        fresh->dispatcher(fresh, effProcessEvents, 0, 0, list.build(events), 0.0f);
        const auto expected = renderOn(fresh, 4096).left;
        fresh->dispatcher(fresh, effClose, 0, 0, nullptr, 0.0f);
        const auto got = renderOn(effect, 4096).left;
        return !allZero(got) && bitsEqual(got, expected);
    }
    std::string programName() {
        char name[kVstMaxProgNameLen + 8] = {};
        dispatch(effGetProgramName, 0, 0, name);
        return name;
    }
    std::string parameterDisplay(int index) {
        char text[64] = {};
        dispatch(effGetParamDisplay, index, 0, text);
        return text;
    }
};

// The real-time calls a host makes, prepared in full before use so that a
// test can count what the plug-in itself allocates: 64 MIDI lists (notes,
// the wheel, bend, program changes) and output buffers, and 400 blocks that
// mix them with program selects, rates and parameter writes.
struct RealTimeWork {
    std::vector<EventList> lists = std::vector<EventList>(64);
    std::vector<VstEvents*> events;
    std::vector<float> left = std::vector<float>(512), right = std::vector<float>(512);
    float* outputs[2] = {left.data(), right.data()};

    RealTimeWork() {
        for (int i = 0; i < 64; ++i) {
            const int key = 36 + (i * 7) % 49;
            events.push_back(lists[i].build(
                {midiEvent(0x90, key, 100), midiEvent(0x80, key - 5, 0), midiEvent(0xB0, 1, i * 2),
                 midiEvent(0xE0, i, 64 - i / 2), midiEvent(0xC0, (i * 5) % 32, 0)}));
        }
    }

    void play(AEffect* effect) {
        auto dispatch = [&](VstInt32 opcode, VstIntPtr value, void* ptr, float opt) {
            effect->dispatcher(effect, opcode, 0, value, ptr, opt);
        };
        for (int block = 0; block < 400; ++block) {
            dispatch(effProcessEvents, 0, events[block % 64], 0.0f);
            if (block % 50 == 0) dispatch(effSetProgram, block % 32, nullptr, 0.0f);
            if (block % 100 == 0)
                dispatch(effSetSampleRate, 0, nullptr, block % 200 ? 48000.0f : 44100.0f);
            effect->setParameter(effect, block % 5, (block % 11) / 10.0f);
            effect->getParameter(effect, block % 5);
            effect->processReplacing(effect, nullptr, outputs, 512);
            effect->process(effect, nullptr, outputs, 256);
        }
    }
};

} // namespace t815::test
