// t815-play: the instrument as a program of its own. It restores the last
// program and settings, starts audio and MIDI (audio_session.h), shows the
// panel in a window (player_window.h) unless --headless, and runs until the
// window closes, SIGINT or SIGTERM (Ctrl+C or the console closing on
// Windows) arrives, or the audio system goes away; then it saves the state.
#include "audio_session.h"
#include "instrument_operations.h"
#include "platform_io.h"
#include "player_options.h"
#include "player_state.h"
#include "player_window.h"
#include "state_file.h"
#include "tool_main.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using namespace t815;

std::atomic<bool> quitRequested{false};

#ifdef _WIN32
BOOL WINAPI onConsoleEvent(DWORD) {
    quitRequested.store(true);
    return TRUE;
}

void catchQuitRequests() {
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}
#else
extern "C" void onSignal(int) {
    quitRequested.store(true);
}

void catchQuitRequests() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
#endif

constexpr ToolIdentity kTool = {"t815-play", kPlayerInternal};

int fail(int code, const std::string& message) {
    return failTool(kTool, code, message);
}

int listMidi() {
    std::vector<std::string> names;
    std::string error;
    if (!listMidiSources(names, error)) return fail(kPlayerNoAudio, error);
    for (const std::string& name : names)
        std::printf("%s\n", name.c_str());
    return kPlayerSuccess;
}

void restoreState(PluginInstance& instance, const PlayerOptions& options, const std::string& path) {
    PlayerState state;
    std::string warning;
    if (loadPlayerState(path, state, warning)) applyPlayerState(instance, state);
    if (!warning.empty()) std::fprintf(stderr, "t815-play: warning: %s\n", warning.c_str());
    if (options.program >= 0) selectProgramIndex(instance, options.program, SelectSource::host);
}

void saveState(const PluginInstance& instance, const std::string& path) {
    std::string error;
    if (!savePlayerState(path, capturePlayerState(instance), error))
        std::fprintf(stderr, "t815-play: warning: the settings were not saved: %s\n",
                     error.c_str());
}

// Plays until the window closes, a quit request comes or audio goes away.
// The state is saved once audio has run, whatever ended it. `released`
// says whether the audio system let go of the instance.
// The player as the instance's face: the window the panel sits in, which
// follows the panel when it resizes itself. The link is set before audio
// starts; the window is opened and closed on this thread, the one the panel
// calls from.
struct PlayerFace {
    PlayerWindow* window = nullptr; // null while no window is open
};

FaceLink playerFaceLink(PlayerFace& face) {
    FaceLink link{};
    link.face = &face;
    link.panelResized = [](void* record) {
        if (PlayerWindow* window = static_cast<PlayerFace*>(record)->window)
            fitPlayerWindowToPanel(window);
    };
    return link;
}

int play(PluginInstance& instance, PlayerFace& face, const PlayerOptions& options,
         const std::string& statePath, bool& released) {
    // Audio first: without it no window flashes up only to close again.
    std::string error;
    AudioSession* session = startAudio(instance, options, error);
    if (!session) return fail(kPlayerNoAudio, error);
    PlayerWindow* window = nullptr;
    if (!options.headless && !(window = openPlayerWindow(instance, error))) {
        stopAudio(session);
        return fail(kPlayerNoWindow, error);
    }
    face.window = window;
    int code = kPlayerSuccess;
    for (;;) {
        std::string why;
        if (audioLost(session, why)) {
            code = fail(kPlayerNoAudio, why);
            break;
        }
        if (quitRequested.load()) break;
        if (window) {
            if (!runPlayerWindow(window, 20)) break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    face.window = nullptr;
    closePlayerWindow(window);
    released = stopAudio(session);
    saveState(instance, statePath);
    return code;
}

int run(const std::vector<std::string>& arguments) {
    PlayerOptions options;
    std::string error;
    if (!parsePlayerOptions(arguments, options, error))
        return failUsage(kTool, kPlayerUsage, error);
    if (answerHelpOrVersion(kTool, options.help, options.version, playerHelpText()))
        return kPlayerSuccess;
    if (options.listMidi) return listMidi();

    catchQuitRequests();
    PlayerFace face;
    PluginInstance* instance = createPluginInstance(playerFaceLink(face));
    if (!instance) return fail(kPlayerInternal, "out of memory");
    const std::string path = stateFilePath();
    restoreState(*instance, options, path);
    bool released = true;
    const int code = play(*instance, face, options, path, released);
    if (released) destroyPluginInstance(instance);
    return code;
}

} // namespace

int main(int argc, char** argv) {
    return runTool(kTool, argc, argv, run);
}
