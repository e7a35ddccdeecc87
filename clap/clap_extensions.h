// The extension tables the CLAP face offers, one file each, and the calls
// its processing shares with the parameter extension's flush.
#pragma once

#include "clap_abi.h"
#include "clap_plugin.h"

namespace t815 {

extern const clap_plugin_params kClapParams;
extern const clap_plugin_state kClapState;
extern const clap_plugin_audio_ports kClapAudioPorts;
extern const clap_plugin_note_ports kClapNotePorts;
extern const clap_plugin_latency kClapLatency;
extern const clap_plugin_gui kClapGui;
extern const clap_plugin_timer_support kClapTimerSupport;
extern const clap_plugin_posix_fd_support kClapPosixFdSupport;

// Applies one input event at once (unknown types and ids ignored).
void applyClapEvent(ClapPlugin& face, const clap_event_header& event);

// Reports to the host, as output events, every parameter whose value
// changed since it last heard of it (panel, MIDI), inside the gestures the
// panel marked.
void reportParameterChanges(ClapPlugin& face, const clap_output_events* out);

// Asks the host to resize the open panel's window to the panel's size
// (request_resize); nothing while the panel is closed.
void requestGuiResize(ClapPlugin& face);

// Closes the panel and gives back the host's timer; harmless when closed.
void destroyClapGui(ClapPlugin& face);

} // namespace t815
