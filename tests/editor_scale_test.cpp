// The panel at a scale, platform-free: the rounding of layout coordinates
// and its inverse, the painter's output on the recording surface at 1, 1.5,
// 2 and 3 (fills at the check points and across edges, texts and fonts in
// their scaled places, the panel's size), and the controls answering a
// press anywhere in the pixels a layout pixel covers exactly as a press on
// that pixel at scale 1.
#include "editor_fixture.h"
#include "panel_scale_checks.h"
#include "instrument_operations.h"
#include "scaled_surface.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

namespace t815::test {
namespace {

TEST(PanelScaleTest, EveryWindowPixelMapsBackToTheLayoutPixelDrawnThere) {
    for (int q = kMinScaleQuarters; q <= kMaxScaleQuarters; ++q) {
        const PanelScale scale{q};
        for (int v = -40; v < 1000; ++v) {
            ASSERT_LT(scaled(scale, v), scaled(scale, v + 1)) << q << " " << v;
            for (int w = scaled(scale, v); w < scaled(scale, v + 1); ++w)
                ASSERT_EQ(unscaled(scale, w), v) << q << " " << w;
        }
        EXPECT_EQ(scaled(scale, 4 * 37), q * 37); // whole layout pixels at every quarter
    }
}

TEST(PanelScaleTest, FactorsSizesAndHostileScales) {
    const struct {
        double factor;
        int quarters, width, height;
    } cases[] = {
        {1.0, 4, 920, 430},         {1.5, 6, 1380, 645},   {2.0, 8, 1840, 860},
        {3.0, 12, 2760, 1290},      {1.25, 5, 1150, 538},  {1.1, 4, 920, 430},
        {1.13, 5, 1150, 538},       {4.0, 16, 3680, 1720}, {9.0, 16, 3680, 1720},
        {0.5, 4, 920, 430},         {-2.0, 4, 920, 430},   {NAN, 4, 920, 430},
        {INFINITY, 16, 3680, 1720},
    };
    for (const auto& c : cases) {
        const PanelScale scale = panelScaleOf(c.factor);
        EXPECT_EQ(scale.quarters, c.quarters) << c.factor;
        EXPECT_EQ(scaledPanelSize(scale).width, c.width) << c.factor;
        EXPECT_EQ(scaledPanelSize(scale).height, c.height) << c.factor;
    }
    // A record made by hand outside 4..16 acts as the nearest end.
    EXPECT_EQ(scaledPanelSize(PanelScale{0}).width, 920);
    EXPECT_EQ(scaledPanelSize(PanelScale{-7}).width, 920);
    EXPECT_EQ(scaledPanelSize(PanelScale{1000}).width, 3680);
    EXPECT_EQ(unscaled(PanelScale{0}, 5), 5);
    EXPECT_EQ(scaled(PanelScale{16}, INT32_MAX), INT32_MAX);
    EXPECT_EQ(unscaled(PanelScale{6}, INT32_MIN), -1431655766); // floor((4 min + 1) / 6)
}

// One-pixel shapes at a scale cover exactly the window pixels of the layout
// pixels they set at 1, each in its colour: every window pixel shows what its
// layout pixel shows (nothing where the shape sets nothing).
TEST(ScaledSurfaceTest, OnePixelShapesCoverTheirLayoutPixelsWindowPixels) {
    constexpr Rgb ink{200, 100, 50};
    auto inside = [](PanelRect r, int x, int y) {
        return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    };
    const Rgb shadow = kWineEdgeShades[0], highlight = kWineEdgeShades[1];
    const Rgb darkShadow = kWineEdgeShades[2], light = kWineEdgeShades[3];
    const struct {
        const char* what;
        std::function<void(DrawSurface&)> draw;
        std::function<std::optional<Rgb>(int, int)> layoutPixel;
    } cases[] = {
        {"frame",
         [&](DrawSurface& s) {
             s.frameRect({2, 3, 7, 6}, ink);
         },
         [&](int x, int y) -> std::optional<Rgb> {
             if (inside({2, 3, 7, 6}, x, y) && !inside({3, 4, 6, 5}, x, y)) return ink;
             return std::nullopt;
         }},
        {"lines right, left, up",
         [&](DrawSurface& s) {
             s.line({2, 2}, {8, 2}, 1, ink);
             s.line({8, 4}, {2, 4}, 1, ink);
             s.line({5, 9}, {5, 6}, 1, ink);
         },
         [&](int x, int y) -> std::optional<Rgb> {
             if (inside({2, 2, 8, 3}, x, y) || inside({3, 4, 9, 5}, x, y) ||
                 inside({5, 7, 6, 10}, x, y))
                 return ink;
             return std::nullopt;
         }},
        {"sunken edge",
         [&](DrawSurface& s) {
             s.sunkenEdge({1, 1, 8, 7});
         },
         [&](int x, int y) -> std::optional<Rgb> {
             // Bottom and right sides take the corners they share.
             for (int ring = 0; ring < 2; ++ring) {
                 const PanelRect r{1 + ring, 1 + ring, 8 - ring, 7 - ring};
                 if (!inside(r, x, y) ||
                     inside({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, x, y))
                     continue;
                 const bool bottomRight = x == r.right - 1 || y == r.bottom - 1;
                 return ring == 0 ? (bottomRight ? highlight : shadow)
                                  : (bottomRight ? light : darkShadow);
             }
             return std::nullopt;
         }},
    };
    for (PanelScale scale : kTestScales)
        for (const auto& c : cases) {
            RecordingSurface recorded;
            ScaledSurface surface(recorded, scale);
            c.draw(surface);
            for (int y = 0; y < scaled(scale, 11); ++y)
                for (int x = 0; x < scaled(scale, 11); ++x)
                    ASSERT_EQ(recorded.fillAt(x, y),
                              c.layoutPixel(unscaled(scale, x), unscaled(scale, y)))
                        << c.what << " at " << x << "," << y << ", " << scale.quarters << "/4";
        }
}

using ScaledPainterTest = PanelTest;

RecordingSurface paintAt(const PanelState& shown, PanelScale scale) {
    RecordingSurface surface;
    paintPanel(surface, shown, scale);
    return surface;
}

TEST_F(ScaledPainterTest, FillsAtTheCheckPointsAndAcrossEdges) {
    for (PanelScale scale : kTestScales)
        for (bool pressedAndAbout : {false, true}) {
            const RecordingSurface s = paintAt(checkedState(*instance, pressedAndAbout), scale);
            expectPanelAtScale(scale, pressedAndAbout,
                               [&](int x, int y) { return fillAt(s, x, y); });
        }
}

TEST_F(ScaledPainterTest, FillsCoverThePanelsScaledSizeAndScaleOneIsUnchanged) {
    const PanelState shown = checkedState(*instance, false);
    for (PanelScale scale : kTestScales) {
        const RecordingSurface s = paintAt(shown, scale);
        const PanelSize size = scaledPanelSize(scale);
        int right = 0, bottom = 0;
        for (const DrawCall& call : s.calls) {
            if (call.kind != DrawKind::fillRect) continue;
            right = std::max(right, call.rect.right);
            bottom = std::max(bottom, call.rect.bottom);
        }
        EXPECT_EQ(right, size.width);
        EXPECT_EQ(bottom, size.height);
        // No hole (the background is filled only where nothing covers it).
        // Above scale 1, where frames and lines are fills too; a hole at 1
        // would be one at every scale.
        if (scale.quarters == kMinScaleQuarters) continue;
        for (int y = 0; y < kEditorHeight; y += 3)
            for (int x = 0; x < kEditorWidth; x += 3) {
                const PanelPoint p = middleOf(scale, x, y);
                ASSERT_TRUE(s.fillAt(p.x, p.y)) << x << "," << y << " at " << scale.quarters;
            }
    }
    const RecordingSurface plain = paint(shown), atOne = paintAt(shown, PanelScale{4});
    ASSERT_EQ(plain.calls.size(), atOne.calls.size());
    for (size_t i = 0; i < plain.calls.size(); ++i)
        EXPECT_TRUE(sameCall(plain.calls[i], atOne.calls[i])) << i;
}

// Every text is drawn in the same order at every scale, at its scaled place,
// in its font grown by the factor; pens grow with it.
TEST_F(ScaledPainterTest, TextsFontsAndPensFollowTheScale) {
    for (bool about : {false, true}) {
        const PanelState shown = checkedState(*instance, about);
        const RecordingSurface one = paint(shown);
        for (PanelScale scale : kTestScales) {
            const RecordingSurface s = paintAt(shown, scale);
            std::vector<const DrawCall*> texts;
            for (const DrawCall& call : s.calls)
                if (call.kind == DrawKind::textAt || call.kind == DrawKind::textIn)
                    texts.push_back(&call);
            size_t next = 0;
            for (const DrawCall& call : one.calls) {
                if (call.kind != DrawKind::textAt && call.kind != DrawKind::textIn) continue;
                ASSERT_LT(next, texts.size());
                const DrawCall& big = *texts[next++];
                EXPECT_EQ(big.text, call.text);
                EXPECT_EQ(big.colour, call.colour);
                EXPECT_EQ(big.font.height, scaledSize(scale, call.font.height));
                EXPECT_EQ(big.font.width, scaledSize(scale, call.font.width));
                EXPECT_EQ(big.font.face, call.font.face);
                if (call.kind == DrawKind::textAt) {
                    EXPECT_EQ(big.points[0].x, scaled(scale, call.points[0].x));
                    EXPECT_EQ(big.points[0].y, scaled(scale, call.points[0].y));
                } else {
                    const PanelRect r = scaled(scale, call.rect);
                    EXPECT_TRUE(big.rect.left == r.left && big.rect.top == r.top &&
                                big.rect.right == r.right && big.rect.bottom == r.bottom)
                        << "text " << next;
                }
            }
            EXPECT_EQ(next, texts.size());
            for (const PanelText& text : kPanelTexts) {
                const DrawCall* call = s.findText(text.text);
                ASSERT_NE(call, nullptr);
                EXPECT_EQ(call->colour, text.colour);
                EXPECT_EQ(call->rect.left, scaled(scale, text.rect.left));
                EXPECT_EQ(call->rect.bottom, scaled(scale, text.rect.bottom));
            }
            for (const DrawCall& call : s.calls) {
                if (call.kind != DrawKind::polygon && call.kind != DrawKind::line) continue;
                EXPECT_GE(call.penWidth, scaledSize(scale, 1));
            }
        }
    }
}

// What one press (and a drag after it) leaves behind: the interaction the
// panel holds while the button is down, and the settings it changed.
struct PressOutcome {
    std::int32_t dragControl, mouseHeldKey;
    bool aboutVisible, resetButtonDown;
    PanelState shown;

    bool operator==(const PressOutcome& o) const {
        const PanelState &a = shown, &b = o.shown;
        return dragControl == o.dragControl && mouseHeldKey == o.mouseHeldKey &&
               aboutVisible == o.aboutVisible && resetButtonDown == o.resetButtonDown &&
               a.currentProgramIndex == b.currentProgramIndex && a.filterOn == b.filterOn &&
               a.unisonOn == b.unisonOn && a.pitchOffset == b.pitchOffset &&
               a.cutoffParam == b.cutoffParam && a.resonance == b.resonance &&
               a.volume == b.volume && a.modWheel == b.modWheel;
    }
};

void PrintTo(const PressOutcome& o, std::ostream* os) {
    *os << "drag " << o.dragControl << " key " << o.mouseHeldKey << " about " << o.aboutVisible
        << " reset " << o.resetButtonDown << " program " << o.shown.currentProgramIndex
        << " filter " << o.shown.filterOn << " unison " << o.shown.unisonOn << " pitch "
        << o.shown.pitchOffset << " cutoff " << o.shown.cutoffParam << " resonance "
        << o.shown.resonance << " volume " << o.shown.volume << " wheel " << o.shown.modWheel;
}

// A press at window pixel (x, y) of the panel drawn at the scale, then,
// unless dragY is the same, a drag to window y dragY; on a new instance with
// program 25 (index 21) selected.
PressOutcome pressOutcome(PanelScale scale, int x, int y, int dragY) {
    PluginInstance* instance = createPluginInstance({});
    selectProgramIndex(*instance, 21, SelectSource::host);
    RecordingWindow window;
    onMouseDown(*instance, window, x, y, scale);
    if (dragY != y) onMouseDrag(*instance, window, x, dragY, scale);
    const PressOutcome outcome{instance->dragControl, instance->mouseHeldKey,
                               instance->aboutVisible, instance->resetButtonDown,
                               readPanelState(*instance)};
    onMouseUp(*instance, window);
    destroyPluginInstance(instance);
    return outcome;
}

// The points the scale-1 tests of the controls press: knobs at and beyond
// their radius, buttons, switches and list cells at their corners, the
// wheel, every key boundary, the logo and the reset button; a drag is given
// in layout pixels.
TEST(ScaledControlsTest, APressAnywhereOnALayoutPixelActsAsAtScaleOne) {
    const struct {
        int x, y, dragBy;
    } presses[] = {
        {127, 82, 0},  {108, 102, 0}, {120, 98, 0},   {123, 96, 0},   {212, 82, 0},  {298, 62, 0},
        {396, 82, 0},  {397, 82, 0},  {108, 82, -1},  {108, 82, -50}, {376, 82, 37}, {231, 82, -13},
        {43, 160, 0},  {37, 160, 0},  {396, 178, 0},  {397, 178, 0},  {72, 150, 0},  {72, 149, 0},
        {410, 140, 0}, {440, 178, 0}, {440, 139, 0},  {470, 146, 0},  {540, 185, 0}, {817, 195, 0},
        {818, 195, 0}, {80, 300, 0},  {80, 300, -24}, {53, 258, 0},   {111, 368, 0}, {112, 300, 0},
        {151, 400, 0}, {152, 400, 0}, {177, 400, 0},  {178, 400, 0},  {879, 400, 0}, {880, 400, 0},
        {170, 342, 0}, {186, 342, 0}, {169, 342, 0},  {187, 342, 0},  {170, 343, 0}, {186, 222, 0},
        {534, 300, 0}, {862, 300, 0}, {863, 300, 0},  {240, 414, 0},  {240, 415, 0}, {795, 86, 0},
        {468, 34, 0},  {796, 86, 0},  {467, 50, 0},   {40, 94, 0},    {68, 66, 0},   {39, 80, 0},
    };
    for (const auto& p : presses) {
        const PressOutcome expected = pressOutcome(kUnitScale, p.x, p.y, p.y + p.dragBy);
        for (PanelScale scale : kTestScales) {
            if (scale.quarters == kMinScaleQuarters) continue;
            // The first and the last window pixel of the layout pixel; the
            // drag ends on the first or last of its own.
            for (int end : {0, 1}) {
                auto window = [&](int v) { return scaled(scale, v + end) - end; };
                EXPECT_EQ(pressOutcome(scale, window(p.x), window(p.y), window(p.y + p.dragBy)),
                          expected)
                    << p.x << "," << p.y << " by " << p.dragBy << " at " << scale.quarters << "/4, "
                    << (end ? "last" : "first") << " pixel";
            }
        }
    }
}

} // namespace
} // namespace t815::test
