// A CLAP host of the tests' own: loads the real t815.clap by path (dlopen on
// Linux, LoadLibrary under Wine), reaches it through its exported
// `clap_entry`, and offers what a host does: a host record with timer
// support and parameter flush requests, input event lists of every kind,
// output event capture, activation and audio blocks.
#pragma once

#include "clap_abi.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace t815::test {

// The library stays loaded, and initialised once, for the life of the test
// program.
inline const clap_plugin_entry* clapEntry() {
    static const clap_plugin_entry* entry = [] {
        std::string path = T815_CLAP_PATH;
#ifdef _WIN32
        if (!path.empty() && path[0] == '/') path = "Z:" + path; // Wine's drive for the Unix root
        for (char& c : path)
            if (c == '/') c = '\\';
        HMODULE library = LoadLibraryA(path.c_str());
        void* symbol =
            library ? reinterpret_cast<void*>(GetProcAddress(library, "clap_entry")) : nullptr;
#else
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        void* symbol = library ? dlsym(library, "clap_entry") : nullptr;
#endif
        const auto* found = static_cast<const clap_plugin_entry*>(symbol);
        if (found && !found->init(path.c_str())) found = nullptr;
        return found;
    }();
    return entry;
}

inline const clap_plugin_factory* clapFactory() {
    const clap_plugin_entry* entry = clapEntry();
    return entry
               ? static_cast<const clap_plugin_factory*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID))
               : nullptr;
}

constexpr char kClapId[] = "com.gravlon.t815";

// Every event a test sends or receives, in one record large enough for each.
union AnyEvent {
    clap_event_header header;
    clap_event_note note;
    clap_event_midi midi;
    clap_event_param_value param;
    clap_event_param_gesture gesture;
};

inline AnyEvent noteEvent(std::uint16_t type, std::uint32_t time, int key, int port = 0) {
    AnyEvent e{};
    e.note = {{sizeof(clap_event_note), time, CLAP_CORE_EVENT_SPACE_ID, type, 0},
              -1,
              static_cast<std::int16_t>(port),
              0,
              static_cast<std::int16_t>(key),
              0.8};
    return e;
}
inline AnyEvent noteOn(std::uint32_t time, int key) {
    return noteEvent(CLAP_EVENT_NOTE_ON, time, key);
}
inline AnyEvent noteOff(std::uint32_t time, int key) {
    return noteEvent(CLAP_EVENT_NOTE_OFF, time, key);
}
inline AnyEvent clapMidi(std::uint32_t time, int status, int d1, int d2) {
    AnyEvent e{};
    e.midi.header = {sizeof(clap_event_midi), time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_MIDI, 0};
    e.midi.data[0] = static_cast<std::uint8_t>(status);
    e.midi.data[1] = static_cast<std::uint8_t>(d1);
    e.midi.data[2] = static_cast<std::uint8_t>(d2);
    return e;
}
inline AnyEvent paramEvent(std::uint32_t time, clap_id id, double value) {
    AnyEvent e{};
    e.param.header = {sizeof(clap_event_param_value), time, CLAP_CORE_EVENT_SPACE_ID,
                      CLAP_EVENT_PARAM_VALUE, 0};
    e.param.param_id = id;
    e.param.note_id = -1;
    e.param.port_index = e.param.channel = e.param.key = -1;
    e.param.value = value;
    return e;
}

// An input list over events the test owns.
struct InputEvents {
    std::vector<AnyEvent> events;
    clap_input_events list{this, size, get};

    explicit InputEvents(std::vector<AnyEvent> list = {}) : events(std::move(list)) {}
    InputEvents(const InputEvents&) = delete;
    static std::uint32_t CLAP_CALL size(const clap_input_events* list) {
        return static_cast<std::uint32_t>(static_cast<InputEvents*>(list->ctx)->events.size());
    }
    static const clap_event_header* CLAP_CALL get(const clap_input_events* list, std::uint32_t i) {
        auto& events = static_cast<InputEvents*>(list->ctx)->events;
        return i < events.size() ? &events[i].header : nullptr;
    }
};

// Copies of every event the plug-in pushes.
struct OutputEvents {
    std::vector<AnyEvent> events;
    clap_output_events list{this, tryPush};

    static bool CLAP_CALL tryPush(const clap_output_events* list, const clap_event_header* event) {
        AnyEvent copy{};
        if (!event || event->size > sizeof copy) return false;
        std::memcpy(&copy, event, event->size);
        static_cast<OutputEvents*>(list->ctx)->events.push_back(copy);
        return true;
    }
};

// The host record and what the plug-in asked of it.
struct TestHost {
    clap_host host{CLAP_VERSION_INIT, this,           "t815 tests",   "", "", "1", extension,
                   requestRestart,    requestProcess, requestCallback};
    clap_host_timer_support timers{registerTimer, unregisterTimer};
    clap_host_params params{rescan, clear, requestFlush};
    clap_host_posix_fd_support fds{registerFd, modifyFd, unregisterFd};
    clap_host_gui gui{resizeHintsChanged, requestResize, requestShow, requestHide, closed};
    bool offerTimers = true;
    bool offerFds = false;
    std::vector<clap_id> liveTimers;
    std::vector<int> liveFds;
    std::uint32_t timerPeriod = 0;
    int flushRequests = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> resizeRequests; // width, height

    static TestHost& of(const clap_host* host) { return *static_cast<TestHost*>(host->host_data); }
    static const void* CLAP_CALL extension(const clap_host* host, const char* id) {
        TestHost& self = of(host);
        if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0)
            return self.offerTimers ? &self.timers : nullptr;
        if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &self.params;
        if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &self.gui;
        if (std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT) == 0)
            return self.offerFds ? &self.fds : nullptr;
        return nullptr;
    }
    static void CLAP_CALL requestRestart(const clap_host*) {}
    static void CLAP_CALL requestProcess(const clap_host*) {}
    static void CLAP_CALL requestCallback(const clap_host*) {}
    static bool CLAP_CALL registerTimer(const clap_host* host, std::uint32_t period, clap_id* id) {
        TestHost& self = of(host);
        self.timerPeriod = period;
        *id = 7 + static_cast<clap_id>(self.liveTimers.size());
        self.liveTimers.push_back(*id);
        return true;
    }
    static bool CLAP_CALL unregisterTimer(const clap_host* host, clap_id id) {
        auto& live = of(host).liveTimers;
        for (auto it = live.begin(); it != live.end(); ++it)
            if (*it == id) {
                live.erase(it);
                return true;
            }
        return false;
    }
    static bool CLAP_CALL registerFd(const clap_host* host, int fd, std::uint32_t) {
        of(host).liveFds.push_back(fd);
        return true;
    }
    static bool CLAP_CALL modifyFd(const clap_host*, int, std::uint32_t) { return true; }
    static bool CLAP_CALL unregisterFd(const clap_host* host, int fd) {
        auto& live = of(host).liveFds;
        for (auto it = live.begin(); it != live.end(); ++it)
            if (*it == fd) {
                live.erase(it);
                return true;
            }
        return false;
    }
    static void CLAP_CALL rescan(const clap_host*, std::uint32_t) {}
    static void CLAP_CALL clear(const clap_host*, clap_id, std::uint32_t) {}
    static void CLAP_CALL requestFlush(const clap_host* host) { ++of(host).flushRequests; }
    static void CLAP_CALL resizeHintsChanged(const clap_host*) {}
    static bool CLAP_CALL requestResize(const clap_host* host, std::uint32_t width,
                                        std::uint32_t height) {
        of(host).resizeRequests.emplace_back(width, height);
        return true;
    }
    static bool CLAP_CALL requestShow(const clap_host*) { return false; }
    static bool CLAP_CALL requestHide(const clap_host*) { return false; }
    static void CLAP_CALL closed(const clap_host*, bool) {}
};

struct Stereo {
    std::vector<float> left, right;
};

// One plug-in instance made through the factory, initialised, with its
// extensions; destroyed (deactivated first) with the fixture.
struct ClapInstance {
    TestHost host;
    const clap_plugin* plugin = nullptr;
    const clap_plugin_params* params = nullptr;
    const clap_plugin_state* state = nullptr;
    const clap_plugin_gui* gui = nullptr;
    bool active = false;

    explicit ClapInstance(bool offerTimers = true, bool offerFds = false) {
        host.offerTimers = offerTimers;
        host.offerFds = offerFds;
        const clap_plugin_factory* factory = clapFactory();
        if (!factory) return;
        plugin = factory->create_plugin(factory, &host.host, kClapId);
        if (!plugin || !plugin->init(plugin)) return;
        params =
            static_cast<const clap_plugin_params*>(plugin->get_extension(plugin, CLAP_EXT_PARAMS));
        state =
            static_cast<const clap_plugin_state*>(plugin->get_extension(plugin, CLAP_EXT_STATE));
        gui = static_cast<const clap_plugin_gui*>(plugin->get_extension(plugin, CLAP_EXT_GUI));
    }
    ~ClapInstance() {
        if (!plugin) return;
        if (active) {
            plugin->stop_processing(plugin);
            plugin->deactivate(plugin);
        }
        plugin->destroy(plugin);
    }
    ClapInstance(const ClapInstance&) = delete;

    void activate(double rate) {
        ASSERT_TRUE(plugin->activate(plugin, rate, 1, 4096));
        ASSERT_TRUE(plugin->start_processing(plugin));
        active = true;
    }
    // One block of frames with the given events; what the plug-in pushed
    // is left in out.
    Stereo process(std::uint32_t frames, std::vector<AnyEvent> events = {},
                   OutputEvents* out = nullptr) {
        Stereo audio{std::vector<float>(frames, 1.0f), std::vector<float>(frames, 1.0f)};
        float* channels[2] = {audio.left.data(), audio.right.data()};
        clap_audio_buffer output{channels, nullptr, 2, 0, 0};
        InputEvents in(std::move(events));
        OutputEvents ignored;
        clap_process block{};
        block.steady_time = -1;
        block.frames_count = frames;
        block.audio_outputs = &output;
        block.audio_outputs_count = 1;
        block.in_events = &in.list;
        block.out_events = out ? &out->list : &ignored.list;
        EXPECT_EQ(plugin->process(plugin, &block), CLAP_PROCESS_CONTINUE);
        return audio;
    }
    double value(clap_id id) {
        double v = -1.0;
        EXPECT_TRUE(params->get_value(plugin, id, &v));
        return v;
    }
    std::string text(clap_id id, double value) {
        char buffer[256] = {};
        return params->value_to_text(plugin, id, value, buffer, sizeof buffer) ? buffer : "<none>";
    }
};

} // namespace t815::test
