// Cairo implementation of the panel's drawing surface. Every shape is drawn
// without antialiasing; Cairo then sets exactly the pixels whose centres lie
// inside a path, so paths are laid on pixel edges where GDI fills whole
// pixels and on pixel centres where GDI's region rule samples the integer
// grid (polygons, ellipses).
#include "cairo_surface.h"

#include "line_raster.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cstdlib>
#include <string>

namespace t815 {

namespace {

void setColour(cairo_t* context, Rgb colour) {
    cairo_set_source_rgb(context, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0);
}

bool isEmpty(PanelRect rect) {
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

void addRect(cairo_t* context, PanelRect rect) {
    cairo_rectangle(context, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

// A straight run of pixels is one rectangle (the same pixels, far cheaper
// for Cairo than one square each); slanted lines are walked pixel by pixel.
void addLinePixels(cairo_t* context, PanelPoint from, PanelPoint to) {
    if (from.y == to.y && from.x != to.x) {
        const int left = from.x < to.x ? from.x : to.x + 1;
        cairo_rectangle(context, left, from.y, std::abs(to.x - from.x), 1);
    } else if (from.x == to.x && from.y != to.y) {
        const int top = from.y < to.y ? from.y : to.y + 1;
        cairo_rectangle(context, from.x, top, 1, std::abs(to.y - from.y));
    } else {
        forEachLinePixel(from, to,
                         [context](int x, int y) { cairo_rectangle(context, x, y, 1, 1); });
    }
}

// Pixels whose centres lie inside the ellipse inscribed in the bounds, less
// an inset (the pen's ring is the difference of two of them).
void addEllipse(cairo_t* context, PanelRect bounds, double inset) {
    const double rx = (bounds.right - bounds.left) / 2.0 - inset;
    const double ry = (bounds.bottom - bounds.top) / 2.0 - inset;
    if (rx <= 0 || ry <= 0) return;
    cairo_save(context);
    cairo_translate(context, (bounds.left + bounds.right) / 2.0,
                    (bounds.top + bounds.bottom) / 2.0);
    cairo_scale(context, rx, ry);
    cairo_arc(context, 0, 0, 1, 0, 2 * 3.14159265358979323846);
    cairo_restore(context);
}

std::string utf8Of(const char16_t* text) {
    std::string out;
    for (const char16_t* p = text; *p; ++p) {
        char32_t c = *p;
        if (c >= 0xD800 && c < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (*++p - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The Windows faces the panel names, as fontconfig families installed on
// Debian with metrics close to them.
const char* familyFor(const char16_t*) {
    return "Liberation Sans";
}

// The face's average character width per em (the TrueType OS/2 value GDI
// takes as a font's width); 0 when the font has none.
double averageWidthPerEm(cairo_scaled_font_t* font) {
    if (cairo_scaled_font_get_type(font) != CAIRO_FONT_TYPE_FT) return 0.0;
    double perEm = 0.0;
    if (FT_Face face = cairo_ft_scaled_font_lock_face(font)) {
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        if (os2 && face->units_per_EM > 0)
            perEm = double(os2->xAvgCharWidth) / double(face->units_per_EM);
        cairo_ft_scaled_font_unlock_face(font);
    }
    return perEm;
}

// Selects the font so that its cell (ascent plus descent) is the asked
// height, as CreateFontW's positive height means, and its average character
// width the asked width (0: the face's own). Answers the cell's ascent.
double selectFont(cairo_t* context, const FontSpec& font) {
    cairo_select_font_face(context, familyFor(font.face), CAIRO_FONT_SLANT_NORMAL,
                           font.weight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(context, options);
    cairo_font_options_destroy(options);

    const double height = font.height > 0 ? font.height : 12;
    cairo_set_font_size(context, height);
    cairo_font_extents_t extents;
    cairo_font_extents(context, &extents);
    const double cell = extents.ascent + extents.descent;
    const double em = cell > 0 ? height * height / cell : height;
    double xScale = em;
    if (font.width > 0) {
        const double perEm = averageWidthPerEm(cairo_get_scaled_font(context));
        if (perEm > 0) xScale = font.width / perEm;
    }
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, xScale, em);
    cairo_set_font_matrix(context, &matrix);
    cairo_font_extents(context, &extents);
    return extents.ascent;
}

double textWidth(cairo_t* context, const std::string& text) {
    cairo_text_extents_t extents;
    cairo_text_extents(context, text.c_str(), &extents);
    return extents.x_advance;
}

int alignedX(PanelRect rect, double width, TextAlign align) {
    switch (align) {
    case TextAlign::centre:
        return rect.left + (rect.right - rect.left - static_cast<int>(width)) / 2;
    case TextAlign::right:
        return rect.right - static_cast<int>(width);
    default:
        return rect.left;
    }
}

void showText(cairo_t* context, double x, double baseline, const std::string& text) {
    cairo_move_to(context, x, baseline);
    cairo_show_text(context, text.c_str());
}

} // namespace

CairoSurface::CairoSurface(cairo_t* context) : context(context) {
    cairo_save(context);
    cairo_set_antialias(context, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(context, CAIRO_FILL_RULE_EVEN_ODD); // GDI's ALTERNATE
    cairo_set_operator(context, CAIRO_OPERATOR_SOURCE);     // colours land exactly
}

CairoSurface::~CairoSurface() {
    cairo_restore(context);
}

void CairoSurface::fillRect(PanelRect rect, Rgb colour) {
    if (isEmpty(rect)) return;
    addRect(context, rect);
    setColour(context, colour);
    cairo_fill(context);
}

void CairoSurface::frameRect(PanelRect rect, Rgb colour) {
    if (isEmpty(rect)) return;
    addRect(context, rect);
    if (rect.right - rect.left > 2 && rect.bottom - rect.top > 2)
        addRect(context, {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1});
    setColour(context, colour);
    cairo_fill(context);
}

void CairoSurface::outlineRect(PanelRect rect, Rgb pen) {
    frameRect(rect, pen);
}

void CairoSurface::line(PanelPoint from, PanelPoint to, int penWidth, Rgb pen) {
    setColour(context, pen);
    if (penWidth <= 1) {
        // Pixels overlap nowhere, so one fill of all of them is exact.
        cairo_set_fill_rule(context, CAIRO_FILL_RULE_WINDING);
        addLinePixels(context, from, to);
        cairo_fill(context);
        cairo_set_fill_rule(context, CAIRO_FILL_RULE_EVEN_ODD);
        return;
    }
    // A wide pen is a geometric pen with round ends on the integer grid, as
    // CreatePen makes one; it includes its end point.
    cairo_set_line_width(context, penWidth);
    cairo_set_line_cap(context, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(context, from.x, from.y);
    cairo_line_to(context, to.x, to.y);
    cairo_stroke(context);
}

void CairoSurface::ellipse(PanelRect bounds, Rgb pen, Rgb brush) {
    if (isEmpty(bounds)) return;
    addEllipse(context, bounds, 0.0);
    setColour(context, brush);
    cairo_fill(context);
    // The pen's ring: the pixels between the ellipse and one pixel inside it.
    addEllipse(context, bounds, 0.0);
    addEllipse(context, bounds, 1.0);
    setColour(context, pen);
    cairo_fill(context);
}

void CairoSurface::polygon(const PanelPoint* points, int count, int penWidth, Rgb pen, Rgb brush) {
    if (!points || count < 2) return;
    // GDI's region samples each pixel at its top-left corner: the same as
    // Cairo's centre sampling of the polygon moved by half a pixel.
    auto addPath = [&] {
        for (int i = 0; i < count; ++i)
            cairo_line_to(context, points[i].x + 0.5, points[i].y + 0.5);
        cairo_close_path(context);
    };
    addPath();
    setColour(context, brush);
    cairo_fill(context);
    if (penWidth > 1) {
        // A wide pen straddles the edges; on the same half-pixel path it
        // covers, for an even width, the pixels a one-pixel pen covers
        // magnified.
        addPath();
        cairo_set_line_width(context, penWidth);
        cairo_set_line_join(context, CAIRO_LINE_JOIN_ROUND);
        setColour(context, pen);
        cairo_stroke(context);
        return;
    }
    cairo_set_fill_rule(context, CAIRO_FILL_RULE_WINDING); // outline pixels may repeat
    for (int i = 0; i < count; ++i)
        addLinePixels(context, points[i], points[(i + 1) % count]);
    setColour(context, pen);
    cairo_fill(context);
    cairo_set_fill_rule(context, CAIRO_FILL_RULE_EVEN_ODD);
}

void CairoSurface::textAt(PanelPoint at, const char16_t* text, const FontSpec& font, Rgb colour) {
    if (!text) return;
    cairo_save(context);
    cairo_set_operator(context, CAIRO_OPERATOR_OVER); // transparent background
    const double ascent = selectFont(context, font);
    setColour(context, colour);
    showText(context, at.x, at.y + ascent, utf8Of(text));
    cairo_restore(context);
}

void CairoSurface::textIn(PanelRect rect, const char16_t* text, const FontSpec& font, Rgb colour,
                          TextAlign align, TextLines lines) {
    if (!text || isEmpty(rect)) return;
    cairo_save(context);
    cairo_set_operator(context, CAIRO_OPERATOR_OVER);
    addRect(context, rect); // DrawTextW clips to its rectangle
    cairo_clip(context);
    const double ascent = selectFont(context, font);
    const int cell = font.height > 0 ? font.height : 12;
    setColour(context, colour);
    const std::string all = utf8Of(text);
    if (lines == TextLines::single) {
        const int top = rect.top + (rect.bottom - rect.top - cell) / 2;
        showText(context, alignedX(rect, textWidth(context, all), align), top + ascent, all);
    } else {
        int top = rect.top;
        for (std::size_t start = 0; start <= all.size(); top += cell) {
            std::size_t end = all.find('\n', start);
            if (end == std::string::npos) end = all.size();
            const std::string one = all.substr(start, end - start);
            if (!one.empty())
                showText(context, alignedX(rect, textWidth(context, one), align), top + ascent,
                         one);
            start = end + 1;
        }
    }
    cairo_restore(context);
}

// DrawEdge's sunken border: an outer ring (shadow on the top and left,
// highlight on the bottom and right) and an inner one (dark shadow, light),
// each drawn as four LineTo strokes in that order, so the lower and right
// strokes own the corners they share.
void CairoSurface::sunkenEdge(PanelRect rect) {
    auto ring = [this](PanelRect r, Rgb topLeft, Rgb bottomRight) {
        if (isEmpty(r)) return;
        line({r.left, r.top}, {r.right, r.top}, 1, topLeft);
        line({r.left, r.top}, {r.left, r.bottom}, 1, topLeft);
        line({r.right - 1, r.bottom - 1}, {r.left - 1, r.bottom - 1}, 1, bottomRight);
        line({r.right - 1, r.bottom - 1}, {r.right - 1, r.top - 1}, 1, bottomRight);
    };
    ring(rect, edgeShade(EdgeShade::shadow), edgeShade(EdgeShade::highlight));
    ring({rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1},
         edgeShade(EdgeShade::darkShadow), edgeShade(EdgeShade::light));
}

} // namespace t815
