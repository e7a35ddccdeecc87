// The Windows host window: a plain top-level window, shown (a child of a
// hidden parent gets no WM_PAINT), a message loop between the calls, and
// the editor's pixels read back through GDI: the editor asked to paint
// itself into the host's memory, so that the picture is whole whatever the
// screen's size.
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

void resizeHostWindow(HostWindow& window, int width, int height) {
    HWND hwnd = static_cast<HWND>(window.parent);
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)));
    SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool readWindowPixels(HostWindow& window, int width, int height, std::vector<std::uint8_t>& rgb) {
    HWND parent = static_cast<HWND>(window.parent);
    HWND child = GetWindow(parent, GW_CHILD);
    HWND source = child ? child : parent;
    HDC dc = GetDC(source);
    if (!dc) return false;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    // What the screen shows of it first, for an editor that paints only on
    // screen; then the editor paints itself into the memory (PrintWindow
    // sends WM_PRINT, which becomes WM_PRINTCLIENT), unclipped by the screen.
    bool copied = BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY) != 0;
    copied = PrintWindow(source, memory, PW_CLIENTONLY) != 0 || copied;
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint8_t> bgrx(static_cast<std::size_t>(width) * height * 4);
    const bool read = copied && GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), bgrx.data(),
                                          &info, DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(source, dc);
    if (!read) return false;
    rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i) {
        rgb[3 * i] = bgrx[4 * i + 2];
        rgb[3 * i + 1] = bgrx[4 * i + 1];
        rgb[3 * i + 2] = bgrx[4 * i];
    }
    return true;
}

void destroyHostWindow(HostWindow& window) {
    if (window.parent) DestroyWindow(static_cast<HWND>(window.parent));
    window = HostWindow{};
}
