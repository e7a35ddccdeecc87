// Looks at t815-play's window from outside under Wine, as a user does: finds
// the top-level window titled "T-815", reads its panel's pixels back
// (through tests/player_capture_hook, in the player's process) and checks
// the panel's exact fill colours (the player runs with program index 13),
// plays the computer keyboard (Z twice, two octaves down, then A holds key
// 36) and the mouse (a press on key 36), sees the key drawn pressed and
// released again each time, tells the window the display's DPI became 192
// and sees it fit the panel at twice the size, then closes the window. Each key is held for
// `hold` milliseconds (the first argument), so that its sound lasts. Exit 0
// when all holds.
#include "panel_check_points.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

using namespace t815::test;

constexpr int kWidth = 920, kHeight = 430;

struct Probe {
    HWND window = nullptr;
    HWND panel = nullptr;
    UINT captureMessage = 0;
    HANDLE mapping = nullptr;
    HANDLE captured = nullptr;
    const std::uint32_t* pixels = nullptr; // bgrx, top row first
};

bool startCapture(Probe& probe, const char* hookPath) {
    const unsigned long id = GetCurrentProcessId();
    wchar_t name[64];
    std::swprintf(name, 64, L"T815PanelPixels.%lu", id);
    probe.mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                       kWidth * kHeight * 4, name);
    std::swprintf(name, 64, L"T815PanelCaptured.%lu", id);
    probe.captured = CreateEventW(nullptr, FALSE, FALSE, name);
    if (!probe.mapping || !probe.captured) return false;
    probe.pixels =
        static_cast<const std::uint32_t*>(MapViewOfFile(probe.mapping, FILE_MAP_READ, 0, 0, 0));
    HMODULE hook = LoadLibraryA(hookPath);
    auto procedure = hook ? reinterpret_cast<HOOKPROC>(
                                reinterpret_cast<void*>(GetProcAddress(hook, "captureHook")))
                          : nullptr;
    probe.captureMessage = RegisterWindowMessageW(L"T815CapturePanel");
    return probe.pixels && procedure &&
           SetWindowsHookExW(WH_GETMESSAGE, procedure, hook,
                             GetWindowThreadProcessId(probe.window, nullptr));
}

// The first point whose colour differs, or null when all match.
template <std::size_t N>
const PanelCheckPoint* firstMismatch(Probe& probe, const PanelCheckPoint (&points)[N]) {
    PostMessageW(probe.window, probe.captureMessage, GetCurrentProcessId(), 0);
    if (WaitForSingleObject(probe.captured, 2000) != WAIT_OBJECT_0) return &points[0];
    for (const PanelCheckPoint& point : points) {
        const std::uint32_t p = probe.pixels[static_cast<std::size_t>(point.y) * kWidth + point.x];
        if (((p >> 16) & 0xFF) != point.red || ((p >> 8) & 0xFF) != point.green ||
            (p & 0xFF) != point.blue)
            return &point;
    }
    return nullptr;
}

// Waits up to five seconds for every point to match.
template <std::size_t N>
bool waitForPoints(Probe& probe, const PanelCheckPoint (&points)[N], const char* what) {
    const PanelCheckPoint* mismatch = nullptr;
    for (int tries = 0; tries < 100; ++tries) {
        if (!(mismatch = firstMismatch(probe, points))) {
            std::printf("%s: every point matches\n", what);
            return true;
        }
        Sleep(50);
    }
    std::printf("%s: %s at (%d, %d) differs\n", what, mismatch->what, mismatch->x, mismatch->y);
    return false;
}

// A key message as the keyboard sends it: the first press, or the release.
void key(const Probe& probe, WPARAM virtualKey, bool press) {
    const LPARAM scan =
        static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(probe.window, press ? WM_KEYDOWN : WM_KEYUP, virtualKey,
                 press ? (scan | 1) : (scan | 1 | (LPARAM(1) << 30) | (LPARAM(1) << 31)));
}

// Waits up to five seconds for the window's client area to be width x height.
bool waitForClientSize(const Probe& probe, LONG width, LONG height, const char* what) {
    RECT client{};
    for (int tries = 0; tries < 100; ++tries) {
        if (GetClientRect(probe.window, &client) && client.right == width &&
            client.bottom == height) {
            std::printf("%s: the window is %ld x %ld\n", what, width, height);
            return true;
        }
        Sleep(50);
    }
    std::printf("%s: the window is %ld x %ld, not %ld x %ld\n", what, client.right, client.bottom,
                width, height);
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: player_window_probe_win32 HOOK.dll HOLD_MS\n");
        return 2;
    }
    const DWORD hold = static_cast<DWORD>(std::atoi(argv[2]));
    Probe probe;
    for (int tries = 0; tries < 400 && !probe.window; ++tries) {
        probe.window = FindWindowW(nullptr, L"T-815");
        if (!probe.window) Sleep(50);
    }
    if (!probe.window) {
        std::printf("no window titled T-815\n");
        return 1;
    }
    probe.panel = GetWindow(probe.window, GW_CHILD);
    if (!probe.panel || !startCapture(probe, argv[1])) {
        std::printf("the panel cannot be read back (panel %p)\n", static_cast<void*>(probe.panel));
        PostMessageW(probe.window, WM_CLOSE, 0, 0);
        return 1;
    }
    bool ok = waitForPoints(probe, kPanelCheckPoints, "the panel");

    key(probe, 'Z', true);
    key(probe, 'Z', false);
    key(probe, 'Z', true);
    key(probe, 'Z', false);
    key(probe, 'A', true);
    ok = waitForPoints(probe, kPressedKeyCheckPoints, "A held, two octaves down") && ok;
    Sleep(hold);
    key(probe, 'A', false);
    ok = waitForPoints(probe, kPanelCheckPoints, "A released") && ok;

    const LPARAM at = MAKELPARAM(160, 380); // white key 36
    PostMessageW(probe.panel, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ok = waitForPoints(probe, kPressedKeyCheckPoints, "key 36 held with the mouse") && ok;
    Sleep(hold);
    PostMessageW(probe.panel, WM_LBUTTONUP, 0, at);
    ok = waitForPoints(probe, kPanelCheckPoints, "key 36 let go") && ok;

    PostMessageW(probe.window, RegisterWindowMessageW(L"T815ChangeDpi"), 192, 0);
    ok = waitForClientSize(probe, 2 * kWidth, 2 * kHeight, "at 192 DPI") && ok;

    PostMessageW(probe.window, WM_CLOSE, 0, 0);
    return ok ? 0 : 1;
}
