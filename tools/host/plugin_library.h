// Loading a plug-in library: the library is opened by path and its entry
// looked up: for VST 2.4 the entry point (`VSTPluginMain`, else the older
// `main`), which is called with the host callback and whose record is
// checked before the host uses it; for CLAP the exported `clap_entry` record.
#pragma once

#include "clap_abi.h"
#include "vst2_abi.h"

#include <string>

enum class PluginFormat { Vst2, Clap };

// How loading a plug-in ended: loaded; the library cannot be loaded or holds
// no usable plug-in; or the library is sound but holds no plug-in of the
// asked id (or several, and none was asked for).
enum class LoadStatus { Loaded, NotAPlugin, NoSuchPlugin };

struct PluginLibrary {
    void* handle = nullptr; // dlopen handle or HMODULE
    PluginEntryProc entry = nullptr;
    const char* entryName = nullptr;
    const clap_plugin_entry* clapEntry = nullptr;
    PluginFormat format = PluginFormat::Vst2; // the entry the host is to use
    std::string fullPath;                     // absolute, as a CLAP entry's init receives it
};

// Most channels a plug-in may declare before it is refused as absurd.
constexpr VstInt32 kMaxPluginChannels = 64;

// A VST 2.4 library only.
bool loadPluginLibrary(PluginLibrary& library, const std::string& path, std::string& error);

// A VST 2.4 or a CLAP library. One that exports both entries is taken as
// CLAP when its name ends in ".clap", else as VST 2.4.
bool loadVstOrClapLibrary(PluginLibrary& library, const std::string& path, std::string& error);

// Calls the entry point and validates the record: non-null, the VST magic, a
// dispatcher, an audio entry, channel counts in range.
AEffect* createPlugin(PluginLibrary& library, audioMasterCallback callback, std::string& error);

void unloadPluginLibrary(PluginLibrary& library);
