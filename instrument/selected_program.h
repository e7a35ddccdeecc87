// Program select: the one way the selected program changes, whether the
// host, a MIDI program change or the panel asks for it.
#pragma once

#include <cstdint>

namespace t815 {

struct PluginInstance;

inline bool isProgramIndex(std::int64_t index) {
    // Negative indexes are huge ones taken as unsigned.
    return static_cast<std::uint64_t>(index) < 32u;
}

// Who asked for a select: the host already knows of its own selects; MIDI
// and the panel's are announced to it.
enum class SelectSource { host, instrument };

// The whole program select for host index 0..31, from any thread: queued for
// the core (which selects it before the next block), recorded in the host
// settings at once, then announced (announceProgramSelect). Any other index
// changes nothing.
void selectProgramIndex(PluginInstance& instance, std::int32_t index, SelectSource source);

// What follows a queued select: the face is told (for a select the host did
// not ask for) and the panel is asked to repaint.
void announceProgramSelect(PluginInstance& instance, SelectSource source);

// The selected program's index as the host and the panel see it.
std::int32_t selectedProgramIndex(const PluginInstance& instance);

} // namespace t815
