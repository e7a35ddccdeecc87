// The host's sequence for an offline render: open and configure the plug-in,
// resume it, feed it the scheduled MIDI block by block while writing its
// output to a WAV file, render the tail, suspend and close it.
#pragma once

#include "exit_codes.h"
#include "host_callback.h"
#include "midi_sequence.h"
#include "vst2_abi.h"
#include "wav_writer.h"

#include <cstdint>
#include <string>

struct RenderSettings {
    std::uint32_t sampleRate = 44100;
    int blockSize = 512;
    double tailSeconds = 2.0;
    WavSampleFormat format = WavSampleFormat::Float32;
    bool showProgress = false; // a percentage on stderr
};

struct RenderResult {
    std::int64_t frames = 0;
    float peak = 0.0f;                 // largest magnitude among finite samples
    std::int64_t nonFiniteSamples = 0; // NaN or infinite samples from the plug-in
};

// effOpen, then the sample rate and block size (also given to the callback).
void openEffect(AEffect* effect, HostContext& host, const RenderSettings& settings);

// Frames the render will produce: the piece plus the tail.
std::int64_t renderFrameCount(const MidiSequence& sequence, const RenderSettings& settings);

// Resumes the opened plug-in, renders the sequence and its tail into the WAV
// file at `outputPath`, and suspends the plug-in again. Answers kExitSuccess
// or kExitOutput with `error` set.
ExitCode renderToWav(AEffect* effect, const MidiSequence& sequence, const RenderSettings& settings,
                     const std::string& outputPath, RenderResult& result, std::string& error);

// effClose; the record must not be used afterwards.
void closeEffect(AEffect* effect);
