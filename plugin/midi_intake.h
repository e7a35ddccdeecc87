// MIDI intake: the events of an effProcessEvents list, applied at once.
#pragma once

#include "vst2_abi.h"

namespace t815 {

struct PluginInstance;

// Applies every MIDI event of the list in order; other event types, null
// entries and a null or empty list are skipped. Takes coreLock itself.
void processMidiEvents(PluginInstance& instance, const VstEvents* events);

} // namespace t815
