// The drawing surface on a GDI device context (the panel's off-screen
// memory context). While it lives, the context has the DC pen and the DC
// brush selected, recoloured by every operation, and the font last used; a
// wide pen is made for its one call, a font at its first use (a paint uses a
// handful, each many times). When the surface goes it selects back what it
// found and deletes what it made: no drawing object outlives it, and the
// context is as it was (the text colour and the DC pen's and brush's colours
// aside, which every operation sets for itself).
#pragma once

#include "draw_surface.h"

#include <windows.h>

namespace t815 {

class GdiSurface final : public DrawSurface {
  public:
    // Draws into `dc`; the caller has set its background mode to transparent.
    explicit GdiSurface(HDC dc);
    ~GdiSurface() override;
    GdiSurface(const GdiSurface&) = delete;
    GdiSurface& operator=(const GdiSurface&) = delete;

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
    // The system's colours, which DrawEdge draws with.
    Rgb edgeShade(EdgeShade shade) const override;

    // The most points one polygon may have; longer ones are not drawn.
    static constexpr int kMaxPolygonPoints = 32;

  private:
    // The surface's font for the one wanted, made at its first use; null once
    // kMaxFonts are kept.
    HFONT fontFor(const FontSpec& font);
    template <typename Draw> void withFont(const FontSpec& font, Rgb colour, Draw draw);
    // The DC pen recoloured, or a wide pen made for the call.
    template <typename Draw> void withPen(int width, Rgb colour, Draw draw);

    struct KeptFont {
        FontSpec wanted;
        HFONT font;
    };
    static constexpr int kMaxFonts = 12;

    HDC dc;
    HGDIOBJ originalPen, originalBrush, originalFont;
    HFONT selectedFont = nullptr; // a kept font the context has selected
    KeptFont fonts[kMaxFonts] = {};
    int fontCount = 0;
};

} // namespace t815
