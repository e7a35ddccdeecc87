// The library's exported door: VSTPluginMain, exported a second time as
// `main` for older hosts, and on Windows DllMain, which records the module
// handle the panel needs for its window class.
#include "panel_editor.h"
#include "vst2_plugin.h"

#ifdef _WIN32
#include <windows.h>
#endif

// Everything else in the library is compiled hidden; the .def file (Windows)
// or the version script (elsewhere) decides what is exported.
#ifdef _WIN32
#define T815_ENTRY_POINT
#else
#define T815_ENTRY_POINT __attribute__((visibility("default")))
#endif

// No exception may leave the library; createVst2Plugin throws none.
extern "C" T815_ENTRY_POINT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback hostCallback) {
    t815::Vst2Plugin* plugin = t815::createVst2Plugin(hostCallback);
    return plugin ? &plugin->effect : nullptr;
}

#ifdef _WIN32

// The .def file exports both names; nothing else leaves the DLL.

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) t815::setEditorModule(module);
    return TRUE;
}

#else

// C++ cannot declare a function named main that returns a pointer, so the
// second name is set at the assembler level: the same address as
// VSTPluginMain, a global function symbol like it. The version script keeps
// these two the only names the library exports.
__asm__(".globl main\n"
        ".type main, @function\n"
        ".set main, VSTPluginMain\n");

#endif
