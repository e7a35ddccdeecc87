// The panel at a scale: the layout's one set of numbers (panel_layout.h and
// the painter's) multiplied by a factor from 1 to 4 in quarter steps. Every
// coordinate is rounded by the same monotonic rule, edge by edge, so shapes
// that meet at scale 1 meet at every scale, with no gap and no overlap. The
// way back, from a window pixel to the layout pixel drawn there, is the
// exact inverse of that rounding, so the controls answer at any scale as
// they do at 1.
#pragma once

#include "draw_surface.h"
#include "panel_editor.h"

#include <cstdint>

namespace t815 {

// A factor of quarters / 4. Values outside 4..16 act as the nearest of them.
struct PanelScale {
    int quarters;
};

constexpr int kMinScaleQuarters = 4;  // the panel's own size
constexpr int kMaxScaleQuarters = 16; // four times it
constexpr PanelScale kUnitScale{kMinScaleQuarters};

constexpr int scaleQuarters(PanelScale scale) {
    return scale.quarters < kMinScaleQuarters   ? kMinScaleQuarters
           : scale.quarters > kMaxScaleQuarters ? kMaxScaleQuarters
                                                : scale.quarters;
}

// The quarter step nearest to a factor (halves up), within 1..4; NaN gives 1.
constexpr PanelScale panelScaleOf(double factor) {
    if (!(factor > 1.0)) return kUnitScale;
    if (factor >= 4.0) return {kMaxScaleQuarters};
    return {static_cast<int>(factor * 4.0 + 0.5)};
}

namespace scale_detail {
// Floor division by a positive divisor, also for negative numerators.
constexpr std::int64_t floorDiv(std::int64_t n, std::int64_t d) {
    return n >= 0 ? n / d : -((-n + d - 1) / d);
}
constexpr int clampedInt(std::int64_t v) {
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int>(v);
}
} // namespace scale_detail

// A layout coordinate at the scale: v x s to the nearest pixel, halves up.
constexpr int scaled(PanelScale scale, int v) {
    return scale_detail::clampedInt(
        scale_detail::floorDiv(std::int64_t{v} * scaleQuarters(scale) + 2, 4));
}

// The layout coordinate whose pixel covers window pixel w at the scale: the
// x with scaled(x) <= w < scaled(x + 1). At scale 1 it is w.
constexpr int unscaled(PanelScale scale, int w) {
    return scale_detail::clampedInt(
        scale_detail::floorDiv(std::int64_t{w} * 4 + 1, scaleQuarters(scale)));
}

constexpr PanelPoint scaled(PanelScale scale, PanelPoint p) {
    return {scaled(scale, p.x), scaled(scale, p.y)};
}

// Each edge on its own (not origin plus size), so neighbours keep meeting.
constexpr PanelRect scaled(PanelScale scale, PanelRect r) {
    return {scaled(scale, r.left), scaled(scale, r.top), scaled(scale, r.right),
            scaled(scale, r.bottom)};
}

// A size without a place (a pen's width, a font's height or width): v x s
// to the nearest pixel, halves up, and never 0 where v is not.
constexpr int scaledSize(PanelScale scale, int v) {
    if (v <= 0) return v;
    const int size = scaled(scale, v);
    return size > 0 ? size : 1;
}

// The panel's size in window pixels at the scale (920 x 430 at 1).
constexpr PanelSize scaledPanelSize(PanelScale scale) {
    return {scaled(scale, kEditorWidth), scaled(scale, kEditorHeight)};
}

} // namespace t815
