// The drawing surface on a GDI device context (the panel's off-screen
// memory context). Every operation makes the pens, brushes and fonts it
// needs, selects them, draws, selects back what was there before and
// deletes what it made, so that no drawing object outlives the call and the
// context is left as it was found (text colour aside, which every text sets
// for itself).
#pragma once

#include "draw_surface.h"

#include <windows.h>

namespace t815 {

class GdiSurface final : public DrawSurface {
  public:
    // Draws into `dc`; the caller has set its background mode to transparent.
    explicit GdiSurface(HDC dc) : dc(dc) {}

    void fillRect(PanelRect rect, Rgb colour) override;
    void frameRect(PanelRect rect, Rgb colour) override;
    void outlineRect(PanelRect rect, Rgb pen) override;
    void line(PanelPoint from, PanelPoint to, int penWidth, Rgb pen) override;
    void ellipse(PanelRect bounds, Rgb pen, Rgb brush) override;
    void polygon(const PanelPoint* points, int count, Rgb pen, Rgb brush) override;
    void textAt(PanelPoint at, const char16_t* text, const FontSpec& font, Rgb colour) override;
    void textIn(PanelRect rect, const char16_t* text, const FontSpec& font, Rgb colour,
                TextAlign align, TextLines lines) override;
    void sunkenEdge(PanelRect rect) override;

    // The most points one polygon may have; longer ones are not drawn.
    static constexpr int kMaxPolygonPoints = 32;

  private:
    HDC dc;
};

} // namespace t815
