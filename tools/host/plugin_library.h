// Loading a VST 2.4 plug-in library and creating its plug-in: the library is
// opened by path, its entry point looked up (`VSTPluginMain`, else the older
// `main`), called with the host callback, and the record it returns checked
// before the host uses it.
#pragma once

#include "vst2_abi.h"

#include <string>

struct PluginLibrary {
    void* handle = nullptr; // dlopen handle or HMODULE
    PluginEntryProc entry = nullptr;
    const char* entryName = nullptr;
};

// Most channels a plug-in may declare before it is refused as absurd.
constexpr VstInt32 kMaxPluginChannels = 64;

bool loadPluginLibrary(PluginLibrary& library, const std::string& path, std::string& error);

// Calls the entry point and validates the record: non-null, the VST magic, a
// dispatcher, an audio entry, channel counts in range.
AEffect* createPlugin(PluginLibrary& library, audioMasterCallback callback, std::string& error);

void unloadPluginLibrary(PluginLibrary& library);
