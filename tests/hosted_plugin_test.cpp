// The host interface on the real probe libraries, VST 2.4 and CLAP: loading
// and refusing, events at their frames in both CLAP dialects, parameters
// and their texts, state, the main-thread callback, the host record's
// thread rules, and the ordering of the CLAP event list.
#include "hosted_plugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#ifndef RENDER_PROBE_PLUGIN
#error "RENDER_PROBE_PLUGIN must name the VST 2.4 probe plug-in library"
#endif
#ifndef CLAP_PROBE_PLUGIN
#error "CLAP_PROBE_PLUGIN must name the CLAP probe plug-in library"
#endif

namespace {

constexpr const char* kProbeId = "t815.test.clap-probe";
constexpr const char* kMonoId = "t815.test.clap-probe-mono";

void setClapProbeMode(const char* mode) {
#ifdef _WIN32
    _putenv_s("T815_CLAP_PROBE", mode);
#else
    setenv("T815_CLAP_PROBE", mode, 1);
#endif
}

struct Loaded {
    HostedPlugin plugin;
    LoadStatus status = LoadStatus::NotAPlugin;
    std::string error;
};

void load(Loaded& loaded, const char* path, const std::string& id = "", const char* mode = "") {
    setClapProbeMode(mode);
    AudioSettings settings;
    settings.sampleRate = 8000.0;
    settings.maxBlockFrames = 100;
    loaded.status = loadHostedPlugin(loaded.plugin, path, id, settings, loaded.error);
    setClapProbeMode("");
}

double valueOf(HostedPlugin& plugin, int index) {
    double value = -1.0;
    EXPECT_TRUE(parameterValue(plugin, index, value));
    return value;
}

struct Event {
    int frame;
    std::uint8_t bytes[3];
};

// Blocks of 100 frames with each event queued in its block at its frame;
// the channels of each block, one after the other, per channel.
std::vector<std::vector<float>> render(HostedPlugin& plugin, const std::vector<Event>& events,
                                       int frames) {
    std::string error;
    EXPECT_TRUE(activatePlugin(plugin, error)) << error;
    EXPECT_TRUE(startProcessing(plugin, error)) << error;
    std::vector<std::vector<float>> channels(std::size_t(outputChannelCount(plugin)));
    std::size_t next = 0;
    for (int start = 0; start < frames; start += 100) {
        for (; next < events.size() && events[next].frame < start + 100; ++next)
            EXPECT_TRUE(queueMidi(plugin, events[next].frame - start, events[next].bytes, 3));
        EXPECT_TRUE(renderBlock(plugin, 100));
        for (std::size_t c = 0; c < channels.size(); ++c) {
            const float* samples = outputChannel(plugin, int(c));
            channels[c].insert(channels[c].end(), samples, samples + 100);
        }
        idlePlugin(plugin, 0);
    }
    stopProcessing(plugin);
    deactivatePlugin(plugin);
    return channels;
}

TEST(HostedPlugin, LoadsEitherFormatAndRefusesWhatItCannotUse) {
    Loaded vst;
    load(vst, RENDER_PROBE_PLUGIN);
    ASSERT_EQ(vst.status, LoadStatus::Loaded) << vst.error;
    EXPECT_EQ(vst.plugin.format, PluginFormat::Vst2);
    EXPECT_EQ(programCount(vst.plugin), 3);
    ParameterInfo info;
    ASSERT_TRUE(parameterInfo(vst.plugin, 0, info));
    EXPECT_EQ(info.name, "Alpha");
    EXPECT_FALSE(hasState(vst.plugin) || hasEditor(vst.plugin));

    Loaded clap;
    load(clap, CLAP_PROBE_PLUGIN);
    ASSERT_EQ(clap.status, LoadStatus::Loaded) << clap.error;
    EXPECT_EQ(clap.plugin.format, PluginFormat::Clap);
    EXPECT_EQ(programCount(clap.plugin), 0);
    EXPECT_EQ(outputChannelCount(clap.plugin), 2);
    ASSERT_EQ(parameterCount(clap.plugin), 3);
    const struct {
        std::uint32_t id;
        const char* name;
        double max, defaultValue;
        std::uint32_t flags;
    } kExpected[] = {{10, "Level", 1.0, 0.5, CLAP_PARAM_IS_AUTOMATABLE},
                     {20, "Steps", 4.0, 2.0, CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_STEPPED},
                     {30, "Callbacks", 1e6, 0.0, CLAP_PARAM_IS_READONLY}};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(parameterInfo(clap.plugin, i, info));
        EXPECT_EQ(info.id, kExpected[i].id);
        EXPECT_EQ(info.name, kExpected[i].name);
        EXPECT_EQ(info.maxValue, kExpected[i].max);
        EXPECT_EQ(info.defaultValue, kExpected[i].defaultValue);
        EXPECT_EQ(info.clapFlags, kExpected[i].flags);
    }
    EXPECT_TRUE(hasState(clap.plugin));
    const std::vector<std::string>& asked = clap.plugin.clap->host.queriedExtensions;
    EXPECT_NE(std::find(asked.begin(), asked.end(), CLAP_EXT_THREAD_CHECK), asked.end());
    unloadHostedPlugin(vst.plugin);
    unloadHostedPlugin(clap.plugin); // the probe reads its mode when first initialised

    const struct {
        const char* path;
        const char* id;
        const char* mode;
        LoadStatus status;
        const char* message;
    } kRefusals[] = {
        {RENDER_PROBE_PLUGIN, kProbeId, "", LoadStatus::NoSuchPlugin, "has no plug-in ids"},
        {CLAP_PROBE_PLUGIN, "no.such.id", "", LoadStatus::NoSuchPlugin, kProbeId},
        {CLAP_PROBE_PLUGIN, "", "two-plugins", LoadStatus::NoSuchPlugin, kMonoId},
        {CLAP_PROBE_PLUGIN, "", "entry-fails", LoadStatus::NotAPlugin, "init failed"},
    };
    for (const auto& refusal : kRefusals) {
        Loaded refused;
        load(refused, refusal.path, refusal.id, refusal.mode);
        EXPECT_EQ(refused.status, refusal.status) << refusal.mode << " " << refused.error;
        EXPECT_NE(refused.error.find(refusal.message), std::string::npos) << refused.error;
        EXPECT_EQ(refused.plugin.library.handle, nullptr);
        unloadHostedPlugin(refused.plugin);
    }
}

TEST(HostedPlugin, ClapEventsActAtTheirFrameInEitherDialect) {
    // Notes on and across block edges, a note-on of velocity 0 as a release.
    const std::vector<Event> events = {{99, {0x90, 64, 100}},
                                       {100, {0x91, 32, 100}},
                                       {250, {0x80, 32, 0}},
                                       {250, {0x90, 16, 1}},
                                       {399, {0x90, 16, 0}}};
    for (const char* id : {kProbeId, kMonoId}) {
        Loaded loaded;
        load(loaded, CLAP_PROBE_PLUGIN, id, "two-plugins");
        ASSERT_EQ(loaded.status, LoadStatus::Loaded) << loaded.error;
        const auto channels = render(loaded.plugin, events, 500);
        ASSERT_FALSE(channels.empty());
        for (int frame = 0; frame < 500; ++frame) {
            const int key = frame < 99    ? -1
                            : frame < 100 ? 64
                            : frame < 250 ? 32
                            : frame < 399 ? 16
                                          : -1;
            ASSERT_EQ(channels[0][frame], key < 0 ? 0.0f : key / 128.0f) << id << " " << frame;
            // The host kept the call order and threads: no -1.
            if (channels.size() > 1) {
                ASSERT_EQ(channels[1][frame], 0.28125f) << frame;
            }
        }
        // The first note asked for on_main_thread, which the idle call ran;
        // each release came back as a NOTE_END event.
        EXPECT_EQ(valueOf(loaded.plugin, 2), 1.0) << id;
        EXPECT_EQ(loaded.plugin.clap->outputEvents, 2) << id;
        EXPECT_TRUE(takePluginMessages(loaded.plugin).empty()) << id;
        unloadHostedPlugin(loaded.plugin);
    }
}

TEST(HostedPlugin, ParametersAndTheirTexts) {
    Loaded vst;
    load(vst, RENDER_PROBE_PLUGIN);
    ASSERT_EQ(vst.status, LoadStatus::Loaded) << vst.error;
    EXPECT_TRUE(setParameterValue(vst.plugin, 1, 0.25));
    EXPECT_EQ(valueOf(vst.plugin, 1), 0.25);
    EXPECT_FALSE(setParameterValue(vst.plugin, 2, 0.5));
    unloadHostedPlugin(vst.plugin);

    Loaded clap;
    load(clap, CLAP_PROBE_PLUGIN);
    ASSERT_EQ(clap.status, LoadStatus::Loaded) << clap.error;
    HostedPlugin& plugin = clap.plugin;
    // Inactive: through a flush.
    EXPECT_TRUE(setParameterValue(plugin, 0, 0.25));
    EXPECT_TRUE(setParameterValue(plugin, 1, 3.7));
    EXPECT_FALSE(setParameterValue(plugin, 3, 1.0));
    EXPECT_EQ(valueOf(plugin, 0), 0.25);
    EXPECT_EQ(valueOf(plugin, 1), 3.0); // stepped: truncated
    EXPECT_EQ(parameterText(plugin, 0), "25 %");
    EXPECT_EQ(parameterText(plugin, 1), "3 steps");

    // Active: with the next block, from its first frame.
    std::string error;
    ASSERT_TRUE(activatePlugin(plugin, error)) << error;
    ASSERT_TRUE(startProcessing(plugin, error)) << error;
    EXPECT_TRUE(setParameterValue(plugin, 0, 0.75));
    ASSERT_TRUE(renderBlock(plugin, 10));
    EXPECT_EQ(outputChannel(plugin, 1)[0], float(3 * 0.125 + 0.75 * 0.0625));
    stopProcessing(plugin);
    deactivatePlugin(plugin);
    EXPECT_EQ(valueOf(plugin, 0), 0.75);
    unloadHostedPlugin(plugin);
}

TEST(HostedPlugin, ClapStateRoundTripsAndGarbageIsRefused) {
    Loaded clap;
    load(clap, CLAP_PROBE_PLUGIN);
    ASSERT_EQ(clap.status, LoadStatus::Loaded) << clap.error;
    HostedPlugin& plugin = clap.plugin;
    setParameterValue(plugin, 0, 0.125);
    std::vector<std::uint8_t> saved;
    std::string error;
    ASSERT_TRUE(saveState(plugin, saved, error)) << error;
    setParameterValue(plugin, 0, 1.0);
    ASSERT_TRUE(loadState(plugin, saved, error)) << error;
    EXPECT_EQ(valueOf(plugin, 0), 0.125);

    ASSERT_EQ(saved.size(), 32u); // a 16-byte tag, Level and Steps as doubles
    std::vector<std::uint8_t> badTag(saved), badSteps(saved);
    badTag[0] ^= 1;
    const double nine = 9.0;
    std::memcpy(&badSteps[24], &nine, sizeof nine);
    for (const std::vector<std::uint8_t>& bad : {badTag, badSteps, std::vector<std::uint8_t>{},
                                                 std::vector<std::uint8_t>(saved.size() + 1, 0)}) {
        EXPECT_FALSE(loadState(plugin, bad, error));
        EXPECT_EQ(valueOf(plugin, 0), 0.125);
    }
    const std::vector<PluginMessage> messages = takePluginMessages(plugin);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].severity, CLAP_LOG_WARNING);
    EXPECT_NE(messages[0].text.find("state rejected"), std::string::npos);
    unloadHostedPlugin(plugin);
}

TEST(ClapHost, MainThreadCallsAreRefusedElsewhere) {
    ClapHost host;
    initClapHost(host);
    const auto* timers = static_cast<const clap_host_timer_support*>(
        host.record.get_extension(&host.record, CLAP_EXT_TIMER_SUPPORT));
    const auto* threads = static_cast<const clap_host_thread_check*>(
        host.record.get_extension(&host.record, CLAP_EXT_THREAD_CHECK));
    ASSERT_TRUE(timers && threads);
    EXPECT_EQ(host.record.get_extension(&host.record, "clap.no-such-extension"), nullptr);

    clap_id id = CLAP_INVALID_ID;
    EXPECT_TRUE(timers->register_timer(&host.record, 1, &id));
    ASSERT_EQ(host.timers.size(), 1u);
    EXPECT_EQ(host.timers[0].periodMs, 10u); // stretched
    EXPECT_FALSE(timers->register_timer(&host.record, 30, nullptr));
    EXPECT_TRUE(threads->is_main_thread(&host.record));
    EXPECT_FALSE(threads->is_audio_thread(&host.record));

    bool registered = true, unregistered = true, main = true;
    std::thread other([&] {
        clap_id ignored = 0;
        registered = timers->register_timer(&host.record, 30, &ignored);
        unregistered = timers->unregister_timer(&host.record, id);
        main = threads->is_main_thread(&host.record);
    });
    other.join();
    EXPECT_FALSE(registered || unregistered || main);
    EXPECT_EQ(host.timers.size(), 1u);

    beginAudioCall(host); // the main thread rendering, as offline hosts do
    EXPECT_TRUE(threads->is_audio_thread(&host.record));
    EXPECT_FALSE(threads->is_main_thread(&host.record));
    endAudioCall(host);

    EXPECT_TRUE(timers->unregister_timer(&host.record, id));
    EXPECT_FALSE(timers->unregister_timer(&host.record, id));
    EXPECT_EQ(takePluginMessages(host).size(), 3u); // no id place, two calls from elsewhere
}

TEST(ClapEventList, SortedByTimeInQueueOrderWithinItsRoom) {
    ClapInputList list;
    initClapInputList(list, 4);
    const std::uint32_t times[] = {5, 0, 5, 3};
    for (std::uint32_t i = 0; i < 4; ++i) {
        clap_event_param_gesture event{};
        event.header = {sizeof event, times[i], 0, CLAP_EVENT_PARAM_GESTURE_BEGIN, 0};
        event.param_id = i;
        EXPECT_TRUE(pushClapEvent(list, event.header));
    }
    clap_event_header extra = {sizeof extra, 0, 0, CLAP_EVENT_PARAM_GESTURE_END, 0};
    EXPECT_FALSE(pushClapEvent(list, extra)); // full
    const std::uint32_t ids[] = {1, 3, 0, 2};
    ASSERT_EQ(list.list.size(&list.list), 4u);
    for (std::uint32_t i = 0; i < 4; ++i) {
        const auto* event =
            reinterpret_cast<const clap_event_param_gesture*>(list.list.get(&list.list, i));
        EXPECT_EQ(event->param_id, ids[i]);
    }
    EXPECT_EQ(list.list.get(&list.list, 4), nullptr);

    initClapInputList(list, 4);
    clap_event_header tooLarge = {kClapEventSlotBytes + 1, 0, 0, CLAP_EVENT_MIDI, 0};
    clap_event_header tooSmall = {8, 0, 0, CLAP_EVENT_MIDI, 0};
    EXPECT_FALSE(pushClapEvent(list, tooLarge) || pushClapEvent(list, tooSmall));
}

} // namespace
