// What the panel must show at every scale, shared by the tests that paint
// it at a scale on the recording surface, on GDI under Wine and on Cairo:
// the colour of every 1x check point (panel_check_points.h) at the first of
// the pixels its layout pixel covers (wide pens lie centred on the scaled
// edges, so there the interior of a thin shape begins), the two fills on
// each side of edges
// where fills meet (no gap, no overlap), the texts' colours inside their
// scaled rectangles, and the panel's size.
#pragma once

#include "panel_check_points.h"
#include "panel_scale.h"
#include "panel_state.h"
#include "plugin_instance.h"
#include "rgb_print.h"

#include <gtest/gtest.h>

namespace t815::test {

inline constexpr PanelScale kTestScales[] = {{4}, {6}, {8}, {12}}; // 1, 1.5, 2, 3

// The two states the checks are made in: as constructed with program 13
// selected (kPanelCheckPoints, the edges, the texts), and the same with the
// lowest key held with the mouse and the About overlay open
// (kPressedKeyCheckPoints, kAboutCheckPoints; the key lies outside the box).
inline PanelState checkedState(const PluginInstance& instance, bool pressedAndAbout) {
    PanelState state = readPanelState(instance);
    state.currentProgramIndex = 13;
    state.programTens = 1;
    state.programUnits = 5;
    state.mouseHeldKey = pressedAndAbout ? 36 : -1;
    state.aboutVisible = pressedAndAbout;
    return state;
}

// The window pixel in the middle of those the layout pixel (x, y) covers.
inline PanelPoint middleOf(PanelScale scale, int x, int y) {
    return {(scaled(scale, x) + scaled(scale, x + 1)) / 2,
            (scaled(scale, y) + scaled(scale, y + 1)) / 2};
}

// Two fills meeting at layout coordinate `at` (a column for a vertical edge,
// a row for a horizontal one), probed at `along` on the other axis: the last
// pixel before the edge has `before`, the first after it `after`.
struct PanelEdge {
    const char* what;
    bool vertical;
    int at, along;
    Rgb before, after;
};

inline constexpr PanelEdge kPanelEdges[] = {
    {"upper panel over divider", false, 214, 450, {28, 30, 34}, {12, 13, 15}},
    {"divider over wheel panel", false, 220, 30, {12, 13, 15}, {24, 26, 30}},
    {"tuning header over body", false, 58, 85, {0, 158, 228}, {40, 43, 48}},
    {"tuning body over red strip", false, 106, 81, {40, 43, 48}, {225, 50, 40}},
    {"white key body over front edge", false, 406, 160, {244, 244, 240}, {195, 195, 190}},
    {"button face (up) over frame", false, 174, 48, {38, 41, 46}, {10, 11, 13}},
    {"button face (down) over frame", false, 175, 72, {22, 24, 27}, {10, 11, 13}},
    {"button face, frame", true, 58, 165, {38, 41, 46}, {10, 11, 13}},
    {"tuning body, upper panel", true, 136, 90, {40, 43, 48}, {28, 30, 34}},
    {"white key, black key", true, 170, 300, {244, 244, 240}, {18, 19, 22}},
    {"black key, white key", true, 186, 300, {18, 19, 22}, {244, 244, 240}},
    {"wheel well, slot", true, 69, 300, {12, 13, 15}, {35, 38, 42}},
    {"wheel slot, well", true, 95, 300, {35, 38, 42}, {12, 13, 15}},
    {"LED frame, window", true, 140, 165, {8, 8, 10}, {24, 4, 6}},
};

// Texts laid out in rectangles of one fill colour.
struct PanelText {
    const char16_t* text;
    PanelRect rect;
    Rgb colour, background;
};

inline constexpr PanelText kPanelTexts[] = {
    {u"15 БРАСС ОРГАН", {541, 183, 607, 196}, {255, 230, 100}, {0, 85, 135}},
    {u"ГРОМКОСТЬ", {340, 44, 412, 58}, {10, 15, 20}, {0, 158, 228}},
    {u"МОДУЛЯЦИЯ", {24, 240, 140, 254}, {235, 240, 245}, {24, 26, 30}},
    {u"ТЕМБР", {138, 182, 200, 196}, {10, 15, 20}, {0, 158, 228}},
};

// Pixels of the text in its scaled rectangle: nearer its colour than the
// background's (antialiased edges count when they are mostly ink).
template <typename PixelAt> int inkPixels(PanelScale scale, const PanelText& text, PixelAt at) {
    auto distance = [](Rgb a, Rgb b) {
        const int r = a.red - b.red, g = a.green - b.green, l = a.blue - b.blue;
        return r * r + g * g + l * l;
    };
    const PanelRect r = scaled(scale, text.rect);
    int ink = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            ink += distance(at(x, y), text.colour) < distance(at(x, y), text.background);
    return ink;
}

inline Rgb rgbOf(const PanelCheckPoint& point) {
    return {point.red, point.green, point.blue};
}

// The checks through `at(x, y)`, the colour of a window pixel, of a panel
// painted at the scale in the first of the checked states (or, with
// pressedAndAbout, the second).
template <typename PixelAt>
void expectPanelAtScale(PanelScale scale, bool pressedAndAbout, PixelAt at) {
    auto expectPoint = [&](const PanelCheckPoint& point) {
        const PanelPoint p = scaled(scale, PanelPoint{point.x, point.y});
        EXPECT_EQ(at(p.x, p.y), rgbOf(point)) << point.what << " at " << scale.quarters << "/4";
    };
    if (pressedAndAbout) {
        for (const PanelCheckPoint& point : kPressedKeyCheckPoints)
            expectPoint(point);
        for (const PanelCheckPoint& point : kAboutCheckPoints)
            expectPoint(point);
        return;
    }
    for (const PanelCheckPoint& point : kPanelCheckPoints)
        expectPoint(point);
    for (const PanelEdge& edge : kPanelEdges) {
        const int first = scaled(scale, edge.at);
        const int along =
            edge.vertical ? middleOf(scale, 0, edge.along).y : middleOf(scale, edge.along, 0).x;
        const Rgb before = edge.vertical ? at(first - 1, along) : at(along, first - 1);
        const Rgb after = edge.vertical ? at(first, along) : at(along, first);
        EXPECT_EQ(before, edge.before) << edge.what << " at " << scale.quarters << "/4";
        EXPECT_EQ(after, edge.after) << edge.what << " at " << scale.quarters << "/4";
    }
}

} // namespace t815::test
