// t815-render: plays MIDI through a VST 2.4 or CLAP instrument offline and
// writes a WAV file, saves a picture of its editor with --panel, or reports
// the instrument's identity with --info.
#include "demo_piece.h"
#include "editor_capture.h"
#include "exit_codes.h"
#include "hosted_plugin.h"
#include "midi_file.h"
#include "offline_render.h"
#include "panel_capture.h"
#include "platform_io.h"
#include "plugin_info.h"
#include "png_writer.h"
#include "render_options.h"
#include "tool_main.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kMaxPieceSeconds = 3600.0;
constexpr ToolIdentity kTool = {"t815-render", kExitInternal};

int fail(ExitCode code, const std::string& message) {
    return failTool(kTool, code, message);
}

// Program and parameters asked for on the command line, checked against what
// the plug-in offers. A parameter's value is a fraction of its range.
bool applySettings(HostedPlugin& plugin, const RenderOptions& options, std::string& error) {
    if (options.program >= 0 && !selectProgram(plugin, options.program)) {
        error = "--program " + std::to_string(options.program) + ": the plug-in has " +
                std::to_string(programCount(plugin)) + " programs";
        return false;
    }
    for (const ParameterSetting& setting : options.parameters) {
        ParameterInfo info;
        if (!parameterInfo(plugin, setting.index, info) ||
            !setParameterValue(plugin, setting.index,
                               info.minValue + setting.value * (info.maxValue - info.minValue))) {
            error = "--param " + std::to_string(setting.index) + ": the plug-in has " +
                    std::to_string(parameterCount(plugin)) + " parameters";
            return false;
        }
    }
    return true;
}

void printSummary(const std::string& path, const RenderResult& result,
                  const RenderSettings& settings) {
    const double seconds = double(result.frames) / settings.sampleRate;
    const char* format =
        settings.format == WavSampleFormat::Float32 ? "32-bit float" : "16-bit PCM";
    if (result.peak > 0.0f)
        std::printf("wrote %s: %lld frames (%.3f s) at %u Hz, %s, peak %.6f (%.1f dBFS)\n",
                    path.c_str(), static_cast<long long>(result.frames), seconds,
                    settings.sampleRate, format, double(result.peak),
                    20.0 * std::log10(double(result.peak)));
    else
        std::printf("wrote %s: %lld frames (%.3f s) at %u Hz, %s, silent\n", path.c_str(),
                    static_cast<long long>(result.frames), seconds, settings.sampleRate, format);
    if (result.nonFiniteSamples > 0)
        std::fprintf(stderr,
                     "t815-render: warning: the plug-in produced %lld NaN or infinite samples\n",
                     static_cast<long long>(result.nonFiniteSamples));
    if (result.undelivered > 0)
        std::fprintf(stderr,
                     "t815-render: warning: %lld MIDI messages found no note input of the "
                     "plug-in that takes them\n",
                     static_cast<long long>(result.undelivered));
    if (result.processErrors > 0)
        std::fprintf(stderr,
                     "t815-render: warning: the plug-in failed %lld blocks, rendered as silence\n",
                     static_cast<long long>(result.processErrors));
}

// What a CLAP plug-in logged and the host noticed, warnings and worse.
void printPluginMessages(HostedPlugin& plugin) {
    static const char* const kSeverities[] = {
        "debug", "info", "warning", "error", "fatal", "host misbehaving", "plug-in misbehaving"};
    for (const PluginMessage& message : takePluginMessages(plugin))
        if (message.severity >= CLAP_LOG_WARNING)
            std::fprintf(stderr, "t815-render: plug-in log (%s): %s\n",
                         message.severity <= CLAP_LOG_PLUGIN_MISBEHAVING
                             ? kSeverities[message.severity]
                             : "unknown severity",
                         message.text.c_str());
}

// The scale a host asks of an editor: VST 2.4 editors through the vendor
// call several hosts send ('PreS', 'AeCs', the factor), CLAP guis through
// set_scale when the gui is created.
void askEditorScale(HostedPlugin& plugin, double scale) {
    if (plugin.format == PluginFormat::Vst2) {
        AEffect* effect = plugin.vst->effect;
        effect->dispatcher(effect, effVendorSpecific, 0x50726553, 0x41654373, nullptr,
                           float(scale));
    } else if (plugin.clap) {
        plugin.clap->guiScale = scale;
    }
}

int savePanel(HostedPlugin& plugin, const RenderOptions& options) {
    RgbImage image;
    std::string error;
    if (options.panelScale > 0.0) askEditorScale(plugin, options.panelScale);
    // VST 2.4 editors as before (on Linux painted off screen); CLAP guis in a window.
    const ExitCode captured = plugin.format == PluginFormat::Vst2
                                  ? capturePanel(plugin.vst->effect, image, error)
                                  : captureEditor(plugin, image, error);
    if (captured != kExitSuccess) return fail(captured, error);
    if (!writePng(options.panelPath, image, error)) return fail(kExitOutput, error);
    if (!options.quiet)
        std::printf("wrote %s: the editor, %d x %d pixels\n", options.panelPath.c_str(),
                    image.width, image.height);
    return kExitSuccess;
}

int run(const std::vector<std::string>& arguments) {
    RenderOptions options;
    std::string error;
    if (!parseRenderOptions(arguments, options, error)) return failUsage(kTool, kExitUsage, error);
    if (answerHelpOrVersion(kTool, options.help, options.version, renderHelpText()))
        return kExitSuccess;

    MidiSequence sequence;
    if (!options.info && options.panelPath.empty()) {
        if (options.midiPath.empty())
            sequence = demoPiece();
        else if (!readMidiFile(options.midiPath, sequence, error))
            return fail(kExitMidi, error);
        if (!(sequence.endSeconds <= kMaxPieceSeconds))
            return fail(kExitMidi, "MIDI file '" + options.midiPath + "' lasts " +
                                       std::to_string(static_cast<long long>(sequence.endSeconds)) +
                                       " s, more than the " +
                                       std::to_string(static_cast<int>(kMaxPieceSeconds)) +
                                       " s a render may");
    }

    RenderSettings settings;
    settings.sampleRate = options.sampleRate;
    settings.blockSize = options.blockSize;
    settings.tailSeconds = options.tailSeconds;
    settings.format = options.pcm16 ? WavSampleFormat::Pcm16 : WavSampleFormat::Float32;
    settings.showProgress = !options.quiet && stderrIsTerminal();
    settings.sampleAccurate = options.sampleAccurate;

    HostedPlugin plugin;
    AudioSettings audio;
    audio.sampleRate = settings.sampleRate;
    audio.maxBlockFrames = settings.blockSize;
    const LoadStatus loaded =
        loadHostedPlugin(plugin, options.pluginPath, options.pluginId, audio, error);
    if (loaded == LoadStatus::NoSuchPlugin)
        return fail(kExitUsage, error + (options.pluginId.empty() ? " (--plugin-id ID)" : ""));
    if (loaded != LoadStatus::Loaded) return fail(kExitPlugin, error);

    int code = kExitSuccess;
    if (options.info) {
        printHostedPluginInfo(plugin, stdout);
    } else if (!applySettings(plugin, options, error)) {
        code = fail(kExitUsage, error);
    } else if (!options.panelPath.empty()) {
        code = savePanel(plugin, options);
    } else {
        const std::string outputPath = defaultOutputPath(options);
        RenderResult result;
        const ExitCode rendered =
            renderPluginToWav(plugin, sequence, settings, outputPath, result, error);
        if (rendered != kExitSuccess)
            code = fail(rendered, error);
        else if (!options.quiet)
            printSummary(outputPath, result, settings);
        if (!options.quiet && plugin.vst && plugin.vst->host.updateDisplayCalls > 0)
            std::printf("the plug-in asked %ld times for a display update\n",
                        plugin.vst->host.updateDisplayCalls.load());
    }
    printPluginMessages(plugin);
    unloadHostedPlugin(plugin);
    return code;
}

} // namespace

int main(int argc, char** argv) {
    return runTool(kTool, argc, argv, run);
}
