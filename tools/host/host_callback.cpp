// Answers to the plug-in's requests, per opcode.
#include "host_callback.h"

#include <cstring>

namespace {

HostContext* activeContext = nullptr;

// Copies a string into a plug-in's buffer of the documented size.
VstIntPtr copyString(void* ptr, const char* text, std::size_t bufferSize) {
    if (ptr == nullptr) return 0;
    char* out = static_cast<char*>(ptr);
    std::strncpy(out, text, bufferSize - 1);
    out[bufferSize - 1] = '\0';
    return 1;
}

bool canDo(const void* ptr) {
    if (ptr == nullptr) return false;
    static const char* const kAbilities[] = {"sendVstEvents", "sendVstMidiEvent"};
    const char* asked = static_cast<const char*>(ptr);
    for (const char* ability : kAbilities)
        if (std::strncmp(asked, ability, 64) == 0) return true;
    return false;
}

} // namespace

void setHostContext(HostContext* context) {
    activeContext = context;
}

void releaseHostContext(const HostContext* context) {
    if (activeContext == context) activeContext = nullptr;
}

VstIntPtr VSTCALLBACK hostCallback(AEffect* /*effect*/, VstInt32 opcode, VstInt32 /*index*/,
                                   VstIntPtr /*value*/, void* ptr, float /*opt*/) {
    static HostContext defaults;
    HostContext& host = activeContext ? *activeContext : defaults;
    switch (opcode) {
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterAutomate:
        ++host.automateCalls;
        return 0;
    case audioMasterUpdateDisplay:
        ++host.updateDisplayCalls;
        return 1;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(host.sampleRate);
    case audioMasterGetBlockSize:
        return host.blockSize;
    case audioMasterGetCurrentProcessLevel:
        return host.processLevel;
    case audioMasterGetAutomationState:
        return kVstAutomationOff;
    case audioMasterGetVendorString:
        return copyString(ptr, kHostVendor, kVstMaxVendorStrLen);
    case audioMasterGetProductString:
        return copyString(ptr, host.productName, kVstMaxProductStrLen);
    case audioMasterGetVendorVersion:
        return kHostVersion;
    case audioMasterCanDo:
        return canDo(ptr) ? 1 : 0;
    case audioMasterGetLanguage:
        return 1; // English
    default:
        return 0; // no time info, no idle, no windows, no files
    }
}
