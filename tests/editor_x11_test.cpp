// The Linux panel in a real X server (Xvfb, started by run_under_xvfb.sh):
// a test host makes a parent window, opens the editor through the real
// t815.so, drives it with effEditIdle as Linux hosts do, reads the child
// window's pixels back and clicks on it through the XTEST extension. The
// effects are checked through the plug-in's public interface. The NoDisplay
// cases run in a separate process without DISPLAY.
#include "panel_check_points.h"
#include "panel_snapshot.h"
#include "panel_state.h"
#include "plugin_host_fixture.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <utility>

#include <unistd.h>

namespace t815::test {
namespace {

using namespace std::chrono_literals;

bool hasDisplay() {
    const char* name = std::getenv("DISPLAY");
    return name && *name;
}

struct Colour {
    int red, green, blue;
    bool operator==(const Colour& o) const {
        return red == o.red && green == o.green && blue == o.blue;
    }
    bool operator!=(const Colour& o) const { return !(*this == o); }
};

std::ostream& operator<<(std::ostream& out, const Colour& c) {
    return out << "(" << c.red << "," << c.green << "," << c.blue << ")";
}

Colour expected(const PanelCheckPoint& point) {
    return {point.red, point.green, point.blue};
}

// The test's own connection: the host's windows and the simulated user.
class X11PanelTest : public PluginTest {
  protected:
    Display* display = nullptr;
    Window parent = 0;

    void SetUp() override {
        if (!hasDisplay()) GTEST_SKIP() << "no DISPLAY: run through run_under_xvfb.sh";
        PluginTest::SetUp();
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        int event, error, major, minor;
        ASSERT_TRUE(XTestQueryExtension(display, &event, &error, &major, &minor));
        parent = makeParent(0);
    }
    void TearDown() override {
        PluginTest::TearDown(); // effClose, with the editor open in some cases
        if (display) {
            for (unsigned which : {1u, 2u, 3u}) // a test may end with a button held
                button(which, false);
            XDestroyWindow(display, parent);
            XCloseDisplay(display);
        }
    }

    // A mapped top-level window at the screen's left edge (there is no
    // window manager); at the top, panel and screen coordinates agree.
    Window makeParent(int y) {
        Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, y, 920, 430, 0,
                                            0, BlackPixel(display, DefaultScreen(display)));
        XMapWindow(display, window);
        XSync(display, False);
        return window;
    }

    VstIntPtr openOn(AEffect* on, Window window) {
        return on->dispatcher(on, effEditOpen, 0, 0,
                              reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)), 0.0f);
    }
    VstIntPtr open() { return openOn(effect, parent); }
    void idle(AEffect* on = nullptr) {
        on = on ? on : effect;
        EXPECT_EQ(on->dispatcher(on, effEditIdle, 0, 0, nullptr, 0.0f), 0);
    }

    // Idles like a host (every few milliseconds) until the condition holds
    // or three seconds have passed (a loaded machine).
    bool idleUntil(const std::function<bool()>& condition, AEffect* on = nullptr,
                   std::chrono::milliseconds limit = 3000ms) {
        for (auto end = std::chrono::steady_clock::now() + limit;
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(5ms)) {
            XSync(display, False);
            idle(on);
            if (condition()) return true;
        }
        return false;
    }
    // Idles like a host for a while, for what must not happen.
    void idleFor(std::chrono::milliseconds span) {
        idleUntil([] { return false; }, nullptr, span);
    }

    Window panelWindow(Window of) {
        Window root, up, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display, of, &root, &up, &children, &count);
        const Window child = count ? children[count - 1] : 0;
        if (children) XFree(children);
        return child;
    }
    int childCount(Window of) {
        Window root, up, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display, of, &root, &up, &children, &count);
        if (children) XFree(children);
        return static_cast<int>(count);
    }

    Colour pixel(int x, int y, Window of = 0) {
        const Window window = panelWindow(of ? of : parent);
        if (!window) return {-1, -1, -1};
        XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return {-1, -1, -1};
        const unsigned long value = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return {int((value >> 16) & 255), int((value >> 8) & 255), int(value & 255)};
    }
    bool showsAt(const PanelCheckPoint& point, Window of = 0) {
        return pixel(point.x, point.y, of) == expected(point);
    }
    template <std::size_t N> void expectPoints(const PanelCheckPoint (&points)[N]) {
        for (const PanelCheckPoint& point : points)
            EXPECT_EQ(pixel(point.x, point.y), expected(point)) << point.what;
    }

    // The simulated user, on the real server's input queue.
    void moveTo(int x, int y) {
        XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
        XSync(display, False);
    }
    void button(unsigned which, bool down) {
        XTestFakeButtonEvent(display, which, down, CurrentTime);
        XSync(display, False);
    }
    void click(int x, int y, unsigned which = 1) {
        moveTo(x, y);
        button(which, true);
        button(which, false);
    }

    std::pair<int, int> windowSize() {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, panelWindow(parent), &attributes);
        return {attributes.width, attributes.height};
    }

    // Pixels of the panel window that differ from the plug-in's snapshot of
    // the same size, over the part the screen shows; -1 when either cannot
    // be had.
    int pixelsUnlikeSnapshot(int width, int height) {
        std::vector<std::uint8_t> snapshot(std::size_t(width) * height * 4);
        if (dispatch(effVendorSpecific, kPanelSnapshotIndex, width * 4, snapshot.data()) != 1)
            return -1;
        const int shownWidth = std::min(width, DisplayWidth(display, DefaultScreen(display)));
        const int shownHeight = std::min(height, DisplayHeight(display, DefaultScreen(display)));
        XImage* image = XGetImage(display, panelWindow(parent), 0, 0, unsigned(shownWidth),
                                  unsigned(shownHeight), AllPlanes, ZPixmap);
        if (!image) return -1;
        int differing = 0;
        for (int y = 0; y < shownHeight; ++y)
            for (int x = 0; x < shownWidth; ++x) {
                const unsigned long value = XGetPixel(image, x, y);
                const std::uint8_t* p = &snapshot[(std::size_t(y) * width + x) * 4];
                differing += ((value >> 16) & 255) != p[0] || ((value >> 8) & 255) != p[1] ||
                             (value & 255) != p[2];
            }
        XDestroyImage(image);
        return differing;
    }

    bool keyHeldInCore(int key) { return keyHeld(readHeldKeys(instance()), key); }
    float parameter(int index) {
        const float value = effect->getParameter(effect, index);
        return value;
    }
};

const PanelCheckPoint& pointNamed(const char* what) {
    for (const PanelCheckPoint& point : kPanelCheckPoints)
        if (std::string(point.what) == what) return point;
    for (const PanelCheckPoint& point : kPressedKeyCheckPoints)
        if (std::string(point.what) == what) return point;
    throw std::logic_error(what);
}

TEST_F(X11PanelTest, OpensAChildOfTheHostWindowAndPaintsThePanelExactly) {
    dispatch(effSetProgram, 0, 13);
    ASSERT_EQ(open(), 1);
    EXPECT_EQ(childCount(parent), 1);
    ASSERT_TRUE(idleUntil([&] { return showsAt(pointNamed("power lamp")); }));
    expectPoints(kPanelCheckPoints);
    // The window shows the off-screen image whole, pixel for pixel.
    EXPECT_EQ(pixelsUnlikeSnapshot(920, 430), 0);
}

// The root window's X resources for the length of a test: what a desktop
// sets for its programs (xrdb), read by the connections opened meanwhile.
struct ScreenResources {
    Display* display;
    ScreenResources(Display* display, const char* text) : display(display) { set(text); }
    // What xrdb does: the property replaced, every client watching told.
    void set(const char* text) {
        XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(text),
                        int(std::strlen(text)));
        XSync(display, False);
    }
    ~ScreenResources() {
        XDeleteProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER);
        XSync(display, False);
    }
};

TEST_F(X11PanelTest, TheScreensDpiThenTheHostsScaleSizeThePanelWhichAsksTheHostToFollow) {
    ScreenResources resources(display, "Xft.antialias:\t1\nXft.dpi:\t192\n");
    XResizeWindow(display, parent, 1840, 860);
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right, 1840);
    EXPECT_EQ(rect->bottom, 860);
    ASSERT_EQ(open(), 1);
    EXPECT_EQ(windowSize(), std::make_pair(1840, 860));
    EXPECT_TRUE(idleUntil([&] { return pixelsUnlikeSnapshot(1840, 860) == 0; }));

    // The host's scale wins over the screen's, and the open panel follows
    // it and asks the host to resize, where the host can.
    hostRecord.canSizeWindow = true;
    const struct {
        float factor;
        bool hostCanResize;
        int width, height, sizeWindowCalls;
    } steps[] = {
        {1.5f, true, 1380, 645, 1},
        {1.5f, true, 1380, 645, 1}, // no change, nothing asked
        {1.0f, false, 920, 430, 1},
    };
    for (const auto& step : steps) {
        hostRecord.canSizeWindow = step.hostCanResize;
        EXPECT_EQ(
            dispatch(effVendorSpecific, kEditorScaleIndex, kEditorScaleValue, nullptr, step.factor),
            1);
        EXPECT_EQ(windowSize(), std::make_pair(step.width, step.height)) << step.factor;
        EXPECT_EQ(hostRecord.sizeWindowCalls, step.sizeWindowCalls) << step.factor;
        ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
        EXPECT_EQ(rect->right, step.width);
        EXPECT_TRUE(idleUntil([&] { return pixelsUnlikeSnapshot(step.width, step.height) == 0; }))
            << step.factor;
    }
    EXPECT_EQ(hostRecord.sizeWindowWidth, 1380);
    EXPECT_EQ(hostRecord.sizeWindowHeight, 645);
}

// The server's Xft.dpi changing while the panel is open (a desktop's new
// setting, sent with xrdb) rescales it and asks the host to follow; a
// host's own scale holds against it.
TEST_F(X11PanelTest, TheServersDpiChangingRescalesTheOpenPanelUnlessTheHostGaveAScale) {
    ScreenResources resources(display, "Xft.dpi:\t96\n");
    hostRecord.canSizeWindow = true;
    ASSERT_EQ(open(), 1);
    idle();
    EXPECT_EQ(windowSize(), std::make_pair(920, 430));
    resources.set("Xft.antialias:\t1\nXft.dpi:\t192\n");
    ASSERT_TRUE(idleUntil([&] { return windowSize() == std::make_pair(1840, 860); }));
    EXPECT_EQ(hostRecord.sizeWindowCalls, 1);
    EXPECT_EQ(hostRecord.sizeWindowWidth, 1840);
    EXPECT_EQ(hostRecord.sizeWindowHeight, 860);
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(std::make_pair(int(rect->right), int(rect->bottom)), std::make_pair(1840, 860));
    XResizeWindow(display, parent, 1840, 860); // the host follows
    EXPECT_TRUE(idleUntil([&] { return pixelsUnlikeSnapshot(1840, 860) == 0; }));

    ASSERT_EQ(dispatch(effVendorSpecific, kEditorScaleIndex, kEditorScaleValue, nullptr, 1.0f), 1);
    EXPECT_EQ(hostRecord.sizeWindowCalls, 2);
    resources.set("Xft.dpi:\t144\n");
    idleFor(200ms);
    EXPECT_EQ(windowSize(), std::make_pair(920, 430));
    EXPECT_EQ(hostRecord.sizeWindowCalls, 2);
}

TEST_F(X11PanelTest, ButtonsKnobsAndWheelWorkWithTheRealPointer) {
    ASSERT_EQ(open(), 1);
    idle();
    // Timbre button 7: program 07 (index 7), host told.
    click(206 + 24 * 7 + 11, 165);
    ASSERT_TRUE(idleUntil([&] { return dispatch(effGetProgram) == 7; }));
    EXPECT_GE(hostRecord.updateDisplayCalls.load(), 1);
    // The volume knob dragged up by 10 pixels under the grab, released far
    // outside the window.
    const float before = parameter(kParamVolume);
    moveTo(376, 82);
    button(1, true);
    moveTo(376, 72);
    ASSERT_TRUE(idleUntil([&] { return parameter(kParamVolume) != before; }));
    EXPECT_FLOAT_EQ(parameter(kParamVolume), before + 0.1f);
    moveTo(376, 900);
    button(1, false);
    idleFor(200ms); // the release is taken; the drag is over
    moveTo(376, 50);
    idle();
    EXPECT_FLOAT_EQ(parameter(kParamVolume), 0.0f); // the last drag position, 900, clamped
    // The wheel jumps to the pointer; the right button anywhere resets it.
    click(82, 300);
    ASSERT_TRUE(idleUntil([&] { return !showsAt(pointNamed("wheel marker at 0")); }));
    click(700, 300, 3);
    ASSERT_TRUE(idleUntil([&] { return showsAt(pointNamed("wheel marker at 0")); }));
    // The middle button and the scroll wheel do nothing.
    for (unsigned which : {2u, 4u, 5u})
        click(206 + 11, 165, which);
    idleFor(200ms);
    EXPECT_EQ(dispatch(effGetProgram), 7);
}

TEST_F(X11PanelTest, AMouseHeldKeySoundsAndShowsUntilReleased) {
    ASSERT_EQ(open(), 1);
    moveTo(160, 380);
    button(1, true);
    ASSERT_TRUE(idleUntil([&] { return keyHeldInCore(36); }));
    EXPECT_FALSE(allZero(render(2048).left));
    ASSERT_TRUE(idleUntil([&] { return showsAt(kPressedKeyCheckPoints[0]); }));
    expectPoints(kPressedKeyCheckPoints);
    button(1, false);
    ASSERT_TRUE(idleUntil([&] { return !keyHeldInCore(36); }));
    EXPECT_TRUE(idleUntil([&] { return showsAt(pointNamed("white key 36 body")); }));
    // A MIDI note asks for no repaint: the idle's 35 ms timer shows it.
    noteOn(36);
    ASSERT_TRUE(keyHeldInCore(36));
    EXPECT_TRUE(idleUntil([&] { return showsAt(kPressedKeyCheckPoints[0]); }));
}

// A host that opens the panel and renders no audio at all: the panel's timer
// brings each change to the core, so it shows within two timer periods, and
// audio later resumes from there.
TEST_F(X11PanelTest, WithNoAudioEveryChangeShowsAndAudioResumesFromThere) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr auto kSoon = 500ms; // instrumented code paints slower
#else
    constexpr auto kSoon = 100ms;
#endif
    ASSERT_EQ(open(), 1);
    ASSERT_TRUE(idleUntil([&] { return showsAt(pointNamed("white key 36 body")); }));
    std::this_thread::sleep_for(60ms); // longer than the audio may stay away
    auto showsSoon = [&](const PanelCheckPoint& point) {
        return idleUntil([&] { return showsAt(point); }, nullptr, kSoon);
    };
    moveTo(160, 380);
    button(1, true);
    EXPECT_TRUE(showsSoon(kPressedKeyCheckPoints[0]));
    button(1, false);
    EXPECT_TRUE(showsSoon(pointNamed("white key 36 body"))); // its note-off reached the core
    noteOn(36);
    EXPECT_TRUE(showsSoon(kPressedKeyCheckPoints[0]));
    noteOff(36);
    EXPECT_TRUE(showsSoon(pointNamed("white key 36 body")));
    sendMidi({midiEvent(0xC0, 13, 0)});
    EXPECT_TRUE(showsSoon(pointNamed("list cell, current (15)")));
    EXPECT_EQ(static_cast<PluginInstance*>(effect->object)->blocksTaken.load(), 0u);
    noteOn(48);
    EXPECT_TRUE(soundsLikeAFreshInstanceGiven({midiEvent(0x90, 36, 100), midiEvent(0x80, 36, 0),
                                               midiEvent(0x90, 36, 100), midiEvent(0x80, 36, 0),
                                               midiEvent(0xC0, 13, 0), midiEvent(0x90, 48, 100)}));
}

TEST_F(X11PanelTest, TheAboutOverlayOpensOnTheLogoAndTheNextClickOnlyClosesIt) {
    ASSERT_EQ(open(), 1);
    click(600, 60);
    ASSERT_TRUE(idleUntil([&] { return showsAt(kAboutCheckPoints[0]); }));
    expectPoints(kAboutCheckPoints);
    click(160, 380); // on a key: no note
    ASSERT_TRUE(idleUntil([&] { return !showsAt(kAboutCheckPoints[0]); }));
    EXPECT_FALSE(keyHeldInCore(36));
}

// A press ends, with its note, however the press is cut off.
TEST_F(X11PanelTest, AHiddenWindowAClosedEditorOrAClosedPluginEndsAPress) {
    ASSERT_EQ(open(), 1);
    moveTo(160, 380);
    button(1, true);
    ASSERT_TRUE(idleUntil([&] { return keyHeldInCore(36); }));
    XUnmapWindow(display, parent); // the host hides its window: the grab breaks
    EXPECT_TRUE(idleUntil([&] { return !keyHeldInCore(36); }));
    button(1, false);
    XMapWindow(display, parent);

    moveTo(160, 380);
    button(1, true);
    ASSERT_TRUE(idleUntil([&] { return keyHeldInCore(36); }));
    EXPECT_EQ(dispatch(effEditClose), 1);
    EXPECT_FALSE(keyHeldInCore(36));
    EXPECT_EQ(childCount(parent), 0);
    button(1, false);

    ASSERT_EQ(open(), 1);
    moveTo(160, 380);
    button(1, true);
    ASSERT_TRUE(idleUntil([&] { return keyHeldInCore(36); }));
    // TearDown's effClose with the editor open and the button down.
}

TEST_F(X11PanelTest, IdleBeforeOpenAfterCloseAndReopeningAreSafe) {
    idle();
    ASSERT_EQ(open(), 1);
    ASSERT_EQ(open(), 1); // a second open replaces the first window
    EXPECT_EQ(childCount(parent), 1);
    EXPECT_EQ(dispatch(effEditClose), 1);
    EXPECT_EQ(childCount(parent), 0);
    idle();
    EXPECT_EQ(dispatch(effEditClose), 1);
    ASSERT_EQ(open(), 1);
    EXPECT_TRUE(idleUntil([&] { return showsAt(kPanelCheckPoints[0]); }));
    // The host destroys its window before closing the editor.
    XDestroyWindow(display, parent);
    XSync(display, False);
    idle();
    EXPECT_EQ(dispatch(effEditClose), 1);
    parent = makeParent(0);
    EXPECT_EQ(open(), 1);
    // No window of this server: no panel.
    EXPECT_EQ(openOn(effect, 0x7ffffff0), 0);
    EXPECT_EQ(instance().editorWindow.load(), nullptr);
}

// A host that answers the panel's display update by idling and closing the
// editor from inside its callback.
VstIntPtr VSTCALLBACK closingHost(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                  float) {
    if (opcode == audioMasterUpdateDisplay && effect) {
        effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
        effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
    }
    return 0;
}

TEST_F(X11PanelTest, AHostClosingTheEditorFromItsCallbackDuringIdleIsServedAfterTheIdle) {
    AEffect* callingBack = pluginEntry()(closingHost);
    ASSERT_NE(callingBack, nullptr);
    ASSERT_EQ(openOn(callingBack, parent), 1);
    click(206 + 24 * 3 + 11, 165); // timbre button 3: program select tells the host
    EXPECT_TRUE(idleUntil([&] { return childCount(parent) == 0; }, callingBack));
    EXPECT_EQ(callingBack->dispatcher(callingBack, effGetProgram, 0, 0, nullptr, 0.0f), 3);
    EXPECT_EQ(callingBack->dispatcher(callingBack, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST_F(X11PanelTest, TwoInstancesShowTheirOwnPanelsIdledFromAnotherThread) {
    AEffect* second = pluginEntry()(recordingHost);
    ASSERT_NE(second, nullptr);
    const Window secondParent = makeParent(500); // not covering the first
    second->dispatcher(second, effSetProgram, 0, 13, nullptr, 0.0f);
    ASSERT_EQ(open(), 1);
    ASSERT_EQ(openOn(second, secondParent), 1);
    // The second host idles from a thread of its own while the first idles
    // here and parameters and programs change from a third.
    std::atomic<bool> stop{false};
    std::thread hostIdle([&] {
        while (!stop) {
            second->dispatcher(second, effEditIdle, 0, 0, nullptr, 0.0f);
            std::this_thread::sleep_for(2ms);
        }
    });
    std::thread changes([&] {
        for (int i = 0; i < 200 && !stop; ++i) {
            second->setParameter(second, kParamVolume, (i % 10) / 10.0f);
            std::this_thread::sleep_for(1ms);
        }
    });
    const PanelCheckPoint& current = pointNamed("list cell, current (15)");
    EXPECT_TRUE(idleUntil([&] { return showsAt(current, secondParent); }));
    EXPECT_TRUE(idleUntil([&] { return showsAt(kPanelCheckPoints[0]); }));
    EXPECT_NE(pixel(current.x, current.y, parent), expected(current));
    stop = true;
    hostIdle.join();
    changes.join();
    EXPECT_EQ(second->dispatcher(second, effClose, 0, 0, nullptr, 0.0f), 1);
    XDestroyWindow(display, secondParent);
}

// Without an X server.
class NoDisplayTest : public PluginTest {
    void SetUp() override {
        if (hasDisplay()) GTEST_SKIP() << "runs without DISPLAY";
        PluginTest::SetUp();
    }
};

TEST_F(NoDisplayTest, OpenAnswers0AndNothingElseChanges) {
    EXPECT_EQ(effect->flags, 0x111);
    dispatch(effEditIdle);
    long fakeWindow = 1234;
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &fakeWindow), 0);
    EXPECT_EQ(instance().editorWindow.load(), nullptr);
    EXPECT_EQ(dispatch(effEditIdle), 0);
    EXPECT_EQ(dispatch(effEditClose), 1);
}

TEST_F(NoDisplayTest, TheSnapshotCallPaintsThePanelAndRefusesBadBuffers) {
    dispatch(effSetProgram, 0, 13);
    std::vector<std::uint8_t> pixels(920 * 430 * 4 + 4, 0xA5);
    EXPECT_EQ(dispatch(effVendorSpecific, kPanelSnapshotIndex, 920 * 4 - 1, pixels.data()), 0);
    EXPECT_EQ(dispatch(effVendorSpecific, kPanelSnapshotIndex, 920 * 4, nullptr), 0);
    EXPECT_EQ(dispatch(effVendorSpecific, kPanelSnapshotIndex + 1, 920 * 4, pixels.data()), 0);
    ASSERT_EQ(dispatch(effVendorSpecific, kPanelSnapshotIndex, 920 * 4, pixels.data()), 1);
    for (const PanelCheckPoint& point : kPanelCheckPoints) {
        const std::uint8_t* p = &pixels[(point.y * 920 + point.x) * 4];
        EXPECT_EQ((Colour{p[0], p[1], p[2]}), expected(point)) << point.what;
        EXPECT_EQ(p[3], 255);
    }
    EXPECT_EQ(pixels[920 * 430 * 4], 0xA5); // nothing past the buffer
}

TEST(PanelPictureTest, RenderToolWritesThePanelAsPngWithoutADisplay) {
    const std::string png =
        testing::TempDir() + "t815-panel-test-" + std::to_string(getpid()) + ".png";
    std::remove(png.c_str());
    const std::string command = std::string("env -u DISPLAY '") + T815_RENDER_TOOL +
                                "' --quiet --plugin '" + T815_PLUGIN_PATH +
                                "' --program 13 --panel '" + png + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    int width = 0, height = 0, channels = 0;
    unsigned char* image = stbi_load(png.c_str(), &width, &height, &channels, 4);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(width, 920);
    EXPECT_EQ(height, 430);
    for (const PanelCheckPoint& point : kPanelCheckPoints) {
        const unsigned char* p = &image[(point.y * width + point.x) * 4];
        EXPECT_EQ((Colour{p[0], p[1], p[2]}), expected(point)) << point.what;
    }
    stbi_image_free(image);
    std::remove(png.c_str());
}

} // namespace
} // namespace t815::test
