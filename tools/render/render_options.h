// The renderer's command line: options, their defaults and limits, the help
// text, and strict parsing of every number (no NaN, infinities, trailing
// characters or out-of-range values).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ParameterSetting {
    int index;
    float value; // 0..1
};

struct RenderOptions {
    std::string pluginPath;
    std::string pluginId;    // a CLAP library's plug-in, when it holds several
    std::string midiPath;    // empty: the built-in demo
    std::string outputPath;  // empty: derived by defaultOutputPath
    std::string panelPath;   // non-empty: save the plug-in's panel there as PNG instead
    double panelScale = 0.0; // the scale the panel is asked to draw at; 0: none asked
    std::uint32_t sampleRate = 44100;
    int blockSize = 512;
    double tailSeconds = 2.0;
    int program = -1; // -1: leave the plug-in's own
    std::vector<ParameterSetting> parameters;
    bool pcm16 = false;
    bool sampleAccurate = false; // CLAP events at their frame, not at their block's start
    bool info = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

constexpr std::uint32_t kMinSampleRate = 8000;
constexpr std::uint32_t kMaxSampleRate = 384000;
constexpr int kMaxBlockSize = 65536;
constexpr double kMaxTailSeconds = 600.0;
constexpr double kMinPanelScale = 1.0;
constexpr double kMaxPanelScale = 4.0;
constexpr int kMaxProgramIndex = 1000000;
constexpr int kMaxParameterIndex = 1000000;

// Parses the arguments (without the program name). On failure `error` says
// which option is wrong and why.
bool parseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options,
                        std::string& error);

// The MIDI file's name with its extension replaced by .wav, or
// "t815-demo.wav" for the demo.
std::string defaultOutputPath(const RenderOptions& options);

std::string renderHelpText();
