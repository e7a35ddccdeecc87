// t815-play's command line: the options, the help text and the exit codes
// it lists.
#pragma once

#include <string>
#include <vector>

namespace t815 {

enum PlayerExit : int {
    kPlayerSuccess = 0,
    kPlayerInternal = 1, // out of memory or another unexpected failure
    kPlayerUsage = 2,    // bad command line
    kPlayerNoAudio = 3,  // no audio system or device, or it went away while playing
    kPlayerNoWindow = 4, // the panel's window cannot be opened (try --headless)
};

// Windows' audio systems: WASAPI where it opens, waveOut otherwise, unless
// --audio names one.
enum class AudioSystem { automatic, wasapi, waveOut };

// Whether this build's players choose among audio systems (Windows' do;
// Linux's plays through JACK alone).
#ifdef _WIN32
constexpr bool kPlayerChoosesAudio = true;
#else
constexpr bool kPlayerChoosesAudio = false;
#endif

struct PlayerOptions {
    int program = -1;                     // program index 0..31; -1: the remembered one
    std::vector<std::string> midiSources; // --connect-midi; empty: every physical source
    bool connect = true;                  // false: --no-connect
    AudioSystem audio = AudioSystem::automatic;
    bool listMidi = false;
    bool headless = false;
    bool help = false;
    bool version = false;
};

// Parses the arguments (without the program name). On failure `error` says
// which option is wrong and why.
bool parsePlayerOptions(const std::vector<std::string>& arguments, PlayerOptions& options,
                        std::string& error);

std::string playerHelpText();

} // namespace t815
