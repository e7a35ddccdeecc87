// The panel's window on Windows: a child of the host's window, registered
// once per process, attached to its instance through the window's user-data
// slot, repainted by a 35 ms timer and on every change, and driven by the
// left and right mouse buttons. The instance's panel fields are the state;
// the window keeps only its back buffer, remade when the panel's size
// changes, so that a paint reuses it instead of making a bitmap each time.
// It paints itself into a context it is handed (WM_PRINTCLIENT, as
// PrintWindow asks) as it paints on screen, at its whole size whatever the
// screen's. The display's DPI changing (WM_DPICHANGED, and for a child
// window WM_DPICHANGED_AFTERPARENT) rescales it, unless a host gave a scale.
//
// Input goes to the platform-free controls as PanelEvents; they take the
// mouse capture for a press that lasts (a drag, a held key, the reset
// button) and give it back at its release. A capture taken away by another
// window ends the press as a release would, so no note is left sounding.
#include "buffered_paint.h"
#include "editor_scale.h"
#include "instrument_operations.h"
#include "panel_controls.h"
#include "panel_editor.h"

#include <windows.h>

#include <new>

namespace t815 {

namespace {

constexpr wchar_t kPanelClassName[] = L"VeltranoT815HardwareGUI3";
constexpr wchar_t kPanelTitle[] = L"Veltrano T-815";
constexpr UINT_PTR kRepaintTimerId = 1;
constexpr UINT kRepaintPeriodMs = 35;
// The window's extra bytes: a pointer to its PanelBackBuffer.
constexpr int kBackBufferSlot = 0;
// Declared by Windows 8.1 and 10 headers, not by every MinGW one.
constexpr UINT kDpiChangedMessage = 0x02E0;            // WM_DPICHANGED
constexpr UINT kDpiChangedAfterParentMessage = 0x02E3; // WM_DPICHANGED_AFTERPARENT

// Read and written only by openEditor, on the host's editor thread.
bool panelClassRegistered = false;
// The library's module, set by the face when the DLL is attached.
HINSTANCE moduleHandle = nullptr;

HWND panelWindowOf(const PluginInstance& instance) {
    return static_cast<HWND>(instance.editorWindow.load());
}

// The instance's repaint hook while the panel is open: invalidates the
// whole panel without erasing, from any thread.
void invalidatePanel(PluginInstance& instance) {
    if (HWND window = panelWindowOf(instance)) InvalidateRect(window, nullptr, FALSE);
}

PanelScale openScale(const PluginInstance& instance) {
    return {instance.openScaleQuarters};
}

// The DPI of a window where Windows tells it per window (10 and later;
// looked up at run time, as older Windows and Wine may lack it), else the
// screen's.
UINT dpiOfWindow(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT dpi = window && dpiForWindow ? dpiForWindow(window) : 0;
    if (dpi == 0) {
        if (HDC screen = GetDC(nullptr)) {
            dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
            ReleaseDC(nullptr, screen);
        }
    }
    return dpi;
}

// The scale of the display the host's window is on.
PanelScale displayScale(HWND parent) {
    return scaleOfDpi(dpiOfWindow(parent));
}

PluginInstance* attachedInstance(HWND window) {
    // The Ptr calls: on win64 the 32-bit GWL_USERDATA slot would cut the
    // pointer in half.
    return reinterpret_cast<PluginInstance*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

PanelBackBuffer* backBufferOf(HWND window) {
    return reinterpret_cast<PanelBackBuffer*>(GetWindowLongPtrW(window, kBackBufferSlot));
}

// The panel as it is now, into the window's `dc` at (0, 0) through the
// window's kept buffer (a buffer of the paint's own if it could not keep one).
void paintWindow(HWND window, HDC dc, const PluginInstance& instance) {
    const PanelState state = readPanelState(instance);
    if (PanelBackBuffer* buffer = backBufferOf(window))
        paintPanelBuffered(dc, state, openScale(instance), *buffer);
    else
        paintPanelBuffered(dc, state, openScale(instance));
}

int signedLow(LPARAM lParam) {
    return static_cast<short>(LOWORD(static_cast<DWORD_PTR>(lParam)));
}
int signedHigh(LPARAM lParam) {
    return static_cast<short>(HIWORD(static_cast<DWORD_PTR>(lParam)));
}

// What the controls ask of the window, for the window's own thread.
class Win32PanelWindow final : public PanelWindow {
  public:
    explicit Win32PanelWindow(HWND window) : window(window) {}
    void captureMouse() override { SetCapture(window); }
    void releaseMouse() override {
        if (GetCapture() == window) ReleaseCapture();
    }
    void repaint() override { InvalidateRect(window, nullptr, FALSE); }

  private:
    HWND window;
};

// The input a message carries, for the messages the controls handle.
bool panelEventOf(HWND window, UINT message, WPARAM wParam, LPARAM lParam, PanelEvent& event) {
    const int x = signedLow(lParam), y = signedHigh(lParam);
    switch (message) {
    case WM_LBUTTONDOWN:
        event = {PanelInput::leftButtonDown, x, y, true};
        return true;
    case WM_MOUSEMOVE:
        event = {PanelInput::pointerMove, x, y, (wParam & MK_LBUTTON) != 0};
        return true;
    case WM_LBUTTONUP:
        event = {PanelInput::leftButtonUp, x, y, false};
        return true;
    case WM_RBUTTONDOWN:
        event = {PanelInput::rightButtonDown, x, y, false};
        return true;
    case WM_TIMER:
        event = {PanelInput::repaintTimer, 0, 0, false};
        return true;
    case WM_CAPTURECHANGED:
        // lParam is the window that takes the capture: our own is no loss.
        event = {PanelInput::captureLost, 0, 0, false};
        return reinterpret_cast<HWND>(lParam) != window;
    default:
        return false;
    }
}

// Ends a press still in progress (its key gets its note-off), stops the
// timer and detaches the window from the instance.
void forgetWindow(PluginInstance& instance, HWND window) {
    Win32PanelWindow panel(window);
    endPanelInteraction(instance, panel);
    panel.releaseMouse();
    KillTimer(window, kRepaintTimerId);
    instance.repaintHook = nullptr;
    instance.editorWindow = nullptr;
}

// Shows the open panel at a new scale: a press in progress (measured at the
// old scale) ends first, then the window takes the scaled size.
void rescaleWindow(PluginInstance& instance, HWND window, PanelScale scale) {
    Win32PanelWindow panel(window);
    endPanelInteraction(instance, panel);
    instance.openScaleQuarters = scale.quarters;
    const PanelSize size = scaledPanelSize(scale);
    SetWindowPos(window, nullptr, 0, 0, size.width, size.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, FALSE);
}

// The display's DPI is now `dpi`: the panel follows it, unless a host's
// scale holds, and asks its host to follow in turn.
void followDisplay(PluginInstance& instance, HWND window, UINT dpi) {
    const PanelScale scale = chosenScale(instance, scaleOfDpi(dpi));
    if (scale.quarters == instance.openScaleQuarters) return;
    rescaleWindow(instance, window, scale);
    announcePanelResized(instance);
}

LRESULT CALLBACK panelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PluginInstance* instance = attachedInstance(window);
    switch (message) {
    case WM_CREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        SetWindowLongPtrW(window, kBackBufferSlot,
                          reinterpret_cast<LONG_PTR>(new (std::nothrow) PanelBackBuffer{}));
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (instance && dc) paintWindow(window, dc, *instance);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        // Through a buffer of the paint's own, compatible with the context
        // handed over: its format may not be the screen's, which the kept
        // buffer must stay.
        if (instance && wParam)
            paintPanelBuffered(reinterpret_cast<HDC>(wParam), readPanelState(*instance),
                               openScale(*instance));
        return 0;
    case kDpiChangedMessage:
        // The new DPI in wParam's low word (x and y are the same).
        if (instance) followDisplay(*instance, window, LOWORD(wParam));
        return 0;
    case kDpiChangedAfterParentMessage:
        if (instance) followDisplay(*instance, window, dpiOfWindow(window));
        return 0;
    case WM_TIMER:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_CAPTURECHANGED: {
        // Answered 0 also while no instance is attached.
        PanelEvent event{};
        if (instance && panelEventOf(window, message, wParam, lParam, event)) {
            Win32PanelWindow panel(window);
            handlePanelEvent(*instance, panel, event, openScale(*instance));
        }
        return 0;
    }
    case WM_DESTROY:
        // A host may destroy its own window, and the panel with it, before
        // it closes the editor: the instance forgets the window at once (no
        // repaint request reaches a dead handle) and a press in progress
        // ends. closeEditor has done this already when it destroys the panel.
        if (instance && panelWindowOf(*instance) == window) forgetWindow(*instance, window);
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_NCDESTROY:
        if (PanelBackBuffer* buffer = backBufferOf(window)) {
            releasePanelBackBuffer(*buffer);
            delete buffer;
            SetWindowLongPtrW(window, kBackBufferSlot, 0);
        }
        return DefWindowProcW(window, message, wParam, lParam);
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
    windowClass.cbWndExtra = sizeof(PanelBackBuffer*);
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
    const PanelScale scale = chosenScale(instance, displayScale(static_cast<HWND>(parentWindow)));
    const PanelSize size = scaledPanelSize(scale);
    instance.openScaleQuarters = scale.quarters;
    HWND window = CreateWindowExW(0, kPanelClassName, kPanelTitle, WS_CHILD | WS_VISIBLE, 0, 0,
                                  size.width, size.height, static_cast<HWND>(parentWindow), nullptr,
                                  moduleHandle, &instance);
    if (!window) return false;
    instance.editorWindow = window;
    instance.repaintHook = invalidatePanel;
    SetTimer(window, kRepaintTimerId, kRepaintPeriodMs, nullptr);
    return true;
}

void closeEditor(PluginInstance& instance) {
    HWND window = panelWindowOf(instance);
    if (!window) return;
    forgetWindow(instance, window);
    DestroyWindow(window);
}

bool setEditorScale(PluginInstance& instance, double factor) {
    if (!takeHostScale(instance, factor)) return false;
    HWND window = panelWindowOf(instance);
    const PanelScale scale = chosenScale(instance, kUnitScale);
    if (window && scale.quarters != instance.openScaleQuarters)
        rescaleWindow(instance, window, scale);
    return true;
}

PanelSize editorSize(PluginInstance& instance) {
    if (panelWindowOf(instance)) return scaledPanelSize(openScale(instance));
    return scaledPanelSize(chosenScale(instance, displayScale(nullptr)));
}

// The window procedure and its timer drive the panel: idle time is not needed.
void idleEditor(PluginInstance&) {}

int editorEventDescriptor(PluginInstance&) {
    return -1;
}

// No off-screen panel is offered on Windows: a host there shows the window.
bool snapshotPanel(PluginInstance&, void*, long) {
    return false;
}

void setEditorModule(void* module) {
    moduleHandle = static_cast<HINSTANCE>(module);
}

} // namespace t815
