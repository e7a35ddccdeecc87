// The GDI surface on a real memory context under Wine: each operation's
// pixels, that it leaves the context's selected objects as it found them,
// and that it leaves no GDI object behind; and whole buffered paints of
// the panel, which may leave none either, at scales 1 to 3.
#include "buffered_paint.h"
#include "gdi_readback.h"
#include "gdi_surface.h"
#include "instrument_operations.h"
#include "panel_editor.h"
#include "panel_scale_checks.h"

#include <gtest/gtest.h>

#include <functional>

namespace t815::test {
namespace {

constexpr Rgb kBackground{1, 2, 3};
constexpr Rgb kInk{200, 100, 50};
constexpr Rgb kFill{20, 140, 90};
constexpr FontSpec kFont{u"Arial", 16, 0, 700, 1, 0};

class GdiSurfaceTest : public testing::Test {
  protected:
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;

    void SetUp() override {
        dc = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 100, -60, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(bitmap, nullptr);
        oldBitmap = SelectObject(dc, bitmap);
        SetBkMode(dc, TRANSPARENT);
        GdiSurface(dc).fillRect({0, 0, 100, 60}, kBackground);
    }
    void TearDown() override {
        SelectObject(dc, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    Pixels pixels() { return readBack(dc, 100, 60); }
};

TEST_F(GdiSurfaceTest, FillsAndOutlinesCoverExactlyTheirPixels) {
    GdiSurface surface(dc);
    surface.fillRect({10, 10, 20, 15}, kFill);
    surface.frameRect({30, 10, 40, 20}, kInk);
    surface.outlineRect({50, 10, 60, 20}, kInk);
    Pixels p = pixels();
    EXPECT_EQ(p.count({0, 0, 100, 60}, kFill), 10 * 5);
    EXPECT_TRUE(p.at(10, 10) == kFill && p.at(19, 14) == kFill && p.at(20, 14) == kBackground);
    for (int left : {30, 50}) { // a one-pixel border just inside, hollow inside
        EXPECT_EQ(p.count({left, 10, left + 10, 20}, kInk), 36) << left;
        EXPECT_TRUE(p.at(left + 9, 19) == kInk && p.at(left + 5, 15) == kBackground) << left;
    }
}

TEST_F(GdiSurfaceTest, LinesEllipsesAndPolygonsUseTheirPenAndBrush) {
    GdiSurface surface(dc);
    surface.line({5, 30}, {15, 30}, 1, kInk); // end point excluded
    surface.line({5, 40}, {15, 40}, 3, kInk);
    surface.ellipse({30, 30, 50, 50}, kInk, kFill);
    const PanelPoint triangle[] = {{60, 30}, {90, 30}, {75, 55}};
    surface.polygon(triangle, 3, 1, kInk, kFill);
    Pixels p = pixels();
    EXPECT_EQ(p.count({0, 29, 20, 32}, kInk), 10);
    EXPECT_TRUE(p.at(5, 30) == kInk && p.at(14, 30) == kInk && p.at(15, 30) == kBackground);
    EXPECT_GE(p.count({0, 38, 20, 43}, kInk), 30);
    EXPECT_TRUE(p.at(40, 40) == kFill && p.at(40, 30) == kInk && p.at(30, 30) == kBackground);
    EXPECT_TRUE(p.at(75, 35) == kFill && p.at(75, 30) == kInk);
}

TEST_F(GdiSurfaceTest, TextTakesItsColourAndAlignment) {
    GdiSurface surface(dc);
    surface.textAt({2, 2}, u"ЖЖ", kFont, kInk);
    surface.textIn({0, 20, 100, 40}, u"Ж", kFont, kFill, TextAlign::right, TextLines::single);
    surface.textIn({0, 40, 100, 60}, u"Ж", kFont, kInk, TextAlign::centre, TextLines::several);
    Pixels p = pixels();
    EXPECT_GT(p.count({2, 2, 40, 20}, kInk), 10);
    EXPECT_GT(p.count({80, 20, 100, 40}, kFill), 5);
    EXPECT_EQ(p.count({0, 20, 60, 40}, kFill), 0);
    EXPECT_GT(p.count({40, 40, 60, 60}, kInk), 5);
    EXPECT_EQ(p.count({0, 40, 35, 60}, kInk) + p.count({65, 40, 100, 60}, kInk), 0);
}

TEST_F(GdiSurfaceTest, SunkenEdgeDrawsAFrameAndLeavesTheInside) {
    GdiSurface(dc).sunkenEdge({10, 10, 50, 50});
    Pixels p = pixels();
    EXPECT_FALSE(p.at(10, 30) == kBackground);
    EXPECT_FALSE(p.at(49, 30) == kBackground);
    EXPECT_TRUE(p.at(30, 30) == kBackground);
}

TEST_F(GdiSurfaceTest, ASurfaceLeavesTheContextAndTheObjectTableAsItFoundThem) {
    const PanelPoint points[] = {{1, 1}, {9, 1}, {5, 9}};
    const std::function<void(GdiSurface&)> operations[] = {
        [](GdiSurface& s) {
            s.fillRect({0, 0, 5, 5}, kInk);
        },
        [](GdiSurface& s) {
            s.frameRect({0, 0, 5, 5}, kInk);
        },
        [](GdiSurface& s) {
            s.outlineRect({0, 0, 5, 5}, kInk);
        },
        [](GdiSurface& s) {
            s.line({0, 0}, {9, 9}, 2, kInk);
        },
        [](GdiSurface& s) {
            s.ellipse({0, 0, 9, 9}, kInk, kFill);
        },
        [&](GdiSurface& s) { s.polygon(points, 3, 1, kInk, kFill); },
        [](GdiSurface& s) {
            s.textAt({0, 0}, u"Т815", kFont, kInk);
        },
        [](GdiSurface& s) {
            s.textIn({0, 0, 90, 50}, u"a\nb", kFont, kInk, TextAlign::centre, TextLines::several);
        },
        [](GdiSurface& s) {
            s.sunkenEdge({0, 0, 9, 9});
        },
    };
    for (std::size_t i = 0; i < std::size(operations); ++i) {
        HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN), brush = GetCurrentObject(dc, OBJ_BRUSH);
        HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
        const int live = liveGdiObjects();
        {
            GdiSurface surface(dc);
            operations[i](surface);
        }
        EXPECT_EQ(liveGdiObjects(), live) << "operation " << i;
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen) << "operation " << i;
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush) << "operation " << i;
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font) << "operation " << i;
    }
}

TEST(BufferedPaint, APaintLeavesNoGdiObjectBehindWithOrWithoutTheOverlay) {
    PluginInstance* instance = createPluginInstance({});
    ASSERT_NE(instance, nullptr);
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kEditorWidth, kEditorHeight);
    HGDIOBJ old = SelectObject(target, bitmap);
    for (bool overlay : {false, true}) {
        PanelState state = readPanelState(*instance);
        state.aboutVisible = overlay;
        paintPanelBuffered(target, state); // the first paint may load fonts
        const int live = liveGdiObjects();
        for (int i = 0; i < 3; ++i)
            paintPanelBuffered(target, state);
        EXPECT_EQ(liveGdiObjects(), live) << "overlay " << overlay;
    }
    SelectObject(target, old);
    DeleteObject(bitmap);
    DeleteDC(target);
    ReleaseDC(nullptr, screen);
    destroyPluginInstance(instance);
}

// The whole panel at 1, 1.5, 2 and 3 into a target a little larger than
// the scaled panel: the shared checks on its pixels, every checked text's
// ink inside its scaled rectangle, and the paint covering exactly the
// scaled size.
TEST(BufferedPaint, ThePanelAtEveryScale) {
    PluginInstance* instance = createPluginInstance({});
    ASSERT_NE(instance, nullptr);
    constexpr Rgb kOutside{1, 2, 3};
    for (PanelScale scale : kTestScales)
        for (bool pressedAndAbout : {false, true}) {
            const PanelSize size = scaledPanelSize(scale);
            HDC target = CreateCompatibleDC(nullptr);
            BITMAPINFO info{};
            info.bmiHeader = {sizeof(BITMAPINFOHEADER),
                              size.width + 4,
                              -(size.height + 4),
                              1,
                              32,
                              BI_RGB,
                              0,
                              0,
                              0,
                              0,
                              0};
            void* bits = nullptr;
            HBITMAP bitmap = CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
            ASSERT_NE(bitmap, nullptr);
            HGDIOBJ old = SelectObject(target, bitmap);
            GdiSurface(target).fillRect({0, 0, size.width + 4, size.height + 4}, kOutside);
            paintPanelBuffered(target, checkedState(*instance, pressedAndAbout), scale);
            const Pixels p = readBack(target, size.width + 4, size.height + 4);
            auto at = [&](int x, int y) { return p.at(x, y); };
            expectPanelAtScale(scale, pressedAndAbout, at);
            EXPECT_EQ(p.at(size.width - 1, size.height - 1), (Rgb{18, 20, 23}));
            EXPECT_EQ(p.at(size.width, size.height - 1), kOutside);
            EXPECT_EQ(p.at(size.width - 1, size.height), kOutside);
            for (const PanelText& text : kPanelTexts) {
                if (pressedAndAbout) break;
                EXPECT_GT(inkPixels(scale, text, at), 0)
                    << "text " << (&text - kPanelTexts) << " at " << scale.quarters << "/4";
            }
            SelectObject(target, old);
            DeleteObject(bitmap);
            DeleteDC(target);
        }
    destroyPluginInstance(instance);
}

} // namespace
} // namespace t815::test
