// One plug-in instance as the host tools drive it, VST 2.4 or CLAP: loaded
// from a library path (the format recognised by its exports), given a rate
// and largest block, activated, fed MIDI or CLAP events at sample offsets
// and rendered block by block; its programs and parameters set and read with
// their names and texts, its state saved and loaded, its editor opened in a
// host window, and the host's main-thread duties done between the calls.
// What only one format has stays reachable through its record
// (HostedPlugin::vst, HostedPlugin::clap).
//
// Threads: everything belongs to the thread that loaded the plug-in (the
// main thread) except startProcessing, the queue calls, renderBlock and
// stopProcessing, which belong to one audio thread at a time (it may be the
// main thread, as in an offline render). Parameter changes of an active
// CLAP plug-in travel as events with the next block, so they are made from
// the thread that renders too.
#pragma once

#include "clap_host.h"
#include "clap_instance.h"
#include "host_window.h"
#include "plugin_library.h"
#include "vst_instance.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AudioSettings {
    double sampleRate = 44100.0;
    int maxBlockFrames = 512; // every rendered block has 1 to this many frames
};

struct ParameterInfo {
    std::uint32_t id = 0; // CLAP: the parameter's id; VST 2.4: its index
    std::string name;
    double minValue = 0.0; // VST 2.4: always 0 to 1
    double maxValue = 1.0;
    double defaultValue = 0.0;   // VST 2.4 has none: NaN
    std::uint32_t clapFlags = 0; // CLAP_PARAM_IS_STEPPED and the others; 0 for VST 2.4
};

struct HostedPlugin {
    PluginFormat format = PluginFormat::Vst2;
    PluginLibrary library;
    std::string path;
    AudioSettings settings;
    std::unique_ptr<VstInstance> vst;   // format Vst2
    std::unique_ptr<ClapInstance> clap; // format Clap
};

// "VST 2.4" or "CLAP".
const char* formatName(PluginFormat format);

// Loads the library and creates its plug-in, opened with the settings (VST
// 2.4: effOpen, rate, block size; CLAP: init). `pluginId` chooses a CLAP
// plug-in of a factory that holds several; empty takes the only one. The
// error names the library.
LoadStatus loadHostedPlugin(HostedPlugin& plugin, const std::string& path,
                            const std::string& pluginId, const AudioSettings& settings,
                            std::string& error);
// Closes the editor, stops, deactivates, closes or destroys, unloads.
void unloadHostedPlugin(HostedPlugin& plugin);

// A VST 2.4 effect that the caller created and opened and will close, driven
// through this interface with buffers for blocks of up to `maxBlockFrames`.
void adoptVstEffect(HostedPlugin& plugin, AEffect* effect, int maxBlockFrames);

// New rate and largest block; refused (false) while active.
bool changeAudioSettings(HostedPlugin& plugin, const AudioSettings& settings);

// Resume (VST 2.4 effMainsChanged) or activate (CLAP), and the reverse.
bool activatePlugin(HostedPlugin& plugin, std::string& error);
void deactivatePlugin(HostedPlugin& plugin);
// On the audio thread, around the blocks.
bool startProcessing(HostedPlugin& plugin, std::string& error);
void stopProcessing(HostedPlugin& plugin);

// Room for `count` events in one block (default 1024); before activation.
void reserveEvents(HostedPlugin& plugin, std::size_t count);
// A MIDI message (1 to 3 bytes) at a frame of the next block; events of a
// block are queued in time order. CLAP plug-ins get notes as CLAP note
// events or MIDI, as their note port prefers.
bool queueMidi(HostedPlugin& plugin, int frame, const std::uint8_t* bytes, int size);
// Any CLAP event for the next block (copied); false for VST 2.4 plug-ins.
bool queueClapEvent(HostedPlugin& plugin, const clap_event_header& event);

// Renders `frames` frames (1 to the largest block) with the queued events.
// False when the CLAP plug-in answered CLAP_PROCESS_ERROR (the block is then
// silence) or the frame count is out of range.
bool renderBlock(HostedPlugin& plugin, int frames);
// The main output's channels (VST 2.4: every output), valid after a block.
int outputChannelCount(const HostedPlugin& plugin);
const float* outputChannel(const HostedPlugin& plugin, int channel);

// VST 2.4 programs; CLAP plug-ins have none here.
int programCount(const HostedPlugin& plugin);
bool selectProgram(HostedPlugin& plugin, int program);

int parameterCount(const HostedPlugin& plugin);
bool parameterInfo(HostedPlugin& plugin, int index, ParameterInfo& info);
bool parameterValue(HostedPlugin& plugin, int index, double& value);
// In the plug-in's own range (VST 2.4: 0 to 1).
bool setParameterValue(HostedPlugin& plugin, int index, double value);
// The current value as the plug-in shows it (VST 2.4: display and label).
std::string parameterText(HostedPlugin& plugin, int index);

// VST 2.4 bank chunks (effFlagsProgramChunks) or CLAP clap.state.
bool hasState(const HostedPlugin& plugin);
bool saveState(HostedPlugin& plugin, std::vector<std::uint8_t>& bytes, std::string& error);
bool loadState(HostedPlugin& plugin, const std::vector<std::uint8_t>& bytes, std::string& error);

// The editor in three steps: made, with its size (VST 2.4: effEditGetRect;
// CLAP: gui create, scale, get_size); shown in a host window of that size
// (effEditOpen; set_parent, show); closed (effEditClose; hide, destroy).
bool hasEditor(const HostedPlugin& plugin);
bool createEditor(HostedPlugin& plugin, int& width, int& height, std::string& error);
bool showEditor(HostedPlugin& plugin, HostWindow& window, std::string& error);
// The size the editor has now (a CLAP gui may have asked for another).
bool editorSize(HostedPlugin& plugin, int& width, int& height);
void closeEditor(HostedPlugin& plugin);

// The host's main-thread duties: VST 2.4 effEditIdle while the editor is
// open; CLAP the main-thread service (callbacks, timers, descriptors, ...),
// waiting at most `waitMs` for timers and descriptors.
void idlePlugin(HostedPlugin& plugin, int waitMs);

// What the plug-in logged and what the host noticed it doing wrong (CLAP).
std::vector<PluginMessage> takePluginMessages(HostedPlugin& plugin);
