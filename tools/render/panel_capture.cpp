// The editor picture: on Windows opened as a host opens it (USER32 and GDI)
// and read back; elsewhere painted off screen by the plug-in itself.
#include "panel_capture.h"

#ifndef _WIN32
#include "panel_snapshot_capture.h"
#endif

#ifdef _WIN32
#include "host_window.h"
#include <windows.h>
#endif

#ifdef _WIN32

namespace {

// Most pixels a side the tool accepts from effEditGetRect.
constexpr int kMaxEditorSide = 8192;
// Long enough for several repaints of an editor that repaints on a timer.
constexpr DWORD kPumpMilliseconds = 200;

void pumpMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    }
}

HWND makeParentWindow(int width, int height) {
    static const ATOM parentClass = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
        windowClass.lpszClassName = L"t815-render panel host";
        return RegisterClassExW(&windowClass);
    }();
    if (!parentClass) return nullptr;
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    HWND window = CreateWindowExW(0, L"t815-render panel host", L"t815-render",
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    // An editor inside a hidden window is never painted.
    if (window) ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

} // namespace

ExitCode capturePanel(AEffect* effect, RgbImage& image, std::string& error) {
    if (!(effect->flags & effFlagsHasEditor)) {
        error = "the plug-in has no editor";
        return kExitPlugin;
    }
    ERect* rect = nullptr;
    effect->dispatcher(effect, effEditGetRect, 0, 0, &rect, 0.0f);
    const int width = rect ? rect->right - rect->left : 0;
    const int height = rect ? rect->bottom - rect->top : 0;
    if (width <= 0 || height <= 0 || width > kMaxEditorSide || height > kMaxEditorSide) {
        error = "the plug-in's editor gave no usable size (effEditGetRect)";
        return kExitPlugin;
    }
    HWND parent = makeParentWindow(width, height);
    if (!parent) {
        error = "cannot create a window to open the editor in";
        return kExitInternal;
    }
    ExitCode code = kExitSuccess;
    if (effect->dispatcher(effect, effEditOpen, 0, 0, parent, 0.0f) == 0) {
        error = "the plug-in's editor did not open (effEditOpen answered 0)";
        code = kExitPlugin;
    } else {
        pumpMessages(kPumpMilliseconds);
        // The editor's own window, if it made one, else what it drew into ours.
        HostWindow window;
        window.parent = parent;
        if (readWindowPixels(window, width, height, image.rgb)) {
            image.width = width;
            image.height = height;
        } else {
            error = "cannot read the editor's pixels back";
            code = kExitInternal;
        }
        effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
        pumpMessages(10);
    }
    DestroyWindow(parent);
    return code;
}

#else

// Elsewhere the plug-in paints its panel off screen, no window system needed.
ExitCode capturePanel(AEffect* effect, RgbImage& image, std::string& error) {
    return capturePanelSnapshot(effect, image, error);
}

#endif
