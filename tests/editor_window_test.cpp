// The panel editor as a host meets it, under Wine with real USER32 and GDI:
// the test is the host, with a shown top-level window; the editor is opened
// through the real DLL's dispatcher, painted by its own timer, read back
// pixel by pixel, and driven with real window messages. Effects are checked
// through the plug-in's public face (program, parameters, host
// notifications, audio); the core's key slots only where nothing public
// shows a note-off.
#include "gdi_readback.h"
#include "panel_check_points.h"
#include "panel_scale.h"
#include "panel_scale_checks.h"
#include "panel_snapshot.h"
#include "plugin_host_fixture.h"

#include <gtest/gtest.h>

#include <thread>
#include <tuple>
#include <utility>

namespace t815::test {
namespace {

constexpr wchar_t kPanelClass[] = L"VeltranoT815HardwareGUI3";
constexpr UINT kDpiChanged = 0x02E0;            // WM_DPICHANGED
constexpr UINT kDpiChangedAfterParent = 0x02E3; // WM_DPICHANGED_AFTERPARENT

// Colours the panel fills its areas with.
constexpr Rgb kLampLit{255, 45, 30};
constexpr Rgb kSegmentLit{255, 42, 18};
constexpr Rgb kSegmentDark{48, 10, 12};
constexpr Rgb kButtonUp{38, 41, 46};
constexpr Rgb kButtonDown{22, 24, 27};
constexpr Rgb kListHighlight{0, 85, 135};
constexpr Rgb kListText{255, 230, 100};
constexpr Rgb kListCell{22, 25, 29};
constexpr Rgb kWhiteKey{244, 244, 240};
constexpr Rgb kWhiteKeyDown{210, 225, 240};
constexpr Rgb kBlackKeyFace{38, 40, 45};
constexpr Rgb kBlackKeyFaceDown{0, 150, 220};
constexpr Rgb kWheelMarker{235, 240, 245};
constexpr Rgb kWheelSlot{35, 38, 42};
constexpr Rgb kAboutBox{22, 25, 29};
constexpr Rgb kAboutTitle{0, 158, 228};
constexpr Rgb kAboutShadow{8, 9, 11};
constexpr Rgb kUpperPanel{28, 30, 34};

HWND makeHostWindow() {
    static const ATOM hostClass = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"T815TestHost";
        return RegisterClassExW(&windowClass);
    }();
    if (!hostClass) return nullptr;
    HWND window = CreateWindowExW(0, L"T815TestHost", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 960, 480,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    // Under a hidden parent no WM_PAINT reaches the child.
    if (window) ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

// Runs the host's message loop for a while.
void pump(int milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(1);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

int panelWindowsIn(HWND parent) {
    int count = 0;
    for (HWND child = FindWindowExW(parent, nullptr, kPanelClass, nullptr); child;
         child = FindWindowExW(parent, child, kPanelClass, nullptr))
        ++count;
    return count;
}

LPARAM at(int x, int y) {
    return MAKELPARAM(x, y);
}

class EditorWindowTest : public PluginTest {
  protected:
    HWND host = nullptr;
    HWND panel = nullptr;

    void SetUp() override {
        PluginTest::SetUp();
        host = makeHostWindow();
        ASSERT_NE(host, nullptr);
    }
    void TearDown() override {
        PluginTest::TearDown(); // effClose, also with the editor open
        EXPECT_EQ(panelWindowsIn(host), 0);
        DestroyWindow(host);
    }

    HWND openOn(AEffect* on, HWND parent) {
        EXPECT_EQ(on->dispatcher(on, effEditOpen, 0, 0, parent, 0.0f), 1);
        HWND window = FindWindowExW(parent, nullptr, kPanelClass, nullptr);
        EXPECT_NE(window, nullptr);
        return window;
    }
    void open() { panel = openOn(effect, host); }
    // What the panel shows after its next timer repaint.
    Pixels shown(HWND window = nullptr) {
        pump(60);
        return readWindow(window ? window : panel, kEditorWidth, kEditorHeight);
    }
    void click(int x, int y) {
        SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, at(x, y));
        SendMessageW(panel, WM_LBUTTONUP, 0, at(x, y));
    }
    void drag(int x, int y) { SendMessageW(panel, WM_MOUSEMOVE, MK_LBUTTON, at(x, y)); }
    bool anySlotHeld() {
        for (const VoiceSlot& slot : instance().core.slots)
            if (slot.state == 1) return true;
        return false;
    }
    float parameter(int index) {
        const float value = effect->getParameter(effect, index); // stored: no x87 excess
        return value;
    }
};

TEST_F(EditorWindowTest, ThePanelIsAChildOfTheHostsWindowOfThePanelsSize) {
    open();
    RECT client{};
    GetClientRect(panel, &client);
    EXPECT_EQ(client.right, kEditorWidth);
    EXPECT_EQ(client.bottom, kEditorHeight);
    EXPECT_EQ(GetParent(panel), host);
    EXPECT_TRUE(GetWindowLongW(panel, GWL_STYLE) & WS_CHILD);
    wchar_t title[32] = {};
    GetWindowTextW(panel, title, 32);
    EXPECT_STREQ(title, L"Veltrano T-815");
}

TEST_F(EditorWindowTest, TheScreensDpiThenTheHostsScaleSizeThePanelWhichAsksTheHostToFollow) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    if (dpi != 96) GTEST_SKIP() << "the screen is not at 96 DPI";
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(std::make_pair(int(rect->right), int(rect->bottom)), std::make_pair(920, 430));
    ASSERT_EQ(dispatch(effVendorSpecific, kEditorScaleIndex, kEditorScaleValue, nullptr, 2.0f), 1);
    open();
    RECT client{};
    GetClientRect(panel, &client);
    EXPECT_EQ(std::make_pair(int(client.right), int(client.bottom)), std::make_pair(1840, 860));
    hostRecord.canSizeWindow = true;
    ASSERT_EQ(dispatch(effVendorSpecific, kEditorScaleIndex, kEditorScaleValue, nullptr, 1.5f), 1);
    GetClientRect(panel, &client);
    EXPECT_EQ(std::make_pair(int(client.right), int(client.bottom)), std::make_pair(1380, 645));
    EXPECT_EQ(hostRecord.sizeWindowCalls, 1);
    EXPECT_EQ(std::make_pair(hostRecord.sizeWindowWidth, hostRecord.sizeWindowHeight),
              std::make_pair(VstIntPtr(1380), VstIntPtr(645)));
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(std::make_pair(int(rect->right), int(rect->bottom)), std::make_pair(1380, 645));
    // The panel paints at its scale (read where the host's window shows it).
    const Pixels pixels = (pump(60), readWindow(panel, 1380, 645));
    const PanelCheckPoint& face = kPanelCheckPoints[5]; // the reset button
    const Rgb shown = pixels.at(scaled(PanelScale{6}, face.x), scaled(PanelScale{6}, face.y));
    EXPECT_EQ(std::make_tuple(shown.red, shown.green, shown.blue),
              std::make_tuple(face.red, face.green, face.blue));
}

// The window paints itself whole into a context it is handed, as a host's
// PrintWindow asks, also where it reaches past the screen (1024 x 768 here).
TEST_F(EditorWindowTest, PaintsItselfWholeIntoAGivenContextAtEveryScale) {
    dispatch(effSetProgram, 0, 13);
    for (const PanelScale scale : kTestScales) {
        ASSERT_EQ(dispatch(effVendorSpecific, kEditorScaleIndex, kEditorScaleValue, nullptr,
                           scale.quarters / 4.0f),
                  1);
        open();
        const PanelSize size = scaledPanelSize(scale);
        const Pixels pixels = printWindow(panel, size.width, size.height);
        expectPanelAtScale(scale, false, [&](int x, int y) { return pixels.at(x, y); });
        EXPECT_EQ(dispatch(effEditClose), 1);
    }
}

// The display's DPI changing while the panel is open (the window gets the
// message Windows sends) rescales it and asks the host to follow; a host's
// own scale holds against it.
TEST_F(EditorWindowTest, TheDisplaysDpiChangingRescalesThePanelUnlessTheHostGaveAScale) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    if (dpi != 96) GTEST_SKIP() << "the screen is not at 96 DPI";
    hostRecord.canSizeWindow = true;
    open();
    auto clientSize = [&] {
        RECT client{};
        GetClientRect(panel, &client);
        return std::make_pair(int(client.right), int(client.bottom));
    };
    RECT suggested{0, 0, 1856, 900};
    SendMessageW(panel, kDpiChanged, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(clientSize(), std::make_pair(1840, 860));
    EXPECT_EQ(hostRecord.sizeWindowCalls, 1);
    EXPECT_EQ(std::make_pair(hostRecord.sizeWindowWidth, hostRecord.sizeWindowHeight),
              std::make_pair(VstIntPtr(1840), VstIntPtr(860)));
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(std::make_pair(int(rect->right), int(rect->bottom)), std::make_pair(1840, 860));
    const Pixels pixels = (pump(60), printWindow(panel, 1840, 860));
    const PanelCheckPoint& lamp = kPanelCheckPoints[4];
    EXPECT_EQ(pixels.at(scaled(PanelScale{8}, lamp.x), scaled(PanelScale{8}, lamp.y)), rgbOf(lamp));

    // A child window hears of its parent's change afterwards, with no DPI
    // given: the window's own (96 here) counts.
    SendMessageW(panel, kDpiChangedAfterParent, 0, 0);
    EXPECT_EQ(clientSize(), std::make_pair(920, 430));
    EXPECT_EQ(hostRecord.sizeWindowCalls, 2);
    SendMessageW(panel, kDpiChangedAfterParent, 0, 0); // no change: nothing asked
    EXPECT_EQ(hostRecord.sizeWindowCalls, 2);

    ASSERT_EQ(dispatch(effVendorSpecific, kEditorScaleIndex, kEditorScaleValue, nullptr, 1.5f), 1);
    EXPECT_EQ(hostRecord.sizeWindowCalls, 3);
    SendMessageW(panel, kDpiChanged, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(clientSize(), std::make_pair(1380, 645));
    EXPECT_EQ(hostRecord.sizeWindowCalls, 3);
}

TEST_F(EditorWindowTest, PaintsThePanelsFilledAreasInTheirExactColours) {
    dispatch(effSetProgram, 0, 13); // number 15
    open();
    Pixels p = shown();
    EXPECT_TRUE(p.at(822, 19) == kLampLit);
    EXPECT_TRUE(p.at(300, 30) == kUpperPanel);
    // LED 1 5: digit 1 has its top segment dark, digit 5 lit; both middles.
    EXPECT_TRUE(p.at(156, 149) == kSegmentDark);
    EXPECT_TRUE(p.at(181, 149) == kSegmentLit);
    EXPECT_TRUE(p.at(155, 160) == kSegmentDark);
    EXPECT_TRUE(p.at(180, 160) == kSegmentLit);
    // Group button 1 and timbre button 5 down, the others up.
    EXPECT_TRUE(p.at(38 + 10, 166) == kButtonUp);
    EXPECT_TRUE(p.at(62 + 10, 166) == kButtonDown);
    EXPECT_TRUE(p.at(206 + 24 * 5 + 10, 166) == kButtonDown);
    EXPECT_TRUE(p.at(206 + 24 * 4 + 10, 166) == kButtonUp);
    // The list cell of column 1, row 7 highlighted, with its yellow text.
    EXPECT_TRUE(p.at(539, 189) == kListHighlight);
    EXPECT_TRUE(p.at(469, 95) == kListCell);
    EXPECT_GT(p.count({541, 183, 607, 196}, kListText), 0);
    // Keys at rest, the wheel marker at rest.
    EXPECT_TRUE(p.at(165, 380) == kWhiteKey);
    EXPECT_TRUE(p.at(176, 300) == kBlackKeyFace);
    EXPECT_TRUE(p.at(82, 348) == kWheelMarker);
    EXPECT_TRUE(p.at(82, 300) == kWheelSlot);
}

// A host that opens the panel and renders no audio at all: the panel's timer
// brings each change to the core, so it shows within two timer periods, and
// audio later resumes from there.
TEST_F(EditorWindowTest, WithNoAudioEveryChangeShowsAndAudioResumesFromThere) {
    open();
    pump(60); // longer than the audio may stay away
    auto soon = [&](int x, int y) {
        pump(100);
        return readWindow(panel, kEditorWidth, kEditorHeight).at(x, y);
    };
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, at(165, 380));
    EXPECT_TRUE(soon(165, 380) == kWhiteKeyDown);
    SendMessageW(panel, WM_LBUTTONUP, 0, at(165, 380));
    EXPECT_TRUE(soon(165, 380) == kWhiteKey); // the key's note-off reached the core
    noteOn(36);
    EXPECT_TRUE(soon(165, 380) == kWhiteKeyDown);
    noteOff(36);
    EXPECT_TRUE(soon(165, 380) == kWhiteKey);
    sendMidi({midiEvent(0xC0, 13, 0)});
    EXPECT_TRUE(soon(539, 189) == kListHighlight);
    EXPECT_EQ(static_cast<PluginInstance*>(effect->object)->blocksTaken.load(), 0u);
    noteOn(48);
    EXPECT_TRUE(soundsLikeAFreshInstanceGiven({midiEvent(0x90, 36, 100), midiEvent(0x80, 36, 0),
                                               midiEvent(0x90, 36, 100), midiEvent(0x80, 36, 0),
                                               midiEvent(0xC0, 13, 0), midiEvent(0x90, 48, 100)}));
}

TEST_F(EditorWindowTest, ProgramButtonsAndTheListSelectAndNotifyTheHost) {
    open();
    click(62 + 11, 165); // group 1
    EXPECT_EQ(dispatch(effGetProgram), 8);
    click(206 + 24 * 5 + 11, 165); // timbre 5
    EXPECT_EQ(dispatch(effGetProgram), 13);
    click(468 + 3 * 70 + 5, 92 + 6 * 13 + 5); // column 3, row 6: index 25
    EXPECT_EQ(dispatch(effGetProgram), 25);
    click(468 + 5, 92 + 4 * 13 + 5); // an empty cell
    EXPECT_EQ(dispatch(effGetProgram), 25);
    EXPECT_EQ(hostRecord.updateDisplayCalls, 3);
    EXPECT_FALSE(hostRecord.unexpectedArguments);
}

TEST_F(EditorWindowTest, KnobDragsAndSwitchesChangeTheParameters) {
    open();
    const float volume = parameter(kParamVolume);
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, at(376, 82));
    drag(376, 82 + 50);
    SendMessageW(panel, WM_LBUTTONUP, 0, at(376, 132));
    EXPECT_FLOAT_EQ(parameter(kParamVolume), volume - 0.5f);
    SendMessageW(panel, WM_MOUSEMOVE, 0, at(376, 0)); // no button: nothing
    EXPECT_FLOAT_EQ(parameter(kParamVolume), volume - 0.5f);

    const float filter = parameter(kParamFilter);
    click(413, 165);
    EXPECT_NE(parameter(kParamFilter), filter);
    click(413, 165);
    EXPECT_EQ(parameter(kParamFilter), filter);
}

TEST_F(EditorWindowTest, TheWheelFollowsTheMouseAndTheRightButtonResetsIt) {
    open();
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, at(82, 300)); // 48/72
    SendMessageW(panel, WM_LBUTTONUP, 0, at(82, 300));
    Pixels moved = shown();
    EXPECT_TRUE(moved.at(82, 300) == kWheelMarker);
    EXPECT_TRUE(moved.at(82, 348) == kWheelSlot);
    SendMessageW(panel, WM_RBUTTONDOWN, MK_RBUTTON, at(700, 300));
    Pixels reset = shown();
    EXPECT_TRUE(reset.at(82, 300) == kWheelSlot);
    EXPECT_TRUE(reset.at(82, 348) == kWheelMarker);
}

TEST_F(EditorWindowTest, AKeyHeldWithTheMouseSoundsAndGlidesUntilReleased) {
    open();
    PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, at(160, 300)); // key 36
    pump(10);
    EXPECT_EQ(GetCapture(), panel);
    EXPECT_FALSE(allZero(render(2048).left));
    Pixels held = shown();
    EXPECT_TRUE(held.at(165, 380) == kWhiteKeyDown);
    PostMessageW(panel, WM_MOUSEMOVE, MK_LBUTTON, at(178, 300)); // key 37
    pump(10);
    render(64); // the audio callback publishes the held keys
    Pixels glided = shown();
    EXPECT_TRUE(glided.at(165, 380) == kWhiteKey);
    EXPECT_TRUE(glided.at(176, 300) == kBlackKeyFaceDown);
    PostMessageW(panel, WM_LBUTTONUP, 0, at(178, 300));
    pump(10);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(anySlotHeld());
}

TEST_F(EditorWindowTest, LosingTheCaptureOrClosingDuringAPressSendsTheNoteOff) {
    open();
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, at(160, 300));
    EXPECT_TRUE(anySlotHeld());
    SetCapture(host); // another window takes the mouse: WM_CAPTURECHANGED
    EXPECT_FALSE(anySlotHeld());
    ReleaseCapture();

    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, at(160, 300));
    EXPECT_TRUE(anySlotHeld());
    EXPECT_EQ(dispatch(effEditClose), 1);
    EXPECT_FALSE(anySlotHeld());
    EXPECT_EQ(panelWindowsIn(host), 0);
}

TEST_F(EditorWindowTest, AMidiNoteShowsOnTheKeyboardWithinOneTimerPeriod) {
    open();
    pump(60);
    noteOn(48); // the eighth white key, x 334
    render(64); // the audio callback publishes the held keys
    pump(45);
    Pixels p = readWindow(panel, kEditorWidth, kEditorHeight);
    EXPECT_TRUE(p.at(347, 380) == kWhiteKeyDown);
    EXPECT_TRUE(p.at(165, 380) == kWhiteKey);
}

TEST_F(EditorWindowTest, HostChangesFromAnyThreadRepaintAndMidiNotesLeaveItToTheTimer) {
    open();
    pump(60); // painted: nothing left to update
    auto pending = [&] { return GetUpdateRect(panel, nullptr, FALSE) != FALSE; };
    ASSERT_FALSE(pending());
    noteOn(50);
    render(64);
    EXPECT_FALSE(pending());
    std::thread host([&] { effect->setParameter(effect, kParamVolume, 0.25f); });
    host.join();
    EXPECT_TRUE(pending());
}

TEST_F(EditorWindowTest, TheAboutOverlayOpensOnTheLogoAndSwallowsTheNextClick) {
    open();
    click(600, 50);
    SendMessageW(panel, WM_RBUTTONDOWN, MK_RBUTTON, at(400, 300)); // leaves it open
    Pixels about = shown();
    EXPECT_TRUE(about.at(192, 200) == kAboutBox);
    EXPECT_TRUE(about.at(195, 60) == kAboutTitle);
    EXPECT_TRUE(about.at(733, 200) == kAboutShadow);
    click(62 + 11, 165); // only closes the overlay
    EXPECT_EQ(dispatch(effGetProgram), 0);
    EXPECT_TRUE(shown().at(192, 200) == kUpperPanel);
}

TEST_F(EditorWindowTest, OpeningAgainReplacesTheWindowAndCloseOpenWorks) {
    open();
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, host), 1); // no close in between
    EXPECT_EQ(panelWindowsIn(host), 1);
    EXPECT_EQ(dispatch(effEditClose), 1);
    EXPECT_EQ(panelWindowsIn(host), 0);
    EXPECT_EQ(dispatch(effEditClose), 1); // harmless
    open();
    EXPECT_TRUE(shown().at(822, 19) == kLampLit);
}

TEST_F(EditorWindowTest, NoWindowMeansNoEditor) {
    HWND gone = makeHostWindow();
    DestroyWindow(gone);
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, gone), 0); // CreateWindowExW fails
    EXPECT_EQ(dispatch(effEditClose), 1);
    open(); // and the next open works
}

TEST_F(EditorWindowTest, AHostThatDestroysItsWindowFirstEndsThePressAndTheEditor) {
    HWND firstHost = makeHostWindow();
    panel = openOn(effect, firstHost);
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, at(160, 300));
    EXPECT_TRUE(anySlotHeld());
    DestroyWindow(firstHost); // the panel goes with it
    EXPECT_FALSE(anySlotHeld());
    EXPECT_EQ(instance().editorWindow.load(), nullptr);
    EXPECT_EQ(dispatch(effEditClose), 1);
    open();
    EXPECT_TRUE(shown().at(822, 19) == kLampLit);
}

TEST_F(EditorWindowTest, TwoInstancesHaveAPanelEach) {
    AEffect* second = pluginEntry()(recordingHost);
    ASSERT_NE(second, nullptr);
    HWND secondHost = makeHostWindow();
    open();
    HWND secondPanel = openOn(second, secondHost);
    second->dispatcher(second, effSetProgram, 0, 31, nullptr, 0.0f); // column 4, row 5
    Pixels first = shown(), other = shown(secondPanel);
    EXPECT_TRUE(first.at(469, 95) == kListHighlight);
    EXPECT_TRUE(other.at(469, 95) == kListCell);
    EXPECT_TRUE(other.at(468 + 4 * 70 + 1, 92 + 5 * 13 + 6) == kListHighlight);
    EXPECT_EQ(second->dispatcher(second, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(panelWindowsIn(secondHost), 0);
    DestroyWindow(secondHost);
}

// The window keeps one back buffer between paints, remade at a new size,
// and gives it back when it closes.
TEST_F(EditorWindowTest, PaintingLeavesNoGdiObjectBehind) {
    const int closed = liveGdiObjects();
    open();
    pump(80);
    const int live = liveGdiObjects();
    pump(200); // several timer repaints
    EXPECT_EQ(liveGdiObjects(), live);
    ASSERT_EQ(dispatch(effVendorSpecific, kEditorScaleIndex, kEditorScaleValue, nullptr, 2.0f), 1);
    pump(80);
    EXPECT_EQ(liveGdiObjects(), live);
    EXPECT_EQ(dispatch(effEditClose), 1);
    EXPECT_EQ(liveGdiObjects(), closed);
}

} // namespace
} // namespace t815::test
