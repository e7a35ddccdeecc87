// The ports and latency: no audio input, one stereo main output (the same
// signal in both channels), one note input taking CLAP notes and MIDI, and
// no latency.
#include "clap_extensions.h"

#include <cstring>

namespace t815 {

namespace {

std::uint32_t CLAP_CALL audioPortCount(const clap_plugin*, bool isInput) {
    return isInput ? 0 : 1;
}

bool CLAP_CALL audioPortInfo(const clap_plugin*, std::uint32_t index, bool isInput,
                             clap_audio_port_info* info) {
    if (isInput || index != 0 || !info) return false;
    std::memset(info, 0, sizeof *info);
    info->id = 0;
    std::strcpy(info->name, "Output");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN;
    info->channel_count = kPluginOutputCount;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = CLAP_INVALID_ID;
    return true;
}

std::uint32_t CLAP_CALL notePortCount(const clap_plugin*, bool isInput) {
    return isInput ? 1 : 0;
}

bool CLAP_CALL notePortInfo(const clap_plugin*, std::uint32_t index, bool isInput,
                            clap_note_port_info* info) {
    if (!isInput || index != 0 || !info) return false;
    std::memset(info, 0, sizeof *info);
    info->id = 0;
    info->supported_dialects = CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI;
    info->preferred_dialect = CLAP_NOTE_DIALECT_CLAP;
    std::strcpy(info->name, "Notes");
    return true;
}

std::uint32_t CLAP_CALL latencySamples(const clap_plugin*) {
    return 0;
}

} // namespace

const clap_plugin_audio_ports kClapAudioPorts = {audioPortCount, audioPortInfo};
const clap_plugin_note_ports kClapNotePorts = {notePortCount, notePortInfo};
const clap_plugin_latency kClapLatency = {latencySamples};

} // namespace t815
