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

void openEditor(PluginInstance&, void*) {}

void closeEditor(PluginInstance& instance) {
#ifdef _WIN32
    if (!instance.editorWindow) return;
    KillTimer(instance.editorWindow, kRepaintTimerId);
    DestroyWindow(instance.editorWindow);
#endif
    instance.editorWindow = nullptr;
}

void requestRepaint(PluginInstance& instance) {
#ifdef _WIN32
    if (instance.editorWindow) InvalidateRect(instance.editorWindow, nullptr, FALSE);
#else
    (void)instance;
#endif
}

} // namespace t815
