// The panel's window on Windows: a child of the host's window, registered
// once per process, attached to its instance through the window's user-data
// slot, repainted by a 35 ms timer and on every change, and driven by the
// left and right mouse buttons. The window holds nothing of its own between
// messages: the instance's panel fields are the state.
//
// Mouse capture: a press that starts an interaction (a knob or wheel drag, a
// key held with the mouse, the held reset button) captures the mouse so that
// moves and the release arrive wherever the pointer goes; the release gives
// the capture back. Losing the capture otherwise (another window takes it)
// ends the interaction as a release would, so no note is left sounding.
#include "buffered_paint.h"
#include "editor_link.h"
#include "instance_changes.h"
#include "module_handle.h"
#include "panel_controls.h"
#include "panel_state.h"
#include "plugin_facts.h"
#include "plugin_instance.h"

#include <windows.h>

namespace t815 {

namespace {

constexpr wchar_t kPanelClassName[] = L"VeltranoT815HardwareGUI3";
constexpr wchar_t kPanelTitle[] = L"Veltrano T-815";
constexpr UINT_PTR kRepaintTimerId = 1;
constexpr UINT kRepaintPeriodMs = 35;

// Read and written only by openEditor, on the host's editor thread.
bool panelClassRegistered = false;

PluginInstance* attachedInstance(HWND window) {
    // The Ptr calls: on win64 the 32-bit GWL_USERDATA slot would cut the
    // pointer in half.
    return reinterpret_cast<PluginInstance*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

int signedLow(LPARAM lParam) {
    return static_cast<short>(LOWORD(static_cast<DWORD_PTR>(lParam)));
}
int signedHigh(LPARAM lParam) {
    return static_cast<short>(HIWORD(static_cast<DWORD_PTR>(lParam)));
}

bool pressInProgress(const PluginInstance& instance) {
    return instance.dragControl != 0 || instance.mouseHeldKey != -1 || instance.resetButtonDown;
}

void releaseCaptureOf(HWND window) {
    if (GetCapture() == window) ReleaseCapture();
}

LRESULT CALLBACK panelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PluginInstance* instance = attachedInstance(window);
    switch (message) {
    case WM_CREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (instance && dc) paintPanelBuffered(dc, readPanelState(*instance));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_TIMER:
        if (instance) InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_MOUSEMOVE:
        if (instance && (wParam & MK_LBUTTON))
            onMouseDrag(*instance, signedLow(lParam), signedHigh(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        if (instance) {
            onMouseDown(*instance, signedLow(lParam), signedHigh(lParam));
            if (pressInProgress(*instance)) SetCapture(window);
        }
        return 0;
    case WM_LBUTTONUP:
        if (instance) {
            onMouseUp(*instance);
            releaseCaptureOf(window);
        }
        return 0;
    case WM_RBUTTONDOWN:
        // The wheel back to rest, from anywhere on the panel.
        if (instance) {
            setModWheel(*instance, 0.0f);
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    case WM_CAPTURECHANGED:
        // lParam is the window that takes the capture; our own SetCapture
        // during a press is no loss.
        if (instance && reinterpret_cast<HWND>(lParam) != window) endPanelInteraction(*instance);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void registerPanelClass() {
    if (panelClassRegistered) return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(WNDCLASSEXW); // 48 on win32, 80 on win64
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = panelWindowProc;
    windowClass.hInstance = moduleHandle;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.lpszClassName = kPanelClassName;
    RegisterClassExW(&windowClass);
    // A failed registration shows as a failed window creation.
    panelClassRegistered = true;
}

} // namespace

bool openEditor(PluginInstance& instance, void* parentWindow) {
    // Some hosts open twice without a close: no orphan window or timer.
    closeEditor(instance);
    registerPanelClass();
    HWND window = CreateWindowExW(0, kPanelClassName, kPanelTitle, WS_CHILD | WS_VISIBLE, 0, 0,
                                  kEditorWidth, kEditorHeight, static_cast<HWND>(parentWindow),
                                  nullptr, moduleHandle, &instance);
    if (!window) return false;
    instance.editorWindow = window;
    SetTimer(window, kRepaintTimerId, kRepaintPeriodMs, nullptr);
    return true;
}

void closeEditor(PluginInstance& instance) {
    HWND window = instance.editorWindow.load();
    if (!window) return;
    // A press still in progress ends here: its key gets its note-off.
    endPanelInteraction(instance);
    releaseCaptureOf(window);
    KillTimer(window, kRepaintTimerId);
    instance.editorWindow = nullptr;
    DestroyWindow(window);
}

void requestRepaint(PluginInstance& instance) {
    if (HWND window = instance.editorWindow.load()) InvalidateRect(window, nullptr, FALSE);
}

} // namespace t815
