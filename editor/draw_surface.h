// The small drawing surface the panel is painted on: what the painter and
// the drawing primitives need, in panel pixels (origin top left, y down),
// and nothing of any window system. Each platform implements it on its own
// off-screen drawing (GDI on Windows, Cairo on Linux); a recording surface
// keeps every call for the tests.
//
// Geometry follows the panel's drawing rules: rectangles are (left, top)-
// (right, bottom) with the right and bottom edges excluded; a line's end
// point is excluded; ellipses and polygons are filled with a brush colour
// and outlined with a pen colour, as GDI's Ellipse and Polygon draw them
// (with one-pixel pens; lines and polygons take wider ones when the panel
// is drawn at a scale).
// Text is drawn with a transparent background.
#pragma once

#include <cstdint>

namespace t815 {

struct Rgb {
    std::uint8_t red, green, blue;
    bool operator==(const Rgb& o) const {
        return red == o.red && green == o.green && blue == o.blue;
    }
};

struct PanelPoint {
    int x, y;
};

struct PanelRect {
    int left, top, right, bottom;
};

// A font as the panel describes it; the surface makes the nearest one it
// has (GDI: CreateFontW with these values).
struct FontSpec {
    const char16_t* face; // "Arial", "Arial Black", "Tahoma"
    int height;           // cell height in pixels
    int width;            // average character width; 0: the face's own
    int weight;           // 400 regular, 700 bold, 800, 900
    int charset;          // 1 default, 204 Russian
    int quality;          // 0 default, 4 antialiased
};

enum class TextAlign { left, centre, right };

// Text in a rectangle: one vertically centred line (DT_SINGLELINE |
// DT_VCENTER plus the alignment) or several lines separated by '\n', each
// aligned horizontally, from the top (the alignment only).
enum class TextLines { single, several };

// The four shades of a sunken edge: the system colours GDI's DrawEdge takes,
// as Wine's default colour scheme sets them (the panel's pictures are made
// under Wine; Windows' own defaults differ by a few steps).
enum class EdgeShade { shadow, highlight, darkShadow, light };
constexpr Rgb kWineEdgeShades[4] = {
    {166, 166, 166}, // COLOR_BTNSHADOW
    {255, 255, 255}, // COLOR_BTNHIGHLIGHT
    {106, 106, 106}, // COLOR_3DDKSHADOW
    {227, 227, 227}, // COLOR_3DLIGHT
};

class DrawSurface {
  public:
    virtual ~DrawSurface() = default;

    // A solid fill of the rectangle.
    virtual void fillRect(PanelRect rect, Rgb colour) = 0;
    // A one-pixel border just inside the rectangle (FrameRect).
    virtual void frameRect(PanelRect rect, Rgb colour) = 0;
    // An unfilled rectangle outlined with a one-pixel pen (Rectangle with the
    // hollow brush): the same pixels as frameRect.
    virtual void outlineRect(PanelRect rect, Rgb pen) = 0;
    // A line from `from` up to, not including, `to`, with a pen of the width.
    virtual void line(PanelPoint from, PanelPoint to, int penWidth, Rgb pen) = 0;
    // An ellipse inside the bounds, filled and outlined with a one-pixel pen.
    virtual void ellipse(PanelRect bounds, Rgb pen, Rgb brush) = 0;
    // A closed polygon, filled and outlined, the pen centred on its edges.
    virtual void polygon(const PanelPoint* points, int count, int penWidth, Rgb pen, Rgb brush) = 0;
    // Text with its top-left corner at the point (TextOutW).
    virtual void textAt(PanelPoint at, const char16_t* text, const FontSpec& font, Rgb colour) = 0;
    // Text laid out in the rectangle (DrawTextW).
    virtual void textIn(PanelRect rect, const char16_t* text, const FontSpec& font, Rgb colour,
                        TextAlign align, TextLines lines) = 0;
    // A sunken border on the rectangle (DrawEdge with EDGE_SUNKEN, BF_RECT):
    // two one-pixel rings in the edge shades.
    virtual void sunkenEdge(PanelRect rect) = 0;
    // The colour a sunken edge's shade has on this surface.
    virtual Rgb edgeShade(EdgeShade shade) const {
        return kWineEdgeShades[static_cast<int>(shade)];
    }
};

} // namespace t815
