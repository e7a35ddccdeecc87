// Stand-in for the panel editor until the panel itself exists: opening
// creates no window, so editorWindow stays null; closing and repainting act
// on a window only if one is there.
#include "editor_link.h"

#include "plugin_instance.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace t815 {

namespace {
#ifdef _WIN32
constexpr UINT_PTR kRepaintTimerId = 1;
#endif
} // namespace

bool openEditor(PluginInstance&, void*) {
    return false;
}

void closeEditor(PluginInstance& instance) {
#ifdef _WIN32
    HWND window = instance.editorWindow.exchange(nullptr);
    if (!window) return;
    KillTimer(window, kRepaintTimerId);
    DestroyWindow(window);
#endif
    instance.editorWindow = nullptr;
}

void requestRepaint(PluginInstance& instance) {
#ifdef _WIN32
    if (HWND window = instance.editorWindow.load()) InvalidateRect(window, nullptr, FALSE);
#else
    (void)instance;
#endif
}

void idleEditor(PluginInstance&) {}

bool snapshotPanel(PluginInstance&, void*, long) {
    return false;
}

} // namespace t815
