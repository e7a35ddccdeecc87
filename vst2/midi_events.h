// The MIDI events of an effProcessEvents list, handed to the instrument.
#pragma once

#include "vst2_abi.h"

namespace t815 {

struct PluginInstance;

// Applies every MIDI event of the list in order; other event types, null
// entries and a null or empty list are skipped.
void processMidiEvents(PluginInstance& instance, const VstEvents* events);

} // namespace t815
