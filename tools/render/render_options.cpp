// Command-line parsing: "--name value" and "--name=value" forms, strict
// number conversion and range checks.
#include "render_options.h"

#include "command_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

bool parseInteger(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty() || text.size() > 20) return false;
    const char first = text[0];
    if (!(first == '-' || first == '+' || (first >= '0' && first <= '9'))) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && end == text.c_str() + text.size() && value >= low && value <= high;
}

bool parseReal(const std::string& text, double low, double high, double& value) {
    if (text.empty() || text.size() > 64) return false;
    const char first = text[0];
    if (!(first == '-' || first == '+' || first == '.' || (first >= '0' && first <= '9')))
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value) &&
           value >= low && value <= high;
}

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

bool parseParameter(const std::string& text, ParameterSetting& setting, std::string& error) {
    const std::size_t equals = text.find('=');
    long long index = 0;
    double value = 0.0;
    if (equals == std::string::npos ||
        !parseInteger(text.substr(0, equals), 0, kMaxParameterIndex, index)) {
        error = "--param expects INDEX=VALUE with INDEX a whole number from 0, got " + quoted(text);
        return false;
    }
    if (!parseReal(text.substr(equals + 1), 0.0, 1.0, value)) {
        error =
            "--param value must be a number from 0 to 1, got " + quoted(text.substr(equals + 1));
        return false;
    }
    setting = {static_cast<int>(index), static_cast<float>(value)};
    return true;
}

} // namespace

bool parseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options,
                        std::string& error) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        CommandOption option;
        if (!readCommandOption(arguments, i,
                               {"--plugin", "--plugin-id", "--midi", "--out", "--rate", "--block",
                                "--tail", "--program", "--param", "--panel", "--scale"},
                               option, error))
            return false;
        const std::string& name = option.name;
        const std::string& value = option.value;

        long long integer = 0;
        double real = 0.0;
        if (name == "--plugin") {
            options.pluginPath = value;
        } else if (name == "--plugin-id") {
            options.pluginId = value;
        } else if (name == "--midi") {
            options.midiPath = value;
        } else if (name == "--out") {
            options.outputPath = value;
        } else if (name == "--panel") {
            options.panelPath = value;
        } else if (name == "--scale") {
            if (!parseReal(value, kMinPanelScale, kMaxPanelScale, real)) {
                error = "--scale must be a number from 1 to 4, got " + quoted(value);
                return false;
            }
            options.panelScale = real;
        } else if (name == "--rate") {
            if (!parseInteger(value, kMinSampleRate, kMaxSampleRate, integer)) {
                error = "--rate must be a whole number of Hz from " +
                        std::to_string(kMinSampleRate) + " to " + std::to_string(kMaxSampleRate) +
                        ", got " + quoted(value);
                return false;
            }
            options.sampleRate = static_cast<std::uint32_t>(integer);
        } else if (name == "--block") {
            if (!parseInteger(value, 1, kMaxBlockSize, integer)) {
                error = "--block must be a whole number of frames from 1 to " +
                        std::to_string(kMaxBlockSize) + ", got " + quoted(value);
                return false;
            }
            options.blockSize = static_cast<int>(integer);
        } else if (name == "--tail") {
            if (!parseReal(value, 0.0, kMaxTailSeconds, real)) {
                error = "--tail must be a number of seconds from 0 to " +
                        std::to_string(int(kMaxTailSeconds)) + ", got " + quoted(value);
                return false;
            }
            options.tailSeconds = real;
        } else if (name == "--program") {
            if (!parseInteger(value, 0, kMaxProgramIndex, integer)) {
                error = "--program must be a program index from 0, got " + quoted(value);
                return false;
            }
            options.program = static_cast<int>(integer);
        } else if (name == "--param") {
            ParameterSetting setting{};
            if (!parseParameter(value, setting, error)) return false;
            options.parameters.push_back(setting);
        } else if (name == "--pcm16") {
            options.pcm16 = true;
        } else if (name == "--sample-accurate") {
            options.sampleAccurate = true;
        } else if (name == "--info") {
            options.info = true;
        } else if (name == "--quiet" || name == "-q") {
            options.quiet = true;
        } else if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--version") {
            options.version = true;
        } else {
            error = unmatchedArgumentError(name);
            return false;
        }
    }
    if (options.help || options.version) return true;
    if (options.pluginPath.empty()) {
        error = "--plugin PATH is required";
        return false;
    }
    return true;
}

std::string defaultOutputPath(const RenderOptions& options) {
    if (!options.outputPath.empty()) return options.outputPath;
    if (options.midiPath.empty()) return "t815-demo.wav";
    const std::size_t slash = options.midiPath.find_last_of("/\\");
    const std::size_t dot = options.midiPath.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    const std::string stem = hasExtension ? options.midiPath.substr(0, dot) : options.midiPath;
    return stem + ".wav";
}

std::string renderHelpText() {
    return "Usage: t815-render --plugin PATH [options]\n"
           "\n"
           "Loads a VST 2.4 or CLAP instrument, plays a Standard MIDI File (or the built-in\n"
           "demo) through it offline and writes the result to a stereo WAV file.\n"
           "\n"
           "Options:\n"
           "  --plugin PATH      the plug-in library (.so, .dll or .clap); required. A library\n"
           "                     exporting clap_entry is hosted as CLAP, one exporting\n"
           "                     VSTPluginMain or main as VST 2.4 (both: CLAP if named .clap)\n"
           "  --plugin-id ID     the CLAP plug-in to load when the library holds several\n"
           "  --midi FILE        Standard MIDI File, format 0 or 1 (default: a 30-second demo)\n"
           "  --out FILE         output WAV (default: the MIDI file's name with .wav,\n"
           "                     or t815-demo.wav for the demo)\n"
           "  --rate HZ          sample rate, 8000 to 384000 (default 44100)\n"
           "  --block N          frames per audio block, 1 to 65536 (default 512)\n"
           "  --tail SECONDS     audio rendered after the end of the MIDI, 0 to 600 (default 2)\n"
           "  --sample-accurate  give CLAP plug-ins each event at its frame inside the block;\n"
           "                     by default events act at the start of the block they fall\n"
           "                     in, as a VST 2.4 instrument that ignores deltaFrames plays\n"
           "                     them (VST 2.4 plug-ins always get the frame as deltaFrames)\n"
           "  --program N        select program index N before rendering (VST 2.4)\n"
           "  --param INDEX=V    set parameter INDEX to V before rendering, V from 0 to 1 as\n"
           "                     a fraction of the parameter's range; repeatable\n"
           "  --pcm16            write 16-bit PCM instead of 32-bit float\n"
           "  --panel FILE.png   open the plug-in's editor as a host does (after --program\n"
           "                     and --param) and save a picture of it as PNG instead of\n"
           "                     rendering audio. A Linux VST 2.4 plug-in paints it off screen;\n"
           "                     a Linux CLAP plug-in's gui needs an X display\n"
           "  --scale S          with --panel: ask the editor to draw at scale S, 1 to 4\n"
           "                     (VST 2.4: the 'PreS' vendor call; CLAP: set_scale)\n"
           "  --info             print the plug-in's identity, ports, programs, parameters\n"
           "                     and (CLAP) extensions, then exit\n"
           "  --quiet, -q        print nothing but errors\n"
           "  --help, -h         print this help\n"
           "  --version          print the version, then exit\n"
           "\n"
           "Exit codes:\n"
           "  0  success\n"
           "  1  internal error (out of memory)\n"
           "  2  bad command line, or a program, parameter or CLAP plug-in id the library\n"
           "     does not have\n"
           "  3  the library cannot be loaded or is not a usable VST 2.4 or CLAP plug-in\n"
           "  4  the MIDI file cannot be read, is malformed, or is too long\n"
           "  5  the output file cannot be written\n"
           "  (--panel: 3 also when the plug-in has no editor or it does not open;\n"
           "   2 where no window can be opened, e.g. without an X display)\n";
}
