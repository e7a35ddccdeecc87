// The panel's top-level window on Windows: a USER32 window of ours as the
// panel's parent, and a message loop that reads the computer keyboard's
// key messages before dispatching them, whichever of the two windows has the
// focus. Deactivating the window releases every key it holds.
//
// The process is aware of each monitor's DPI, so that Windows draws nothing
// stretched: the panel opens at its window's DPI and follows it when the
// window moves to a screen of another DPI, and the window follows the panel.
#include "player_window.h"

#include "computer_keyboard.h"
#include "instrument_operations.h"
#include "panel_editor.h"

#include <windows.h>

#include <new>

namespace t815 {

struct PlayerWindow {
    PluginInstance* instance = nullptr;
    HWND window = nullptr;
    bool closed = false;
    ComputerKeyboard keyboard;
};

namespace {

constexpr const wchar_t* kWindowClass = L"T815PlayerWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr UINT kDpiChangedMessage = 0x02E0; // WM_DPICHANGED

// A function of user32 that older Windows and Wine may lack, or null.
template <typename Function> Function userFunction(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// Per-monitor DPI awareness (version 2, Windows 10 1703 and later), else the
// system DPI's (Vista and later), before the first window is made.
void becomeDpiAware() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    const auto perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
    if (const auto setContext = userFunction<SetContext>("SetProcessDpiAwarenessContext"))
        if (setContext(perMonitorV2)) return;
    SetProcessDPIAware();
}

// The outer size of our window around a client area of `panel`, with the
// frame at the window's DPI where Windows tells it, else the system's.
SIZE outerSize(HWND window, PanelSize panel) {
    using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto adjustForDpi = userFunction<AdjustForDpi>("AdjustWindowRectExForDpi");
    static const auto dpiForWindow = userFunction<DpiForWindow>("GetDpiForWindow");
    RECT frame{0, 0, panel.width, panel.height};
    if (window && adjustForDpi && dpiForWindow)
        adjustForDpi(&frame, kWindowStyle, FALSE, 0, dpiForWindow(window));
    else
        AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// The character a virtual key carries unshifted in the keyboard layout,
// lower case; 0 for keys that carry none.
char characterOf(WPARAM key) {
    if (key >= 'A' && key <= 'Z') return static_cast<char>(key - 'A' + 'a');
    const UINT character = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_CHAR) & 0x7FFF;
    return character > ' ' && character < 0x7F ? static_cast<char>(character) : 0;
}

void perform(PlayerWindow& window, KeyAction action) {
    if (action.kind == KeyAction::press) pressKey(*window.instance, action.key);
    if (action.kind == KeyAction::release) releaseKey(*window.instance, action.key);
}

void releaseAll(PlayerWindow& window) {
    releaseAllComputerKeys(window.keyboard,
                           [&](std::int32_t key) { releaseKey(*window.instance, key); });
}

LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* window = reinterpret_cast<PlayerWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_CREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return 0;
    }
    case WM_ACTIVATE:
        if (window && LOWORD(wParam) == WA_INACTIVE) releaseAll(*window);
        return 0;
    case WM_GETMINMAXINFO:
        // The window is the panel's size, whatever that is: also larger than
        // the screen, which Windows would otherwise cap it at.
        if (window) {
            const SIZE outer = outerSize(hwnd, editorSize(*window->instance));
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = limits->ptMaxTrackSize = {outer.cx, outer.cy};
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_CLOSE:
        if (window) window->closed = true;
        return 0; // closePlayerWindow destroys it, the panel first
    case kDpiChangedMessage: {
        // Onto the place Windows suggests, then the panel takes the new DPI
        // (it may also hear of it itself: a repeat changes nothing) and, by
        // resizing, has the window fit it.
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        if (suggested)
            SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        if (HWND panel = GetWindow(hwnd, GW_CHILD)) SendMessageW(panel, message, wParam, lParam);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

} // namespace

PlayerWindow* openPlayerWindow(PluginInstance& instance, std::string& error) {
    auto* window = new (std::nothrow) PlayerWindow;
    if (!window) {
        error = "out of memory";
        return nullptr;
    }
    window->instance = &instance;
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);
    becomeDpiAware();
    const SIZE outer = outerSize(nullptr, editorSize(instance)); // at the display's scale
    window->window =
        CreateWindowExW(0, kWindowClass, L"T-815", kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        outer.cx, outer.cy, nullptr, nullptr, module, window);
    if (!window->window) {
        error = "the window could not be created";
        delete window;
        return nullptr;
    }
    if (!openEditor(instance, window->window)) {
        error = "the panel could not be opened in the window";
        closePlayerWindow(window);
        return nullptr;
    }
    ShowWindow(window->window, SW_SHOWNORMAL);
    UpdateWindow(window->window);
    return window;
}

bool runPlayerWindow(PlayerWindow* window, int milliseconds) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(milliseconds), QS_ALLINPUT);
    MSG message;
    while (!window->closed && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) window->closed = true;
        const char character = (message.message == WM_KEYDOWN || message.message == WM_KEYUP)
                                   ? characterOf(message.wParam)
                                   : 0;
        if (message.message == WM_KEYDOWN && character) {
            if (!(message.lParam & (1 << 30))) // not an auto-repeat
                perform(*window, computerKeyDown(window->keyboard, character));
            continue;
        }
        if (message.message == WM_KEYUP && character) {
            perform(*window, computerKeyUp(window->keyboard, character));
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return !window->closed;
}

void fitPlayerWindowToPanel(PlayerWindow* window) {
    const SIZE outer = outerSize(window->window, editorSize(*window->instance));
    SetWindowPos(window->window, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void closePlayerWindow(PlayerWindow* window) {
    if (!window) return;
    releaseAll(*window);
    closeEditor(*window->instance);
    if (window->window) {
        SetWindowLongPtrW(window->window, GWLP_USERDATA, 0);
        DestroyWindow(window->window);
    }
    delete window;
}

} // namespace t815
