// Plug-in loading with dlopen on Linux and LoadLibraryExW on Windows, and the
// checks that tell a VST 2.4 or CLAP plug-in from any other library.
#include "plugin_library.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include "platform_io.h"
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

std::string hex32(VstInt32 value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

#ifdef _WIN32
std::string systemMessage(DWORD code) {
    wchar_t* message = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::string text = message ? utf8FromWide(message) : std::string();
    if (message) LocalFree(message);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(code)
                        : text + " (error " + std::to_string(code) + ")";
}

PluginEntryProc findEntry(void* handle, const char* name) {
    FARPROC proc = GetProcAddress(static_cast<HMODULE>(handle), name);
    // Through the generic function pointer type, which converts to any other.
    return reinterpret_cast<PluginEntryProc>(reinterpret_cast<void (*)(void)>(proc));
}

// An exported data object: GetProcAddress answers its address all the same.
const clap_plugin_entry* findClapEntry(void* handle) {
    FARPROC proc = GetProcAddress(static_cast<HMODULE>(handle), "clap_entry");
    return reinterpret_cast<const clap_plugin_entry*>(proc);
}
#else
PluginEntryProc findEntry(void* handle, const char* name) {
    return reinterpret_cast<PluginEntryProc>(dlsym(handle, name));
}

const clap_plugin_entry* findClapEntry(void* handle) {
    return static_cast<const clap_plugin_entry*>(dlsym(handle, "clap_entry"));
}
#endif

bool endsWithClap(const std::string& path) {
    if (path.size() < 5) return false;
    std::string suffix = path.substr(path.size() - 5);
    for (char& c : suffix)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return suffix == ".clap";
}

void findVstEntry(PluginLibrary& library) {
    for (const char* name : {"VSTPluginMain", "main"}) {
        library.entry = findEntry(library.handle, name);
        if (library.entry != nullptr) {
            library.entryName = name;
            return;
        }
    }
}

bool openLibrary(PluginLibrary& library, const std::string& path, std::string& error) {
    library = PluginLibrary{};
    if (path.empty()) {
        error = "no plug-in library given";
        return false;
    }
#ifdef _WIN32
    // A full path makes the loader take exactly this file and look for its
    // own dependencies beside it; no error dialogs for broken libraries.
    const std::wstring widePath = wideFromUtf8(path);
    wchar_t fullPath[32768];
    const DWORD length = GetFullPathNameW(widePath.c_str(), 32768, fullPath, nullptr);
    const wchar_t* loadPath = (length > 0 && length < 32768) ? fullPath : widePath.c_str();
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryExW(loadPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD code = GetLastError();
    SetErrorMode(previousMode);
    if (module == nullptr) {
        error = "cannot load plug-in library '" + path + "': " + systemMessage(code);
        return false;
    }
    library.handle = module;
    library.fullPath = utf8FromWide(loadPath);
#else
    // A bare name would be searched for in the system's library paths.
    const std::string loadPath = path.find('/') == std::string::npos ? "./" + path : path;
    dlerror();
    library.handle = dlopen(loadPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library.handle == nullptr) {
        const char* reason = dlerror();
        error =
            "cannot load plug-in library '" + path + "': " + (reason ? reason : "unknown error");
        return false;
    }
    char* resolved = realpath(loadPath.c_str(), nullptr);
    library.fullPath = resolved ? resolved : loadPath;
    std::free(resolved);
#endif
    return true;
}

} // namespace

bool loadPluginLibrary(PluginLibrary& library, const std::string& path, std::string& error) {
    if (!openLibrary(library, path, error)) return false;
    findVstEntry(library);
    if (library.entry != nullptr) return true;
    error = "'" + path + "' is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main";
    unloadPluginLibrary(library);
    return false;
}

bool loadVstOrClapLibrary(PluginLibrary& library, const std::string& path, std::string& error) {
    if (!openLibrary(library, path, error)) return false;
    findVstEntry(library);
    library.clapEntry = findClapEntry(library.handle);
    if (library.clapEntry != nullptr && (library.entry == nullptr || endsWithClap(path))) {
        library.format = PluginFormat::Clap;
        return true;
    }
    if (library.entry != nullptr) return true;
    error = "'" + path +
            "' is not a VST 2.4 plug-in (it exports neither VSTPluginMain nor main) nor a CLAP "
            "plug-in (it exports no clap_entry)";
    unloadPluginLibrary(library);
    return false;
}

AEffect* createPlugin(PluginLibrary& library, audioMasterCallback callback, std::string& error) {
    if (library.entry == nullptr) {
        error = "no plug-in library loaded";
        return nullptr;
    }
    AEffect* effect = library.entry(callback);
    if (effect == nullptr) {
        error =
            "the plug-in's entry point " + std::string(library.entryName) + " returned no plug-in";
        return nullptr;
    }
    if (effect->magic != kEffectMagic) {
        error = "not a VST 2.4 plug-in: its record starts with " + hex32(effect->magic) +
                " instead of 'VstP'";
        return nullptr;
    }
    if (effect->dispatcher == nullptr) {
        error = "the plug-in has no dispatcher";
        return nullptr;
    }
    std::string problem;
    if (effect->processReplacing == nullptr && effect->process == nullptr)
        problem = "the plug-in has no audio processing entry";
    else if (effect->numOutputs < 1 || effect->numOutputs > kMaxPluginChannels)
        problem = "the plug-in declares " + std::to_string(effect->numOutputs) + " outputs (1 to " +
                  std::to_string(kMaxPluginChannels) + " supported)";
    else if (effect->numInputs < 0 || effect->numInputs > kMaxPluginChannels)
        problem = "the plug-in declares " + std::to_string(effect->numInputs) + " inputs (0 to " +
                  std::to_string(kMaxPluginChannels) + " supported)";
    if (!problem.empty()) {
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        error = problem;
        return nullptr;
    }
    return effect;
}

void unloadPluginLibrary(PluginLibrary& library) {
    if (library.handle != nullptr) {
#ifdef _WIN32
        FreeLibrary(static_cast<HMODULE>(library.handle));
#else
        dlclose(library.handle);
#endif
    }
    library = PluginLibrary{};
}
