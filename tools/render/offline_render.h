// The host's sequence for an offline render: open and configure the plug-in,
// activate it, feed it the scheduled MIDI block by block while writing its
// output to a WAV file, render the tail, deactivate and close it. Any
// plug-in the host interface drives (VST 2.4 or CLAP) renders this way; the
// VST 2.4 functions on a bare AEffect serve callers that open one themselves.
#pragma once

#include "exit_codes.h"
#include "host_callback.h"
#include "hosted_plugin.h"
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
    // CLAP events at their frame inside the block; otherwise at the block's
    // start, where a VST 2.4 instrument that ignores deltaFrames acts on them.
    // VST 2.4 plug-ins always get the frame as deltaFrames.
    bool sampleAccurate = false;
};

struct RenderResult {
    std::int64_t frames = 0;
    float peak = 0.0f;                 // largest magnitude among finite samples
    std::int64_t nonFiniteSamples = 0; // NaN or infinite samples from the plug-in
    std::int64_t processErrors = 0;    // blocks a CLAP plug-in answered with an error (silence)
    std::int64_t undelivered = 0;      // MIDI messages the plug-in has no input or dialect for
};

// effOpen, then the sample rate and block size (also given to the callback).
void openEffect(AEffect* effect, HostContext& host, const RenderSettings& settings);

// Frames the render will produce: the piece plus the tail.
std::int64_t renderFrameCount(const MidiSequence& sequence, const RenderSettings& settings);

// Activates the loaded plug-in (loaded with the settings' rate and block
// size), renders the sequence and its tail into the WAV file at
// `outputPath`, and deactivates it again. Answers kExitSuccess, kExitPlugin
// (it would not activate) or kExitOutput, with `error` set.
ExitCode renderPluginToWav(HostedPlugin& plugin, const MidiSequence& sequence,
                           const RenderSettings& settings, const std::string& outputPath,
                           RenderResult& result, std::string& error);

// The same for an opened VST 2.4 effect.
ExitCode renderToWav(AEffect* effect, const MidiSequence& sequence, const RenderSettings& settings,
                     const std::string& outputPath, RenderResult& result, std::string& error);

// effClose; the record must not be used afterwards.
void closeEffect(AEffect* effect);
