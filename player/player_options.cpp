// Parsing "--name value" and "--name=value" forms, strictly.
#include "player_options.h"

#include "command_options.h"
#include "player_state.h"

namespace t815 {

bool parsePlayerOptions(const std::vector<std::string>& arguments, PlayerOptions& options,
                        std::string& error) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        CommandOption option;
        const bool read =
            kPlayerChoosesAudio
                ? readCommandOption(arguments, i, {"--program", "--connect-midi", "--audio"},
                                    option, error)
                : readCommandOption(arguments, i, {"--program", "--connect-midi"}, option, error);
        if (!read) return false;
        const std::string& name = option.name;
        const std::string& value = option.value;
        if (name == "--program") {
            if (!parseProgramIndex(value, options.program)) {
                error = "--program must be a program index from 0 to 31, got '" + value + "'";
                return false;
            }
        } else if (name == "--connect-midi") {
            options.midiSources.push_back(value);
        } else if (kPlayerChoosesAudio && name == "--audio") {
            if (value == "wasapi") {
                options.audio = AudioSystem::wasapi;
            } else if (value == "waveout") {
                options.audio = AudioSystem::waveOut;
            } else {
                error = "--audio must be wasapi or waveout, got '" + value + "'";
                return false;
            }
        } else if (name == "--no-connect") {
            options.connect = false;
        } else if (name == "--list-midi") {
            options.listMidi = true;
        } else if (name == "--headless") {
            options.headless = true;
        } else if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--version") {
            options.version = true;
        } else {
            error = unmatchedArgumentError(name);
            return false;
        }
    }
    if (!options.connect && !options.midiSources.empty()) {
        error = "--no-connect and --connect-midi exclude each other";
        return false;
    }
    return true;
}

std::string playerHelpText() {
    const char* audioOption =
        kPlayerChoosesAudio
            ? "  --audio SYSTEM      play through wasapi or waveout only (by default WASAPI,\n"
              "                      or waveOut where WASAPI cannot be opened)\n"
            : "";
    return std::string(
               "Usage: t815-play [options]\n"
               "\n"
               "Plays the T-815 instrument as a program of its own: MIDI in, audio out, and\n"
               "its panel in a window. On Linux it is a JACK client named T-815 (two audio\n"
               "outputs, one MIDI input); on Windows it takes MIDI from every input device and\n"
               "plays through the default audio device (by WASAPI, or waveOut where WASAPI\n"
               "cannot be opened).\n"
               "\n"
               "The computer keyboard plays the panel's keyboard: A S D F G H J K L ; ' the\n"
               "white keys from middle C (C D E F G A B C D E F), W E T Y U O P the black keys\n"
               "between them; Z and X shift both rows an octave down and up. Closing the\n"
               "window quits.\n"
               "\n"
               "The program and settings are remembered between runs, in\n"
               "$XDG_CONFIG_HOME/t815/t815-play.conf (~/.config/t815/ without it) on Linux and\n"
               "%APPDATA%\\T-815\\t815-play.conf on Windows.\n"
               "\n"
               "Options:\n"
               "  --program N         start with program index N (0 to 31)\n"
               "  --headless          no window: MIDI in, audio out only\n"
               "  --no-connect        connect no JACK ports, leaving that to a patchbay (on\n"
               "                      Windows: open no MIDI input)\n"
               "  --connect-midi PORT take MIDI from PORT (a JACK port, or on Windows a MIDI\n"
               "                      input device's name) instead of every physical source;\n"
               "                      repeatable\n"
               "  --list-midi         list the MIDI sources, then exit\n") +
           audioOption +
           "  --help, -h          print this help\n"
           "  --version           print the version, then exit\n"
           "\n"
           "Exit codes:\n"
           "  0  success (quit from the window, SIGINT or SIGTERM)\n"
           "  1  internal error (out of memory)\n"
           "  2  bad command line\n"
           "  3  no audio: no JACK server running or no audio device, or it went away\n"
           "  4  the window cannot be opened (no display; try --headless)\n";
}

} // namespace t815
