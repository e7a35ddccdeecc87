// Looks at t815-play's window from outside, as a user does, on the X
// server in DISPLAY: finds the top-level window titled "T-815", reads its
// pixels back from the screen and checks the panel's exact fill colours
// (the player runs with program index 13), plays the computer keyboard
// through XTest (Z twice, two octaves down, then A holds key 36) and then
// the mouse (a press on key 36), sees the key drawn pressed and released
// again each time, sets the X server's Xft.dpi to 192 and sees the window
// fit the panel at twice the size, then closes the window as a window
// manager does. After the panel's check, and while each key is held, it
// waits for a line on its input (or its end), so that the test can record
// the sound meanwhile. Exit 0 when all holds.
#include "panel_check_points.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

using namespace t815::test;

Window findWindow(Display* display, Window parent) {
    Window root = 0, parentOut = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &parentOut, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (std::strcmp(name, "T-815") == 0) found = children[i];
            XFree(name);
        }
    }
    if (children) XFree(children);
    return found;
}

// The first point whose colour differs, or null when all match.
template <std::size_t N>
const PanelCheckPoint* firstMismatch(Display* display, Window window,
                                     const PanelCheckPoint (&points)[N]) {
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), x, y, 920, 430, AllPlanes, ZPixmap);
    if (!image) return &points[0];
    const PanelCheckPoint* mismatch = nullptr;
    for (const PanelCheckPoint& point : points) {
        const unsigned long pixel = XGetPixel(image, point.x, point.y);
        if (((pixel >> 16) & 0xFF) != point.red || ((pixel >> 8) & 0xFF) != point.green ||
            (pixel & 0xFF) != point.blue) {
            mismatch = &point;
            break;
        }
    }
    XDestroyImage(image);
    return mismatch;
}

// Waits up to five seconds for every point to match.
template <std::size_t N>
bool waitForPoints(Display* display, Window window, const PanelCheckPoint (&points)[N],
                   const char* what) {
    const PanelCheckPoint* mismatch = nullptr;
    for (int tries = 0; tries < 100; ++tries) {
        if (!(mismatch = firstMismatch(display, window, points))) {
            std::printf("%s: every point matches\n", what);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::printf("%s: %s at (%d, %d) differs\n", what, mismatch->what, mismatch->x, mismatch->y);
    return false;
}

void tap(Display* display, KeySym symbol, bool press, bool release) {
    const KeyCode code = XKeysymToKeycode(display, symbol);
    if (press) XTestFakeKeyEvent(display, code, True, CurrentTime);
    if (release) XTestFakeKeyEvent(display, code, False, CurrentTime);
    XSync(display, False);
}

// Waits up to five seconds for the window to be width x height.
bool waitForSize(Display* display, Window window, int width, int height, const char* what) {
    XWindowAttributes attributes{};
    for (int tries = 0; tries < 100; ++tries) {
        if (XGetWindowAttributes(display, window, &attributes) && attributes.width == width &&
            attributes.height == height) {
            std::printf("%s: the window is %d x %d\n", what, width, height);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::printf("%s: the window is %d x %d, not %d x %d\n", what, attributes.width,
                attributes.height, width, height);
    return false;
}

// Waits until the test has done what it does at this step.
void awaitTest() {
    char line[16];
    if (!std::fgets(line, sizeof line, stdin)) return;
}

} // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // the test acts on each line as it comes
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::printf("no X display\n");
        return 1;
    }
    Window window = 0;
    for (int tries = 0; tries < 100 && !window; ++tries) {
        window = findWindow(display, DefaultRootWindow(display));
        if (!window) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!window) {
        std::printf("no window titled T-815\n");
        return 1;
    }
    bool ok = waitForPoints(display, window, kPanelCheckPoints, "the panel");
    awaitTest();

    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    tap(display, XK_z, true, true);
    tap(display, XK_z, true, true);
    tap(display, XK_a, true, false);
    ok = waitForPoints(display, window, kPressedKeyCheckPoints, "A held, two octaves down") && ok;
    awaitTest();
    tap(display, XK_a, false, true);
    ok = waitForPoints(display, window, kPanelCheckPoints, "A released") && ok;

    int x = 0, y = 0; // white key 36 on the screen
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 160, 380, &x, &y, &child);
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
    XTestFakeButtonEvent(display, Button1, True, CurrentTime);
    XSync(display, False);
    ok = waitForPoints(display, window, kPressedKeyCheckPoints, "key 36 held with the mouse") && ok;
    awaitTest();
    XTestFakeButtonEvent(display, Button1, False, CurrentTime);
    XSync(display, False);
    ok = waitForPoints(display, window, kPanelCheckPoints, "key 36 let go") && ok;

    const char resources[] = "Xft.dpi:\t192\n";
    XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(resources),
                    static_cast<int>(sizeof resources - 1));
    XSync(display, False);
    ok = waitForSize(display, window, 2 * 920, 2 * 430, "at 192 DPI") && ok;

    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &close);
    XSync(display, False);
    XCloseDisplay(display);
    return ok ? 0 : 1;
}
