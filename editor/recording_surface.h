// A drawing surface that draws nothing and keeps every call, so that tests
// can check what the painter drew, element by element, and ask which fill
// covers a point the way a test of real pixels would.
#pragma once

#include "draw_surface.h"

#include <optional>
#include <string>
#include <vector>

namespace t815 {

enum class DrawKind {
    fillRect,
    frameRect,
    outlineRect,
    line,
    ellipse,
    polygon,
    textAt,
    textIn,
    sunkenEdge
};

struct RecordedFont {
    std::u16string face;
    int height, width, weight, charset, quality;
    bool operator==(const RecordedFont& o) const {
        return face == o.face && height == o.height && width == o.width && weight == o.weight &&
               charset == o.charset && quality == o.quality;
    }
};

// One call with its arguments; fields a kind has no use for stay zero.
struct DrawCall {
    DrawKind kind;
    PanelRect rect;                 // fillRect, frameRect, outlineRect, ellipse, textIn, sunkenEdge
    std::vector<PanelPoint> points; // line: from, to; polygon: its points; textAt: the point
    int penWidth;                   // line, polygon
    Rgb pen;                        // line, outlineRect, ellipse, polygon; frameRect's colour
    Rgb colour;                     // fillRect; ellipse and polygon brush; text colour
    std::u16string text;            // textAt, textIn
    RecordedFont font;              // textAt, textIn
    TextAlign align;                // textIn
    TextLines lines;                // textIn
};

// Two calls with the same kind and arguments.
bool sameCall(const DrawCall& a, const DrawCall& b);

class RecordingSurface : public DrawSurface {
  public:
    std::vector<DrawCall> calls;

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

    // The colour of the last fill (filled rectangle, or the inside of an
    // ellipse or polygon) covering the pixel (x, y); none if nothing filled
    // it. Outlines, lines and text are not fills.
    std::optional<Rgb> fillAt(int x, int y) const;

    // The first call drawing exactly this text; null if none does.
    const DrawCall* findText(const std::u16string& text) const;
};

} // namespace t815
