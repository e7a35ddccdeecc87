// The panel on a display of more than 96 DPI, under Wine: the runner
// (run_at_dpi.sh) starts the program in a Wine prefix of its own whose
// display DPI it has set, and names that DPI in T815_TEST_DPI. Through the
// real DLLs, the VST 2.4 editor and the CLAP gui report the scaled size
// before they open, open at it, and paint the panel at that scale; a host's
// own scale still wins over the display's.
#include "clap_host_fixture.h"
#include "gdi_readback.h"
#include "panel_scale_checks.h"
#include "panel_snapshot.h"
#include "plugin_host_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

namespace t815::test {
namespace {

// The display's DPI the runner set; 0 when run without it.
int displayDpi() {
    const char* dpi = std::getenv("T815_TEST_DPI");
    return dpi ? std::atoi(dpi) : 0;
}

// What the panel must open at: the runner's DPIs are whole quarter steps.
PanelScale displayPanelScale() {
    return {displayDpi() * 4 / 96};
}

// A DPI-aware host's shown top-level window (a hidden one paints no child).
struct DpiHostWindow {
    HWND window = nullptr;
    DpiHostWindow() {
        SetProcessDPIAware();
        static const ATOM hostClass = [] {
            WNDCLASSEXW windowClass{};
            windowClass.cbSize = sizeof windowClass;
            windowClass.lpfnWndProc = DefWindowProcW;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"T815DpiTestHost";
            return RegisterClassExW(&windowClass);
        }();
        if (!hostClass) return;
        window = CreateWindowExW(0, L"T815DpiTestHost", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 960,
                                 480, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (window) ShowWindow(window, SW_SHOWNORMAL);
    }
    ~DpiHostWindow() {
        if (window) DestroyWindow(window);
    }
    HWND panel() const { return GetWindow(window, GW_CHILD); }
    std::pair<int, int> panelSize() const {
        RECT client{};
        GetClientRect(panel(), &client);
        return {client.right, client.bottom};
    }
    // The panel checked as it paints itself into memory (PrintWindow).
    void expectPanelAt(PanelScale scale) const {
        const PanelSize size = scaledPanelSize(scale);
        const Pixels pixels = printWindow(panel(), size.width, size.height);
        expectPanelAtScale(scale, false, [&](int x, int y) { return pixels.at(x, y); });
    }
};

// Skips the test without the runner; fails when Wine did not take its DPI.
void requireDisplayDpi() {
    if (displayDpi() == 0) GTEST_SKIP() << "run through run_at_dpi.sh";
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(dpi, displayDpi()) << "the prefix's LogPixels did not take";
}

std::pair<int, int> sizeAt(PanelScale scale) {
    const PanelSize size = scaledPanelSize(scale);
    return {size.width, size.height};
}

class VstEditorAtDpi : public PluginTest {
  protected:
    DpiHostWindow host;
    void SetUp() override {
        requireDisplayDpi();
        if (IsSkipped() || HasFatalFailure()) return;
        PluginTest::SetUp();
        ASSERT_NE(host.window, nullptr);
    }
    std::pair<int, int> editRect() {
        ERect* rect = nullptr;
        EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
        return rect ? std::make_pair(int(rect->right), int(rect->bottom)) : std::make_pair(0, 0);
    }
};

TEST_F(VstEditorAtDpi, OpensAndPaintsAtTheDisplaysScale) {
    dispatch(effSetProgram, 0, 13);
    EXPECT_EQ(editRect(), sizeAt(displayPanelScale()));
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, host.window), 1);
    EXPECT_EQ(host.panelSize(), sizeAt(displayPanelScale()));
    host.expectPanelAt(displayPanelScale());
    EXPECT_EQ(dispatch(effEditClose), 1);
}

TEST_F(VstEditorAtDpi, TheHostsScaleWinsOverTheDisplays) {
    ASSERT_EQ(dispatch(effVendorSpecific, kEditorScaleIndex, kEditorScaleValue, nullptr, 1.0f), 1);
    EXPECT_EQ(editRect(), std::make_pair(920, 430));
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, host.window), 1);
    EXPECT_EQ(host.panelSize(), std::make_pair(920, 430));
    EXPECT_EQ(dispatch(effEditClose), 1);
}

TEST(ClapGuiAtDpi, OpensAndPaintsAtTheDisplaysScale) {
    requireDisplayDpi();
    if (IsSkipped() || HasFatalFailure()) return;
    DpiHostWindow host;
    auto clap = std::make_unique<ClapInstance>();
    ASSERT_NE(clap->gui, nullptr);
    InputEvents select({paramEvent(0, 5, 13)});
    clap->params->flush(clap->plugin, &select.list, nullptr);
    clap_window parent{CLAP_WINDOW_API_WIN32, {}};
    parent.win32 = host.window;
    ASSERT_TRUE(clap->gui->create(clap->plugin, parent.api, false));
    std::uint32_t width = 0, height = 0;
    ASSERT_TRUE(clap->gui->get_size(clap->plugin, &width, &height));
    EXPECT_EQ(std::make_pair(int(width), int(height)), sizeAt(displayPanelScale()));
    ASSERT_TRUE(clap->gui->set_parent(clap->plugin, &parent));
    ASSERT_TRUE(clap->gui->show(clap->plugin));
    EXPECT_EQ(host.panelSize(), sizeAt(displayPanelScale()));
    host.expectPanelAt(displayPanelScale());
    EXPECT_TRUE(clap->host.resizeRequests.empty());
    clap->gui->destroy(clap->plugin);
}

} // namespace
} // namespace t815::test
