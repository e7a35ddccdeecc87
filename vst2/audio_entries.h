// The audio entries of the plug-in record.
#pragma once

#include "vst2_abi.h"

namespace t815 {

// Renders one block into outputs[0] and, when not null, outputs[1], scaled
// by the volume. Both entries replace the buffers' contents.
void VSTCALLBACK processReplacing(AEffect* effect, float** inputs, float** outputs,
                                  VstInt32 sampleFrames);

// The deprecated accumulating entry; it replaces as well, never adds.
void VSTCALLBACK process(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames);

} // namespace t815
