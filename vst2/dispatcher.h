// The dispatcher entry of the plug-in record.
#pragma once

#include "vst2_abi.h"

namespace t815 {

struct PluginInstance;

// The open editor has a new size: effEditGetRect's rectangle takes it and
// the host is asked to resize its window (audioMasterSizeWindow), where it
// answers audioMasterCanDo "sizeWindow". Nothing while the editor is closed.
void askHostToFollowEditor(PluginInstance& instance);

VstIntPtr VSTCALLBACK dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                 void* ptr, float opt);

} // namespace t815
