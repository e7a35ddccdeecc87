// The panel's top-level window on X11: our own connection and window, with
// the panel opened inside it by the editor (which keeps its own connection)
// and driven by idleEditor from our loop. Key events reach our window from
// the panel's child too, as the panel selects none. Auto-repeat is made to
// send no releases (detectable auto-repeat), so a held key stays one press.
#include "player_window.h"

#include "computer_keyboard.h"
#include "instrument_operations.h"
#include "panel_editor.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <new>
#include <poll.h>

namespace t815 {

struct PlayerWindow {
    PluginInstance* instance = nullptr;
    Display* display = nullptr;
    Window window = 0;
    Atom deleteWindow = 0;
    bool closed = false;
    bool destroyed = false; // destroyed from outside: not ours to destroy again
    ComputerKeyboard keyboard;
};

namespace {

// The character a key carries, from its unshifted keysym (printable ASCII
// keysyms are the characters themselves); 0 for others.
char characterOf(XKeyEvent& event) {
    const KeySym symbol = XLookupKeysym(&event, 0);
    return symbol > XK_space && symbol < XK_asciitilde + 1 ? static_cast<char>(symbol) : 0;
}

void perform(PlayerWindow& window, KeyAction action) {
    if (action.kind == KeyAction::press) pressKey(*window.instance, action.key);
    if (action.kind == KeyAction::release) releaseKey(*window.instance, action.key);
}

void releaseAll(PlayerWindow& window) {
    releaseAllComputerKeys(window.keyboard,
                           [&](std::int32_t key) { releaseKey(*window.instance, key); });
}

// A fixed size: the panel's.
void fixSize(PlayerWindow& window, PanelSize panel) {
    XSizeHints* size = XAllocSizeHints();
    if (!size) return;
    size->flags = PMinSize | PMaxSize;
    size->min_width = size->max_width = panel.width;
    size->min_height = size->max_height = panel.height;
    XSetWMNormalHints(window.display, window.window, size);
    XFree(size);
}

void handle(PlayerWindow& window, XEvent& event) {
    switch (event.type) {
    case KeyPress:
        perform(window, computerKeyDown(window.keyboard, characterOf(event.xkey)));
        break;
    case KeyRelease:
        perform(window, computerKeyUp(window.keyboard, characterOf(event.xkey)));
        break;
    case FocusOut:
        releaseAll(window);
        break;
    case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == window.deleteWindow) window.closed = true;
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == window.window) window.closed = window.destroyed = true;
        break;
    default:
        break;
    }
}

} // namespace

PlayerWindow* openPlayerWindow(PluginInstance& instance, std::string& error) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        error = "cannot open the X display (is DISPLAY set?); --headless plays without a window";
        return nullptr;
    }
    auto* window = new (std::nothrow) PlayerWindow;
    if (!window) {
        XCloseDisplay(display);
        error = "out of memory";
        return nullptr;
    }
    window->instance = &instance;
    window->display = display;
    const int screen = DefaultScreen(display);
    const PanelSize panel = editorSize(instance); // at the display's scale (Xft.dpi)
    window->window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, panel.width, panel.height,
                            0, BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, window->window, "T-815");
    XClassHint classHint{const_cast<char*>("t815-play"), const_cast<char*>("T-815")};
    XSetClassHint(display, window->window, &classHint);
    fixSize(*window, panel);
    window->deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window->window, &window->deleteWindow, 1);
    XSelectInput(display, window->window,
                 KeyPressMask | KeyReleaseMask | FocusChangeMask | StructureNotifyMask);
    XkbSetDetectableAutoRepeat(display, True, nullptr);
    XMapWindow(display, window->window);
    XSync(display, False);
    if (!openEditor(instance, reinterpret_cast<void*>(window->window))) {
        error = "the panel could not be opened in the window";
        closePlayerWindow(window);
        return nullptr;
    }
    return window;
}

bool runPlayerWindow(PlayerWindow* window, int milliseconds) {
    pollfd connection{ConnectionNumber(window->display), POLLIN, 0};
    poll(&connection, 1, milliseconds);
    while (!window->closed && XPending(window->display) > 0) {
        XEvent event;
        XNextEvent(window->display, &event);
        handle(*window, event);
    }
    idleEditor(*window->instance);
    return !window->closed;
}

void fitPlayerWindowToPanel(PlayerWindow* window) {
    const PanelSize panel = editorSize(*window->instance);
    fixSize(*window, panel);
    XResizeWindow(window->display, window->window, panel.width, panel.height);
    XFlush(window->display);
}

void closePlayerWindow(PlayerWindow* window) {
    if (!window) return;
    releaseAll(*window);
    closeEditor(*window->instance);
    if (!window->destroyed) XDestroyWindow(window->display, window->window);
    XCloseDisplay(window->display);
    delete window;
}

} // namespace t815
