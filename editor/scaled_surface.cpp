// Drawing at a scale. One-pixel shapes of the layout are split into the
// layout pixels' rectangles and filled at the scale, in the order their
// pixels are set at scale 1, so that later strokes own the same corners.
#include "scaled_surface.h"

#include <cstdlib>

namespace t815 {

namespace {

bool isEmpty(PanelRect rect) {
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

FontSpec scaledFont(PanelScale scale, const FontSpec& font) {
    FontSpec made = font;
    made.height = scaledSize(scale, font.height);
    made.width = scaledSize(scale, font.width);
    return made;
}

} // namespace

void ScaledSurface::fillRect(PanelRect rect, Rgb colour) {
    target.fillRect(scaled(scale, rect), colour);
}

void ScaledSurface::frameRect(PanelRect rect, Rgb colour) {
    if (isEmpty(rect)) return;
    const int l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
    if (r - l <= 2 || b - t <= 2) { // no inside left
        fillRect(rect, colour);
        return;
    }
    fillRect({l, t, r, t + 1}, colour);
    fillRect({l, b - 1, r, b}, colour);
    fillRect({l, t + 1, l + 1, b - 1}, colour);
    fillRect({r - 1, t + 1, r, b - 1}, colour);
}

void ScaledSurface::outlineRect(PanelRect rect, Rgb pen) {
    frameRect(rect, pen);
}

void ScaledSurface::line(PanelPoint from, PanelPoint to, int penWidth, Rgb pen) {
    const int dx = to.x - from.x, dy = to.y - from.y;
    if (dx == 0 && dy == 0) return; // sets no pixel at scale 1
    if (penWidth <= 1 && (dx == 0 || dy == 0)) {
        // A straight one-pixel run, its end point excluded.
        if (dy == 0) {
            const int left = dx > 0 ? from.x : to.x + 1;
            fillRect({left, from.y, left + std::abs(dx), from.y + 1}, pen);
        } else {
            const int top = dy > 0 ? from.y : to.y + 1;
            fillRect({from.x, top, from.x + 1, top + std::abs(dy)}, pen);
        }
        return;
    }
    // A pen of odd width is centred on its pixels' middles, an even one on
    // the pixels' corners: at the scale, the middle of a layout pixel is
    // halfway across the pixels it covers.
    const bool odd = (penWidth <= 1) || (penWidth % 2 == 1);
    auto at = [&](PanelPoint p) {
        if (!odd) return scaled(scale, p);
        return PanelPoint{(scaled(scale, p.x) + scaled(scale, p.x + 1)) / 2,
                          (scaled(scale, p.y) + scaled(scale, p.y + 1)) / 2};
    };
    target.line(at(from), at(to), scaledSize(scale, penWidth > 1 ? penWidth : 1), pen);
}

// The pen's ring grows with the scale: an ellipse filled in the pen's colour,
// then one inside it, the ring's width less its own one-pixel pen smaller.
// (Two ellipses with one-pixel pens: GDI draws a wide pen's ellipse through
// a far slower path, about 0.2 ms each under Wine.)
void ScaledSurface::ellipse(PanelRect bounds, Rgb pen, Rgb brush) {
    const PanelRect outer = scaled(scale, bounds);
    const int inset = scaledSize(scale, 1) - 1;
    if (inset == 0) {
        target.ellipse(outer, pen, brush);
        return;
    }
    target.ellipse(outer, pen, pen);
    target.ellipse(
        {outer.left + inset, outer.top + inset, outer.right - inset, outer.bottom - inset}, pen,
        brush);
}

void ScaledSurface::polygon(const PanelPoint* points, int count, int penWidth, Rgb pen, Rgb brush) {
    if (!points || count < 2 || count > kMaxPolygonPoints) return;
    PanelPoint corners[kMaxPolygonPoints];
    for (int i = 0; i < count; ++i)
        corners[i] = scaled(scale, points[i]);
    target.polygon(corners, count, scaledSize(scale, penWidth > 1 ? penWidth : 1), pen, brush);
}

void ScaledSurface::textAt(PanelPoint at, const char16_t* text, const FontSpec& font, Rgb colour) {
    target.textAt(scaled(scale, at), text, scaledFont(scale, font), colour);
}

void ScaledSurface::textIn(PanelRect rect, const char16_t* text, const FontSpec& font, Rgb colour,
                           TextAlign align, TextLines lines) {
    target.textIn(scaled(scale, rect), text, scaledFont(scale, font), colour, align, lines);
}

// Two rings, the outer one shadow over highlight, the inner one dark shadow
// over light; in each, the top and left sides first, then the bottom and
// right ones, which take the corners they share with them.
void ScaledSurface::sunkenEdge(PanelRect rect) {
    auto ring = [this](PanelRect r, Rgb topLeft, Rgb bottomRight) {
        if (isEmpty(r)) return;
        fillRect({r.left, r.top, r.right, r.top + 1}, topLeft);
        fillRect({r.left, r.top, r.left + 1, r.bottom}, topLeft);
        fillRect({r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
        fillRect({r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    };
    ring(rect, edgeShade(EdgeShade::shadow), edgeShade(EdgeShade::highlight));
    ring({rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1},
         edgeShade(EdgeShade::darkShadow), edgeShade(EdgeShade::light));
}

} // namespace t815
