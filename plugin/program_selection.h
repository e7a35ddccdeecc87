// Program select: the one way the selected program changes, whether the
// host, a MIDI program change or the panel asks for it.
#pragma once

#include <cstdint>

namespace t815 {

struct PluginInstance;

// The whole program select for host index 0..31, from any thread: queued for
// the core (which selects it before the next block), recorded in the host
// settings at once, then, with notifyHost, audioMasterUpdateDisplay is sent,
// and the panel is asked to repaint. Any other index changes nothing.
void selectProgramIndex(PluginInstance& instance, std::int32_t index, bool notifyHost);

// The select as the core's owner applies it: the core selects the program
// (resetting every voice unless a key is held), the shell's copies of the
// index and its digits follow, and the cutoff coefficient is recomputed.
// index is 0..31.
void changeProgram(PluginInstance& instance, std::int32_t index);

// The announcement that follows a queued select: the host (with notifyHost)
// and the panel.
void announceProgramChange(PluginInstance& instance, bool notifyHost);

inline bool isProgramIndex(std::int64_t index) {
    // Negative indexes are huge ones taken as unsigned.
    return static_cast<std::uint64_t>(index) < 32u;
}

} // namespace t815
