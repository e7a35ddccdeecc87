// The panel's drawing surface on a Cairo context, for the Linux editor and
// for off-screen snapshots. Shapes reproduce GDI's pixels: fills without
// antialiasing over whole pixels, one-pixel lines walked as LineTo walks
// them, polygons and ellipses filled where GDI's region rule fills and
// outlined with a one-pixel ring (polygons with a wider pen where asked). Fonts come from
// fontconfig (Liberation Sans for the Windows faces the panel names), sized to GDI's cell height
// and, where asked, to its average character width; text is drawn with grey antialiasing and a
// transparent background, so its pixels may differ slightly from Windows'.
#pragma once

#include "draw_surface.h"

#include <cairo.h>

namespace t815 {

class CairoSurface final : public DrawSurface {
  public:
    // Draws on the context's target; the context's state is saved here and
    // restored when the surface goes.
    explicit CairoSurface(cairo_t* context);
    ~CairoSurface() override;
    CairoSurface(const CairoSurface&) = delete;
    CairoSurface& operator=(const CairoSurface&) = delete;

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

  private:
    cairo_t* context;
};

} // namespace t815
