// The player's audio and MIDI: JACK on Linux; WASAPI or waveOut, and WinMM's
// MIDI, on Windows. A session renders the instance on the system's audio
// thread and feeds it the MIDI of the sources the options name, from start
// to stop.
#pragma once

#include "player_options.h"

#include <string>
#include <vector>

namespace t815 {

struct PluginInstance;
struct AudioSession;

// Opens the audio system, sets the instance's sample rate to its own and
// starts rendering. Null with `error` (one line) when there is no audio
// system or device.
AudioSession* startAudio(PluginInstance& instance, const PlayerOptions& options,
                         std::string& error);

// True once the audio system has gone away under the session, with `why`.
bool audioLost(AudioSession* session, std::string& why);

// Stops rendering and closes everything; the instance is free afterwards.
// False when the audio system did not let go in time (a JACK server stuck
// mid-change): the audio thread may still use the instance, which must then
// be left alone until the program ends.
bool stopAudio(AudioSession* session);

// The MIDI sources there are to connect to. False with `error` when the
// audio system cannot be asked.
bool listMidiSources(std::vector<std::string>& names, std::string& error);

} // namespace t815
