// A CLAP plug-in as the host tools drive it: the entry initialised, the
// plug-in created from the factory by id and initialised, its extension
// tables, ports and parameters as scanned while inactive, activation at a
// rate and largest block, the event lists and audio buffers of each process
// call, state through memory streams, the gui in a host window, and the
// main-thread service that honours what the plug-in asked the host for
// (on_main_thread, timers, file descriptors, parameter flushes and rescans,
// resize requests).
#pragma once

#include "clap_abi.h"
#include "clap_event_lists.h"
#include "clap_host.h"
#include "host_window.h"
#include "plugin_library.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// The plug-in's extension tables; null where it offers none.
struct ClapExtensions {
    const clap_plugin_params* params = nullptr;
    const clap_plugin_state* state = nullptr;
    const clap_plugin_audio_ports* audioPorts = nullptr;
    const clap_plugin_note_ports* notePorts = nullptr;
    const clap_plugin_gui* gui = nullptr;
    const clap_plugin_latency* latency = nullptr;
    const clap_plugin_timer_support* timerSupport = nullptr;
    const clap_plugin_posix_fd_support* posixFdSupport = nullptr;
};

struct ClapAudioPort {
    clap_id id = CLAP_INVALID_ID;
    std::string name;
    std::uint32_t flags = 0;
    std::uint32_t channels = 0;
    std::string type; // "mono", "stereo", or empty
};

struct ClapNotePort {
    clap_id id = CLAP_INVALID_ID;
    std::string name;
    std::uint32_t supportedDialects = 0;
    std::uint32_t preferredDialect = 0;
};

struct ClapInstance {
    ClapHost host; // the plug-in holds its address: the instance never moves
    const clap_plugin_entry* entry = nullptr;
    bool entryInitialised = false;
    const clap_plugin_factory* factory = nullptr;
    const clap_plugin* plugin = nullptr;
    ClapExtensions extensions;
    std::vector<ClapAudioPort> audioInputs, audioOutputs;
    std::vector<ClapNotePort> noteInputs;
    std::vector<clap_param_info> parameters; // in the plug-in's order

    double sampleRate = 44100.0;
    std::uint32_t maxFrames = 512;
    bool active = false;
    // Written on the audio thread (start/stop processing), read by the
    // main thread's service to hold back a restart.
    std::atomic<bool> processing{false};
    std::int64_t steadyTime = 0; // frames processed since activation

    ClapInputList input;   // events for the next process call
    ClapOutputList output; // what the plug-in pushed in the last call
    long outputEvents = 0; // pushed in all calls so far
    std::vector<float> samples;
    std::vector<float*> channels; // every port's channels, inputs first
    std::vector<clap_audio_buffer> inputBuffers, outputBuffers;
    long processErrors = 0; // blocks answered CLAP_PROCESS_ERROR (output silenced)

    bool guiCreated = false;
    const char* guiApi = nullptr;
    std::uint32_t guiWidth = 0, guiHeight = 0; // as the gui last gave or asked for it
    double guiScale = 1.0;                     // the scale the gui is asked to draw at (set_scale)
};

// The window API of this platform's guis: "win32" or "x11".
const char* clapPlatformGuiApi();

// Initialises the entry, creates the plug-in `pluginId` (any, when the
// factory holds exactly one and the id is empty), initialises it and scans
// its ports and parameters. On failure everything done is undone.
LoadStatus createClapInstance(ClapInstance& clap, const clap_plugin_entry* entry,
                              const std::string& libraryPath, const std::string& pluginId,
                              std::string& error);
// Gui closed, processing stopped, deactivated, destroyed, entry deinit.
void destroyClapInstance(ClapInstance& clap);

// Re-reads the parameters' infos (main thread, after a rescan request).
void scanClapParameters(ClapInstance& clap);

bool activateClap(ClapInstance& clap, std::string& error);
void deactivateClap(ClapInstance& clap);
bool startClapProcessing(ClapInstance& clap, std::string& error);
void stopClapProcessing(ClapInstance& clap);

// MIDI for the next block in the dialect the first note port prefers: note
// on and off as CLAP note events when it prefers (or only speaks) CLAP's,
// everything else as MIDI events where it takes them. False when the
// message cannot be delivered (no note port, no dialect for it, no room).
bool queueClapMidi(ClapInstance& clap, std::uint32_t frame, const std::uint8_t* bytes, int size);

// One process call of `frames` frames with the queued events, outputs
// zeroed first and silenced again when the plug-in answers
// CLAP_PROCESS_ERROR. Answers the plug-in's status.
clap_process_status processClap(ClapInstance& clap, std::uint32_t frames);

// The main thread's share: on_main_thread when asked for, a requested
// flush (inactive only) and rescans, gui requests, a restart (once
// processing has stopped), due timers, and ready descriptors, waiting for
// those at most `waitMs`.
void serviceClapMainThread(ClapInstance& clap, int waitMs);

bool clapParameterValue(ClapInstance& clap, std::size_t index, double& value);
// Inactive: one flush with the value event; active: the event goes with the
// next process call.
bool setClapParameter(ClapInstance& clap, std::size_t index, double value);
// The plug-in's text for a value of the parameter; empty when it has none.
std::string clapParameterText(ClapInstance& clap, std::size_t index, double value);

bool saveClapState(ClapInstance& clap, std::vector<std::uint8_t>& bytes, std::string& error);
bool loadClapState(ClapInstance& clap, const std::vector<std::uint8_t>& bytes, std::string& error);

// create (embedded, this platform's API), scale 1, size; then set_parent and
// show; then hide and destroy.
bool createClapGui(ClapInstance& clap, int& width, int& height, std::string& error);
bool showClapGui(ClapInstance& clap, HostWindow& window, std::string& error);
void destroyClapGui(ClapInstance& clap);
