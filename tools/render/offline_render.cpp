// Block loop of the offline render: event delivery, the plug-in's audio,
// output statistics and the progress display.
#include "offline_render.h"

#include "event_schedule.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

void measure(RenderResult& result, const float* samples, int frames) {
    for (int i = 0; i < frames; ++i) {
        const float sample = samples[i];
        if (!std::isfinite(sample))
            ++result.nonFiniteSamples;
        else
            result.peak = std::max(result.peak, std::fabs(sample));
    }
}

// The block's MIDI, at its frames or (CLAP, not sample-accurate) all at the
// block's start. Answers how many messages could not be delivered.
int queueBlockEvents(HostedPlugin& plugin, const VstEvents* events, bool atBlockStart) {
    int undelivered = 0;
    for (VstInt32 i = 0; events != nullptr && i < events->numEvents; ++i) {
        const VstMidiEvent* midi = reinterpret_cast<const VstMidiEvent*>(events->events[i]);
        const std::uint8_t bytes[3] = {std::uint8_t(midi->midiData[0]),
                                       std::uint8_t(midi->midiData[1]),
                                       std::uint8_t(midi->midiData[2])};
        if (!queueMidi(plugin, atBlockStart ? 0 : midi->deltaFrames, bytes, 3)) ++undelivered;
    }
    return undelivered;
}

} // namespace

void openEffect(AEffect* effect, HostContext& host, const RenderSettings& settings) {
    openVstEffect(effect, host, settings.sampleRate, settings.blockSize);
}

std::int64_t renderFrameCount(const MidiSequence& sequence, const RenderSettings& settings) {
    EventSchedule schedule;
    buildEventSchedule(schedule, sequence, settings.sampleRate, settings.blockSize);
    return schedule.endFrame + frameAtSeconds(settings.tailSeconds, settings.sampleRate);
}

ExitCode renderPluginToWav(HostedPlugin& plugin, const MidiSequence& sequence,
                           const RenderSettings& settings, const std::string& outputPath,
                           RenderResult& result, std::string& error) {
    result = RenderResult{};
    EventSchedule schedule;
    buildEventSchedule(schedule, sequence, settings.sampleRate, settings.blockSize);
    const std::int64_t totalFrames =
        schedule.endFrame + frameAtSeconds(settings.tailSeconds, settings.sampleRate);
    if (std::uint64_t(totalFrames) > wavMaxFrames(settings.format)) {
        error = "cannot write output '" + outputPath + "': " + std::to_string(totalFrames) +
                " frames are more than a WAV file can hold";
        return kExitOutput;
    }

    WavWriter writer;
    if (!openWav(writer, outputPath, settings.sampleRate, settings.format, error))
        return kExitOutput;

    reserveEvents(plugin, blockCapacity(schedule));
    if (!activatePlugin(plugin, error)) {
        abandonWav(writer);
        return kExitPlugin;
    }
    if (!startProcessing(plugin, error)) {
        deactivatePlugin(plugin);
        abandonWav(writer);
        return kExitPlugin;
    }
    const bool mono = outputChannelCount(plugin) == 1;
    const bool atBlockStart = plugin.format == PluginFormat::Clap && !settings.sampleAccurate;

    int shownPercent = -1;
    bool written = true;
    for (std::int64_t start = 0; start < totalFrames && written; start += settings.blockSize) {
        const int frames =
            static_cast<int>(std::min<std::int64_t>(settings.blockSize, totalFrames - start));
        result.undelivered +=
            queueBlockEvents(plugin, eventsForBlock(schedule, start, frames), atBlockStart);
        if (!renderBlock(plugin, frames)) ++result.processErrors;

        const float* left = outputChannel(plugin, 0);
        const float* right = mono ? left : outputChannel(plugin, 1);
        measure(result, left, frames);
        measure(result, right, frames);
        written = writeWavFrames(writer, left, right, std::size_t(frames), error);
        result.frames += written ? frames : 0;
        idlePlugin(plugin, 0); // what the plug-in asked of the main thread meanwhile

        if (settings.showProgress) {
            const int percent = static_cast<int>((start + frames) * 100 / totalFrames);
            if (percent != shownPercent) {
                std::fprintf(stderr, "\rrendering %3d%%", percent);
                std::fflush(stderr);
                shownPercent = percent;
            }
        }
    }
    if (shownPercent >= 0) std::fprintf(stderr, "\n");

    stopProcessing(plugin);
    deactivatePlugin(plugin);

    if (!written) {
        abandonWav(writer);
        return kExitOutput;
    }
    if (!finishWav(writer, error)) return kExitOutput;
    return kExitSuccess;
}

ExitCode renderToWav(AEffect* effect, const MidiSequence& sequence, const RenderSettings& settings,
                     const std::string& outputPath, RenderResult& result, std::string& error) {
    HostedPlugin plugin;
    adoptVstEffect(plugin, effect, settings.blockSize);
    return renderPluginToWav(plugin, sequence, settings, outputPath, result, error);
}

void closeEffect(AEffect* effect) {
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}
