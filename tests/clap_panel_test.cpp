// The CLAP face's panel in a real window system, as a CLAP host embeds it:
// on Linux in a window of the test's own on a private Xvfb server, driven
// only by the host timer the plug-in registers (CLAP hosts make no other
// idle call); on Windows in a host window under Wine, driven by its message
// loop. The pixels are read back at the shared check points; hiding,
// showing again, and destroying the instance with the panel open leave no
// window and no timer behind.
#include "clap_host_fixture.h"
#include "panel_check_points.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <utility>

#ifdef _WIN32
#include "gdi_readback.h"
#else
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#endif

namespace t815::test {
namespace {

using namespace std::chrono_literals;

struct Colour {
    int red, green, blue;
    bool operator==(const Colour& o) const {
        return red == o.red && green == o.green && blue == o.blue;
    }
};

std::ostream& operator<<(std::ostream& out, const Colour& c) {
    return out << "(" << c.red << "," << c.green << "," << c.blue << ")";
}

#ifdef _WIN32

// The host's top-level window and its message loop.
struct HostWindow {
    HWND window = nullptr;
    HostWindow() {
        static const ATOM hostClass = [] {
            WNDCLASSEXW windowClass{};
            windowClass.cbSize = sizeof windowClass;
            windowClass.lpfnWndProc = DefWindowProcW;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"T815ClapTestHost";
            return RegisterClassExW(&windowClass);
        }();
        if (!hostClass) return;
        window = CreateWindowExW(0, L"T815ClapTestHost", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 960,
                                 480, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (window) ShowWindow(window, SW_SHOWNORMAL); // a hidden parent paints no child
    }
    ~HostWindow() {
        if (window) DestroyWindow(window);
    }
    bool usable() const { return window != nullptr; }
    clap_window handle() const {
        clap_window w{CLAP_WINDOW_API_WIN32, {}};
        w.win32 = window;
        return w;
    }
    void run(ClapInstance&) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    int children() const {
        int count = 0;
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            ++count;
        return count;
    }
    std::pair<int, int> childSize() const {
        RECT area{};
        GetClientRect(GetWindow(window, GW_CHILD), &area);
        return {area.right, area.bottom};
    }
    // What Windows sends a window when the display's DPI changes.
    void changeDisplayDpi(int dpi) {
        RECT suggested{0, 0, 920 * dpi / 96, 430 * dpi / 96};
        SendMessageW(GetWindow(window, GW_CHILD), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
    }
    Colour pixel(int x, int y) const {
        HWND child = GetWindow(window, GW_CHILD);
        if (!child) return {-1, -1, -1};
        const Rgb c = readWindow(child, 920, 430).at(x, y);
        return {c.red, c.green, c.blue};
    }
};

#else

// The host's top-level window on the test's own X connection; the host's
// timer is all that runs the panel.
struct HostWindow {
    Display* display = nullptr;
    Window window = 0;
    HostWindow() {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name || !(display = XOpenDisplay(nullptr))) return;
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 920, 430, 0, 0,
                                     BlackPixel(display, DefaultScreen(display)));
        XMapWindow(display, window);
        XSync(display, False);
    }
    ~HostWindow() {
        if (!display) return;
        if (resourcesChanged)
            XDeleteProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER);
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    }
    // What xrdb does for a desktop's new DPI: the server's resources replaced.
    bool resourcesChanged = false;
    void changeDisplayDpi(int dpi) {
        const std::string text = "Xft.dpi:\t" + std::to_string(dpi) + "\n";
        XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(text.data()),
                        int(text.size()));
        XSync(display, False);
        resourcesChanged = true;
    }
    bool usable() const { return display != nullptr; }
    clap_window handle() const {
        clap_window w{CLAP_WINDOW_API_X11, {}};
        w.x11 = window;
        return w;
    }
    void run(ClapInstance& clap) {
        XSync(display, False);
        for (clap_id id : clap.host.liveTimers)
            timerSupport(clap)->on_timer(clap.plugin, id);
        const auto* fdSupport = static_cast<const clap_plugin_posix_fd_support*>(
            clap.plugin->get_extension(clap.plugin, CLAP_EXT_POSIX_FD_SUPPORT));
        for (int fd : std::vector<int>(clap.host.liveFds)) {
            pollfd watched{fd, POLLIN, 0};
            if (poll(&watched, 1, 0) == 1) fdSupport->on_fd(clap.plugin, fd, CLAP_POSIX_FD_READ);
        }
    }
    static const clap_plugin_timer_support* timerSupport(ClapInstance& clap) {
        return static_cast<const clap_plugin_timer_support*>(
            clap.plugin->get_extension(clap.plugin, CLAP_EXT_TIMER_SUPPORT));
    }
    int children() const {
        Window root, up, *list = nullptr;
        unsigned count = 0;
        XQueryTree(display, window, &root, &up, &list, &count);
        if (list) XFree(list);
        return static_cast<int>(count);
    }
    std::pair<int, int> childSize() const {
        Window root, up, *list = nullptr;
        unsigned count = 0;
        XQueryTree(display, window, &root, &up, &list, &count);
        const Window child = count ? list[count - 1] : 0;
        if (list) XFree(list);
        XWindowAttributes attributes{};
        if (child) XGetWindowAttributes(display, child, &attributes);
        return {attributes.width, attributes.height};
    }
    Colour pixel(int x, int y) const {
        Window root, up, *list = nullptr;
        unsigned count = 0;
        XQueryTree(display, window, &root, &up, &list, &count);
        const Window child = count ? list[count - 1] : 0;
        if (list) XFree(list);
        if (!child) return {-1, -1, -1};
        XImage* image = XGetImage(display, child, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return {-1, -1, -1};
        const unsigned long value = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return {int((value >> 16) & 255), int((value >> 8) & 255), int(value & 255)};
    }
};

#endif

Colour expected(const PanelCheckPoint& point) {
    return {point.red, point.green, point.blue};
}

// Runs the host's loop, as its ~30 ms timer would, until the condition
// holds or three seconds have passed (a loaded machine).
bool runUntil(HostWindow& host, ClapInstance& clap, const std::function<bool()>& condition) {
    for (auto end = std::chrono::steady_clock::now() + 3s; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(5ms)) {
        host.run(clap);
        if (condition()) return true;
    }
    return false;
}

TEST(ClapPanel, EmbedsThePanelPaintsItExactlyAndClosesWithTheInstance) {
    HostWindow host;
    if (!host.usable()) GTEST_SKIP() << "no window system";
    auto clap = std::make_unique<ClapInstance>();
    ASSERT_NE(clap->gui, nullptr);
    InputEvents select({paramEvent(0, 5, 13)});
    clap->params->flush(clap->plugin, &select.list, nullptr);

    const clap_window parent = host.handle();
    ASSERT_TRUE(clap->gui->create(clap->plugin, parent.api, false));
    ASSERT_TRUE(clap->gui->set_parent(clap->plugin, &parent));
    ASSERT_TRUE(clap->gui->show(clap->plugin));
    EXPECT_EQ(host.children(), 1);
    const PanelCheckPoint& lamp = kPanelCheckPoints[4];
    ASSERT_TRUE(
        runUntil(host, *clap, [&] { return host.pixel(lamp.x, lamp.y) == expected(lamp); }));
    for (const PanelCheckPoint& point : kPanelCheckPoints)
        EXPECT_EQ(host.pixel(point.x, point.y), expected(point)) << point.what;

    ASSERT_TRUE(clap->gui->hide(clap->plugin));
    EXPECT_EQ(host.children(), 0);
    ASSERT_TRUE(clap->gui->show(clap->plugin));
    EXPECT_EQ(host.children(), 1);
    ASSERT_TRUE(
        runUntil(host, *clap, [&] { return host.pixel(lamp.x, lamp.y) == expected(lamp); }));

    // Destroyed with the panel open: the panel goes first.
    clap.reset();
    EXPECT_EQ(host.children(), 0);
}

TEST(ClapPanel, ANewScaleResizesTheOpenPanelAndAsksTheHostToFollow) {
    HostWindow host;
    if (!host.usable()) GTEST_SKIP() << "no window system";
    auto clap = std::make_unique<ClapInstance>();
    const clap_window parent = host.handle();
    ASSERT_TRUE(clap->gui->create(clap->plugin, parent.api, false));
    ASSERT_TRUE(clap->gui->set_scale(clap->plugin, 1.25));
    ASSERT_TRUE(clap->gui->set_parent(clap->plugin, &parent));
    ASSERT_TRUE(clap->gui->show(clap->plugin));
    host.run(*clap);
    EXPECT_EQ(host.childSize(), std::make_pair(1150, 538));
    EXPECT_TRUE(clap->host.resizeRequests.empty());       // opened at the size the host asked for
    ASSERT_TRUE(clap->gui->set_scale(clap->plugin, 0.5)); // 1, the least
    ASSERT_TRUE(clap->gui->set_scale(clap->plugin, 1.0)); // no change: nothing asked
    host.run(*clap);
    EXPECT_EQ(host.childSize(), std::make_pair(920, 430));
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> asked{{920, 430}};
    EXPECT_EQ(clap->host.resizeRequests, asked);
    const PanelCheckPoint& lamp = kPanelCheckPoints[4];
    EXPECT_TRUE(
        runUntil(host, *clap, [&] { return host.pixel(lamp.x, lamp.y) == expected(lamp); }));
    clap->gui->destroy(clap->plugin);
}

TEST(ClapPanel, TheDisplaysDpiChangingResizesTheOpenPanelAndAsksTheHostToFollow) {
    HostWindow host;
    if (!host.usable()) GTEST_SKIP() << "no window system";
    auto clap = std::make_unique<ClapInstance>();
    const clap_window parent = host.handle();
    ASSERT_TRUE(clap->gui->create(clap->plugin, parent.api, false));
    ASSERT_TRUE(clap->gui->set_parent(clap->plugin, &parent));
    ASSERT_TRUE(clap->gui->show(clap->plugin));
    host.run(*clap);
    ASSERT_EQ(host.childSize(), std::make_pair(920, 430)); // a display at 96 DPI
    host.changeDisplayDpi(192);
    EXPECT_TRUE(
        runUntil(host, *clap, [&] { return host.childSize() == std::make_pair(1840, 860); }));
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> asked{{1840, 860}};
    EXPECT_EQ(clap->host.resizeRequests, asked);
    clap->gui->destroy(clap->plugin);
}

TEST(ClapPanel, TheTimerComesAndGoesWithThePanel) {
    HostWindow host;
    if (!host.usable()) GTEST_SKIP() << "no window system";
    ClapInstance clap;
    const clap_window parent = host.handle();
    ASSERT_TRUE(clap.gui->create(clap.plugin, parent.api, false));
    ASSERT_TRUE(clap.gui->set_parent(clap.plugin, &parent));
#ifndef _WIN32
    EXPECT_EQ(clap.host.liveTimers.size(), 1u);
#endif
    clap.gui->destroy(clap.plugin);
    EXPECT_TRUE(clap.host.liveTimers.empty());
    EXPECT_EQ(host.children(), 0);
    // Created again after a destroy, it opens again.
    ASSERT_TRUE(clap.gui->create(clap.plugin, parent.api, false));
    ASSERT_TRUE(clap.gui->set_parent(clap.plugin, &parent));
    EXPECT_EQ(host.children(), 1);
}

#ifndef _WIN32
// A host without timers that watches descriptors drives the panel through
// its X connection: the window's first events paint it.
TEST(ClapPanel, WithoutTimersTheHostWatchesThePanelsConnection) {
    HostWindow host;
    if (!host.usable()) GTEST_SKIP() << "no window system";
    ClapInstance clap(false, true);
    const clap_window parent = host.handle();
    ASSERT_TRUE(clap.gui->create(clap.plugin, parent.api, false));
    ASSERT_TRUE(clap.gui->set_parent(clap.plugin, &parent));
    EXPECT_TRUE(clap.host.liveTimers.empty());
    ASSERT_EQ(clap.host.liveFds.size(), 1u);
    const PanelCheckPoint& lamp = kPanelCheckPoints[4];
    EXPECT_TRUE(runUntil(host, clap, [&] { return host.pixel(lamp.x, lamp.y) == expected(lamp); }));
    clap.gui->destroy(clap.plugin);
    EXPECT_TRUE(clap.host.liveFds.empty());
}
#endif

} // namespace
} // namespace t815::test
