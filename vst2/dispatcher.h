// The dispatcher entry of the plug-in record.
#pragma once

#include "vst2_abi.h"

namespace t815 {

VstIntPtr VSTCALLBACK dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                 void* ptr, float opt);

} // namespace t815
