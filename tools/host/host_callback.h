// The host's side of the plug-in's callback, shared by the project's host
// tools: the answers of a simple host (version 2.4, sample rate, block size,
// processing level, identity strings, a few capabilities) and a count of
// what the plug-in told the host. The counts are atomic because a plug-in
// may call back from any of the host's threads.
#pragma once

#include "vst2_abi.h"

#include <atomic>

struct HostContext {
    double sampleRate = 44100.0;
    VstInt32 blockSize = 512;
    VstInt32 processLevel = kVstProcessLevelOffline;
    const char* productName = "t815-render";
    std::atomic<long> updateDisplayCalls{0}; // audioMasterUpdateDisplay
    std::atomic<long> automateCalls{0};      // audioMasterAutomate
};

constexpr const char* kHostVendor = "T-815 Project";
constexpr VstInt32 kHostVersion = 1000;

// A tool hosts its plug-ins from one context at a time; the callback answers
// from it (null: defaults). The plug-in may call back before its AEffect
// exists, so the context cannot be found through the record.
void setHostContext(HostContext* context);

// Forgets the context if it is the one the callback answers from (a tool
// closing one of several plug-ins leaves the others' context in place).
void releaseHostContext(const HostContext* context);

VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                   VstIntPtr value, void* ptr, float opt);
