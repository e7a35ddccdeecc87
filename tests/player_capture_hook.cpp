// A hook DLL through which tests/player_window_probe_win32 reads t815-play's
// panel as the player itself draws it. A window's pixels belong to the
// process that draws them under Wine's null graphics driver, so another
// process cannot read them back from the window's DC; the probe installs
// captureHook on the player's window thread, Wine loads this DLL into the
// player, and when the probe posts the registered message "T815CapturePanel"
// (wParam: the probe's process id) the hook copies the panel's client area
// into the probe's shared memory "T815PanelPixels.<id>" (920 x 430 32-bit
// pixels, top row first) and signals "T815PanelCaptured.<id>". The
// registered message "T815ChangeDpi" (wParam: a DPI) has the hook tell the
// window the display's DPI changed, as Windows does, with the window's
// present place as the suggested one.
#include "gdi_readback.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

constexpr int kWidth = 920, kHeight = 430;

void capturePanel(HWND window, unsigned long probe) {
    wchar_t name[64];
    std::swprintf(name, 64, L"T815PanelPixels.%lu", probe);
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name);
    std::swprintf(name, 64, L"T815PanelCaptured.%lu", probe);
    HANDLE captured = OpenEventW(EVENT_MODIFY_STATE, FALSE, name);
    void* pixels = mapping ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
    HWND panel = GetWindow(window, GW_CHILD);
    if (pixels && panel) {
        HDC source = GetDC(panel);
        const t815::test::Pixels read = t815::test::readBack(source, kWidth, kHeight);
        ReleaseDC(panel, source);
        std::memcpy(pixels, read.bgrx.data(), read.bgrx.size() * sizeof read.bgrx[0]);
    }
    if (pixels) UnmapViewOfFile(pixels);
    if (mapping) CloseHandle(mapping);
    if (captured) {
        SetEvent(captured);
        CloseHandle(captured);
    }
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    captureHook(int code, WPARAM removed, LPARAM argument) {
    static const UINT captureMessage = RegisterWindowMessageW(L"T815CapturePanel");
    static const UINT dpiMessage = RegisterWindowMessageW(L"T815ChangeDpi");
    auto* message = reinterpret_cast<MSG*>(argument);
    if (code == HC_ACTION && removed == PM_REMOVE && message->message == captureMessage) {
        capturePanel(message->hwnd, static_cast<unsigned long>(message->wParam));
        message->message = WM_NULL;
    } else if (code == HC_ACTION && removed == PM_REMOVE && message->message == dpiMessage) {
        const WORD dpi = static_cast<WORD>(message->wParam);
        RECT place{};
        GetWindowRect(message->hwnd, &place);
        SendMessageW(message->hwnd, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&place));
        message->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removed, argument);
}
