// The record's setParameter and getParameter entries.
#pragma once

#include "vst2_abi.h"

namespace t815 {

void VSTCALLBACK setParameter(AEffect* effect, VstInt32 index, float value);
float VSTCALLBACK getParameter(AEffect* effect, VstInt32 index);

} // namespace t815
