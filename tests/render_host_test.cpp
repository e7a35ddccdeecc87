// The host side in process: the callback's answers, loading and refusing
// libraries, and a whole offline render of the probe plug-in, whose output
// shows whether the host kept the call order and placed every event on its
// exact frame.
#include "host_callback.h"
#include "offline_render.h"
#include "plugin_info.h"
#include "plugin_library.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifndef RENDER_PROBE_PLUGIN
#error "RENDER_PROBE_PLUGIN must name the probe plug-in library"
#endif

namespace {

void setProbeMode(const char* mode) {
#ifdef _WIN32
    _putenv_s("T815_PROBE_MODE", mode);
#else
    setenv("T815_PROBE_MODE", mode, 1);
#endif
}

std::vector<float> readFloatWav(const std::string& path) {
    std::vector<float> samples;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return samples;
    std::fseek(file, 58, SEEK_SET); // the float header
    float sample;
    while (std::fread(&sample, 4, 1, file) == 1)
        samples.push_back(sample);
    std::fclose(file);
    return samples;
}

TEST(HostCallback, AnswersAsAnOfflineHost) {
    HostContext host;
    host.sampleRate = 48000.0;
    host.blockSize = 128;
    setHostContext(&host);
    EXPECT_EQ(hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
    EXPECT_EQ(hostCallback(nullptr, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f), 48000);
    EXPECT_EQ(hostCallback(nullptr, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f), 128);
    EXPECT_EQ(hostCallback(nullptr, audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f),
              kVstProcessLevelOffline);
    EXPECT_EQ(hostCallback(nullptr, audioMasterGetTime, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(hostCallback(nullptr, audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(hostCallback(nullptr, audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(host.updateDisplayCalls, 2);
    EXPECT_EQ(hostCallback(nullptr, 9999, -1, -1, nullptr, 0.0f), 0);

    char text[kVstMaxVendorStrLen];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(hostCallback(nullptr, audioMasterGetVendorString, 0, 0, text, 0.0f), 1);
    EXPECT_STREQ(text, kHostVendor);
    EXPECT_EQ(hostCallback(nullptr, audioMasterGetProductString, 0, 0, nullptr, 0.0f), 0);
    char ability[] = "sendVstMidiEvent";
    char unknown[] = "sendVstMidiEventFlagIsRealtime";
    EXPECT_EQ(hostCallback(nullptr, audioMasterCanDo, 0, 0, ability, 0.0f), 1);
    EXPECT_EQ(hostCallback(nullptr, audioMasterCanDo, 0, 0, unknown, 0.0f), 0);
    EXPECT_EQ(hostCallback(nullptr, audioMasterCanDo, 0, 0, nullptr, 0.0f), 0);
    setHostContext(nullptr);
}

TEST(PluginLibrary, RefusesWhatIsNotAPlugin) {
    PluginLibrary library;
    std::string error;
    EXPECT_FALSE(loadPluginLibrary(library, "no-such-plugin.dll", error));
    EXPECT_EQ(error.rfind("cannot load plug-in library 'no-such-plugin.dll': ", 0), 0u) << error;
    EXPECT_FALSE(loadPluginLibrary(library, "", error));

    const char* text = "render_host_test_not_a_library.txt";
    std::FILE* file = std::fopen(text, "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("not a library\n", file);
    std::fclose(file);
    EXPECT_FALSE(loadPluginLibrary(library, text, error));
    EXPECT_EQ(error.rfind(std::string("cannot load plug-in library '") + text, 0), 0u) << error;
    std::remove(text);
    EXPECT_EQ(library.handle, nullptr);

    for (const char* mode : {"null", "badmagic"}) {
        setProbeMode(mode);
        ASSERT_TRUE(loadPluginLibrary(library, RENDER_PROBE_PLUGIN, error)) << error;
        EXPECT_STREQ(library.entryName, "VSTPluginMain");
        EXPECT_EQ(createPlugin(library, hostCallback, error), nullptr);
        EXPECT_NE(error.find(std::string(mode) == "null" ? "returned no plug-in"
                                                         : "not a VST 2.4 plug-in"),
                  std::string::npos)
            << error;
        unloadPluginLibrary(library);
    }
    setProbeMode("");
}

struct ProbeRender {
    std::vector<float> samples; // interleaved left, right
    RenderResult result;
    long updateDisplayCalls = 0;
};

ProbeRender renderProbe(const MidiSequence& sequence, const RenderSettings& settings, int program,
                        float param0) {
    ProbeRender render;
    HostContext host;
    setHostContext(&host);
    PluginLibrary library;
    std::string error;
    EXPECT_TRUE(loadPluginLibrary(library, RENDER_PROBE_PLUGIN, error)) << error;
    AEffect* effect = createPlugin(library, hostCallback, error);
    EXPECT_NE(effect, nullptr) << error;
    if (effect == nullptr) return render;
    openEffect(effect, host, settings);
    effect->dispatcher(effect, effSetProgram, 0, program, nullptr, 0.0f);
    effect->setParameter(effect, 0, param0);
    const std::string path = "render_host_probe.wav";
    EXPECT_EQ(renderToWav(effect, sequence, settings, path, render.result, error), kExitSuccess)
        << error;
    closeEffect(effect);
    unloadPluginLibrary(library);
    setHostContext(nullptr);
    render.samples = readFloatWav(path);
    render.updateDisplayCalls = host.updateDisplayCalls;
    std::remove(path.c_str());
    return render;
}

TEST(OfflineRender, ProbeSeesOrderedCallsAndFrameExactEvents) {
    // At 8000 Hz a time of n/8000 s is frame n. Blocks of 100 frames: the
    // events at 99/100 and 250 sit on and across block edges.
    MidiSequence sequence;
    sequence.events = {{99 / 8000.0, {0x90, 64, 100}, 3}, {100 / 8000.0, {0x90, 32, 100}, 3},
                       {250 / 8000.0, {0x80, 32, 0}, 3},  {250 / 8000.0, {0xC0, 2, 0}, 2},
                       {399 / 8000.0, {0x90, 96, 1}, 3},  {400 / 8000.0, {0x90, 96, 0}, 3}};
    sequence.endSeconds = 450 / 8000.0;
    RenderSettings settings;
    settings.sampleRate = 8000;
    settings.blockSize = 100;
    settings.tailSeconds = 0.01; // 80 frames

    for (const char* mode : {"", "accumulate"}) {
        setProbeMode(mode);
        const ProbeRender render = renderProbe(sequence, settings, 1, 0.5f);
        ASSERT_EQ(render.result.frames, 530) << mode;
        ASSERT_EQ(render.samples.size(), 2u * 530) << mode;
        for (int frame = 0; frame < 530; ++frame) {
            const int key = frame < 99    ? -1
                            : frame < 100 ? 64
                            : frame < 250 ? 32
                            : frame < 399 ? -1
                            : frame < 400 ? 96
                                          : -1;
            const float left = key < 0 ? 0.0f : key / 128.0f;
            // Program 1 and parameter 0.5 from the host, program 2 from MIDI at frame 250;
            // the right channel shows the program of the block being rendered.
            const float right = (frame < 200 ? 1 : 2) * 0.125f + 0.5f * 0.0625f;
            ASSERT_EQ(render.samples[2 * frame], left) << mode << " frame " << frame;
            ASSERT_EQ(render.samples[2 * frame + 1], right) << mode << " frame " << frame;
        }
        EXPECT_EQ(render.updateDisplayCalls, 1) << mode;
        EXPECT_FLOAT_EQ(render.result.peak, 0.75f);
        EXPECT_EQ(render.result.nonFiniteSamples, 0);
    }
    setProbeMode("");
}

TEST(OfflineRender, FrameCountIsPiecePlusTail) {
    MidiSequence sequence;
    sequence.endSeconds = 1.0;
    RenderSettings settings;
    settings.sampleRate = 44100;
    settings.tailSeconds = 0.5;
    EXPECT_EQ(renderFrameCount(sequence, settings), 66150);
}

TEST(PluginInfo, IdentityAndNames) {
    EXPECT_EQ(uniqueIdText(0x54383135), "T815");
    EXPECT_EQ(uniqueIdText(0x00417F42), "?A?B");

    setProbeMode("");
    HostContext host;
    setHostContext(&host);
    PluginLibrary library;
    std::string error;
    ASSERT_TRUE(loadPluginLibrary(library, RENDER_PROBE_PLUGIN, error)) << error;
    AEffect* effect = createPlugin(library, hostCallback, error);
    ASSERT_NE(effect, nullptr) << error;
    openEffect(effect, host, RenderSettings{});
    EXPECT_EQ(askString(effect, effGetEffectName, 0), "Render Probe");
    const char* path = "render_host_info.txt";
    std::FILE* out = std::fopen(path, "w+");
    ASSERT_NE(out, nullptr);
    printPluginInfo(effect, library.entryName, out);
    std::rewind(out);
    std::string report;
    char line[512];
    while (std::fgets(line, sizeof line, out))
        report += line;
    std::fclose(out);
    std::remove(path);
    for (const char* expected :
         {"effect:      Render Probe", "'Prob' (0x50726F62)", "synth", "2  Two", "Alpha", "Beta"})
        EXPECT_NE(report.find(expected), std::string::npos) << expected << "\n" << report;
    closeEffect(effect);
    unloadPluginLibrary(library);
    setHostContext(nullptr);
}

} // namespace
