// Block loop of the offline render: event delivery, the plug-in's audio
// entry, output statistics and the progress display.
#include "offline_render.h"

#include "event_schedule.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// Channel buffers for one block. Every declared channel gets a buffer (at
// least two each way, for plug-ins that touch more than they declare).
struct BlockBuffers {
    std::vector<float> storage;
    std::vector<float*> inputs;
    std::vector<float*> outputs;
};

void allocateBuffers(BlockBuffers& buffers, const AEffect* effect, int blockSize) {
    const std::size_t inputCount = std::size_t(std::max(effect->numInputs, 2));
    const std::size_t outputCount = std::size_t(std::max(effect->numOutputs, 2));
    const std::size_t frames = std::size_t(blockSize);
    buffers.storage.assign((inputCount + outputCount) * frames, 0.0f);
    buffers.inputs.clear();
    buffers.outputs.clear();
    for (std::size_t i = 0; i < inputCount; ++i)
        buffers.inputs.push_back(&buffers.storage[i * frames]);
    for (std::size_t i = 0; i < outputCount; ++i)
        buffers.outputs.push_back(&buffers.storage[(inputCount + i) * frames]);
}

void measure(RenderResult& result, const float* samples, int frames) {
    for (int i = 0; i < frames; ++i) {
        const float sample = samples[i];
        if (!std::isfinite(sample))
            ++result.nonFiniteSamples;
        else
            result.peak = std::max(result.peak, std::fabs(sample));
    }
}

bool usesReplacing(const AEffect* effect) {
    if (effect->processReplacing == nullptr) return false;
    return (effect->flags & effFlagsCanReplacing) != 0 || effect->process == nullptr;
}

} // namespace

void openEffect(AEffect* effect, HostContext& host, const RenderSettings& settings) {
    host.sampleRate = settings.sampleRate;
    host.blockSize = settings.blockSize;
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr,
                       static_cast<float>(settings.sampleRate));
    effect->dispatcher(effect, effSetBlockSize, 0, settings.blockSize, nullptr, 0.0f);
}

std::int64_t renderFrameCount(const MidiSequence& sequence, const RenderSettings& settings) {
    EventSchedule schedule;
    buildEventSchedule(schedule, sequence, settings.sampleRate, settings.blockSize);
    return schedule.endFrame + frameAtSeconds(settings.tailSeconds, settings.sampleRate);
}

ExitCode renderToWav(AEffect* effect, const MidiSequence& sequence, const RenderSettings& settings,
                     const std::string& outputPath, RenderResult& result, std::string& error) {
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

    BlockBuffers buffers;
    allocateBuffers(buffers, effect, settings.blockSize);
    const bool replacing = usesReplacing(effect);
    const bool mono = effect->numOutputs == 1;

    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    effect->dispatcher(effect, effStartProcess, 0, 0, nullptr, 0.0f);

    int shownPercent = -1;
    bool written = true;
    for (std::int64_t start = 0; start < totalFrames && written; start += settings.blockSize) {
        const int frames =
            static_cast<int>(std::min<std::int64_t>(settings.blockSize, totalFrames - start));
        VstEvents* events = eventsForBlock(schedule, start, frames);
        if (events != nullptr && events->numEvents > 0)
            effect->dispatcher(effect, effProcessEvents, 0, 0, events, 0.0f);

        // Zeroed every block: the accumulating entry adds to the outputs, and
        // a plug-in may scribble on its inputs.
        std::fill(buffers.storage.begin(), buffers.storage.end(), 0.0f);
        if (replacing)
            effect->processReplacing(effect, buffers.inputs.data(), buffers.outputs.data(), frames);
        else
            effect->process(effect, buffers.inputs.data(), buffers.outputs.data(), frames);

        const float* left = buffers.outputs[0];
        const float* right = mono ? buffers.outputs[0] : buffers.outputs[1];
        measure(result, left, frames);
        measure(result, right, frames);
        written = writeWavFrames(writer, left, right, std::size_t(frames), error);
        result.frames += written ? frames : 0;

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

    effect->dispatcher(effect, effStopProcess, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);

    if (!written) {
        abandonWav(writer);
        return kExitOutput;
    }
    if (!finishWav(writer, error)) return kExitOutput;
    return kExitSuccess;
}

void closeEffect(AEffect* effect) {
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}
