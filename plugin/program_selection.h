// Program select: the one way the selected program changes, whether the
// host, a MIDI program change or the panel asks for it.
#pragma once

#include <cstdint>

namespace t815 {

struct PluginInstance;

// The whole program select for host index 0..31: selects it in the core,
// recomputes the cutoff coefficient, then, with notifyHost, sends
// audioMasterUpdateDisplay, and asks the panel to repaint. Any other index
// changes nothing. Takes coreLock itself: the caller must not hold it.
void selectProgramIndex(PluginInstance& instance, std::int32_t index, bool notifyHost);

// The two halves of program select, for callers that already hold coreLock
// (MIDI intake): the change itself, under the lock (false, nothing changed,
// for an index outside 0..31), then the announcement, after releasing it.
bool changeProgramUnderLock(PluginInstance& instance, std::int32_t index);
void announceProgramChange(PluginInstance& instance, bool notifyHost);

} // namespace t815
