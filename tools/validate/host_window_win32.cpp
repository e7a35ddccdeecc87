// The Windows host window: a plain top-level window, shown (a child of a
// hidden parent gets no WM_PAINT), and a message loop between the calls.
#include "host_window.h"

#include <windows.h>

#include <chrono>

namespace {

const wchar_t kClassName[] = L"t815-validate host window";

BOOL CALLBACK countChild(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

} // namespace

bool createHostWindow(HostWindow& window, int width, int height, std::string& whyNot) {
    static const bool registered = [] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        return RegisterClassExW(&windowClass) != 0;
    }();
    HWND hwnd = registered ? CreateWindowExW(0, kClassName, L"t815-validate", WS_OVERLAPPEDWINDOW,
                                             0, 0, width + 16, height + 40, nullptr, nullptr,
                                             GetModuleHandleW(nullptr), nullptr)
                           : nullptr;
    if (!hwnd) {
        whyNot = "no host window could be created (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    window = HostWindow{};
    window.parent = hwnd;
    return true;
}

int childWindowCount(HostWindow& window) {
    int count = 0;
    EnumChildWindows(static_cast<HWND>(window.parent), countChild,
                     reinterpret_cast<LPARAM>(&count));
    return count;
}

void pumpWindowEvents(HostWindow&, int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(1);
    } while (std::chrono::steady_clock::now() < end);
}

void destroyHostWindow(HostWindow& window) {
    if (window.parent) DestroyWindow(static_cast<HWND>(window.parent));
    window = HostWindow{};
}
