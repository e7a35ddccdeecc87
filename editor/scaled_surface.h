// A drawing surface in the layout's numbers that draws at a scale on
// another surface, directly at the target size (no bitmap is stretched).
// Whatever is one layout pixel wide at scale 1 (a straight one-pixel line,
// a frame's sides, a sunken edge's rings) becomes the rectangle that layout
// pixel covers at the scale, so it meets the fills beside it exactly as it
// does at 1; slanted lines, pens and fonts grow by the factor.
#pragma once

#include "draw_surface.h"
#include "panel_scale.h"

namespace t815 {

class ScaledSurface final : public DrawSurface {
  public:
    ScaledSurface(DrawSurface& target, PanelScale scale) : target(target), scale(scale) {}

    void fillRect(PanelRect rect, Rgb colour) override;
    void frameRect(PanelRect rect, Rgb colour) override;
    void outlineRect(PanelRect rect, Rgb pen) override;
    void line(PanelPoint from, PanelPoint to, int penWidth, Rgb pen) override;
    void ellipse(PanelRect bounds, Rgb pen, Rgb brush) override;
    void polygon(const PanelPoint* points, int count, int penWidth, Rgb pen, Rgb brush) override;
    void textAt(PanelPoint at, const char16_t* text, const FontSpec& font, Rgb colour) override;
    void textIn(PanelRect rect, const char16_t* text, const FontSpec& font, Rgb colour,
                TextAlign align, TextLines lines) override;
    void sunkenEdge(PanelRect rect) override;
    Rgb edgeShade(EdgeShade shade) const override { return target.edgeShade(shade); }

    // The most points one polygon may have; longer ones are not drawn.
    static constexpr int kMaxPolygonPoints = 32;

  private:
    DrawSurface& target;
    PanelScale scale;
};

} // namespace t815
