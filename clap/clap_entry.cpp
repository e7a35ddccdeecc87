// The library's exported door: the `clap_entry` record, its counted init and
// deinit, and the factory of the one plug-in it holds; on Windows DllMain,
// which records the module handle the panel needs for its window class.
#include "clap_abi.h"
#include "clap_plugin.h"
#include "panel_editor.h"
#include "t815_version.h"

#include <atomic>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace t815 {

namespace {

constexpr char kClapPluginId[] = "com.gravlon.t815";

const char* const kFeatures[] = {CLAP_PLUGIN_FEATURE_INSTRUMENT, CLAP_PLUGIN_FEATURE_SYNTHESIZER,
                                 CLAP_PLUGIN_FEATURE_STEREO, nullptr};

const clap_plugin_descriptor kDescriptor = {CLAP_VERSION_INIT,
                                            kClapPluginId,
                                            kPluginProductName,
                                            kPluginVendorName,
                                            "",
                                            "",
                                            "",
                                            kProjectVersion,
                                            "ROM-based digital preset synthesizer",
                                            kFeatures};

// Hosts may init and deinit more than once; only the count matters, as the
// library keeps nothing that needs setting up.
std::atomic<int> initCount{0};

bool CLAP_CALL entryInit(const char*) {
    ++initCount;
    return true;
}

void CLAP_CALL entryDeinit() {
    int count = initCount.load();
    while (count > 0 && !initCount.compare_exchange_weak(count, count - 1)) {
    }
}

std::uint32_t CLAP_CALL pluginCount(const clap_plugin_factory*) {
    return 1;
}

const clap_plugin_descriptor* CLAP_CALL pluginDescriptor(const clap_plugin_factory*,
                                                         std::uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}

const clap_plugin* CLAP_CALL createPlugin(const clap_plugin_factory*, const clap_host* host,
                                          const char* pluginId) {
    if (!host || !pluginId || std::strcmp(pluginId, kClapPluginId) != 0 ||
        !clap_version_is_compatible(host->clap_version))
        return nullptr;
    ClapPlugin* face = createClapPlugin(host);
    if (!face) return nullptr;
    face->plugin.desc = &kDescriptor;
    return &face->plugin;
}

const clap_plugin_factory kFactory = {pluginCount, pluginDescriptor, createPlugin};

const void* CLAP_CALL entryFactory(const char* factoryId) {
    return factoryId && std::strcmp(factoryId, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory : nullptr;
}

} // namespace

} // namespace t815

// Everything else in the library is compiled hidden; the .def file (Windows)
// or the version script (elsewhere) keeps this the only export.
#ifdef _WIN32
#define T815_CLAP_EXPORT
#else
#define T815_CLAP_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
T815_CLAP_EXPORT extern const clap_plugin_entry clap_entry;
const clap_plugin_entry clap_entry = {CLAP_VERSION_INIT, t815::entryInit, t815::entryDeinit,
                                      t815::entryFactory};
}

#ifdef _WIN32
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) t815::setEditorModule(module);
    return TRUE;
}
#endif
