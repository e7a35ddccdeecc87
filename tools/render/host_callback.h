// The host's side of the plug-in's callback: the answers of a simple offline
// renderer (version 2.4, sample rate, block size, offline processing level,
// identity strings, a few capabilities) and a count of what the plug-in told
// the host.
#pragma once

#include "vst2_abi.h"

struct HostContext {
    double sampleRate = 44100.0;
    VstInt32 blockSize = 512;
    long updateDisplayCalls = 0; // audioMasterUpdateDisplay
    long automateCalls = 0;      // audioMasterAutomate
};

constexpr const char* kHostVendor = "T-815 Project";
constexpr const char* kHostProduct = "t815-render";
constexpr VstInt32 kHostVersion = 1000;

// The renderer hosts one plug-in at a time; the callback answers from this
// context (null: defaults). The plug-in may call back before its AEffect
// exists, so the context cannot be found through the record.
void setHostContext(HostContext* context);

VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                   VstIntPtr value, void* ptr, float opt);
