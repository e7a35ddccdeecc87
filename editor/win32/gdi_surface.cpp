// GDI drawing for the panel. The fewer objects made and selected per call,
// the cheaper a paint (Wine's GDI above all): one-pixel pens and solid
// brushes are the DC pen and the DC brush, selected for the surface's life
// and recoloured per call; fills are pattern copies with that brush.
#include "gdi_surface.h"

namespace t815 {

namespace {

COLORREF colourRef(Rgb colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

RECT winRect(PanelRect rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

const wchar_t* wide(const char16_t* text) {
    // wchar_t is the same 16-bit UTF-16 unit on Windows.
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return reinterpret_cast<const wchar_t*>(text);
}

HFONT makeFont(const FontSpec& font) {
    return CreateFontW(font.height, font.width, 0, 0, font.weight, FALSE, FALSE, FALSE,
                       static_cast<DWORD>(font.charset), 0, 0, static_cast<DWORD>(font.quality), 0,
                       wide(font.face));
}

bool sameFace(const char16_t* a, const char16_t* b) {
    if (a == b) return true;
    if (!a || !b) return false;
    while (*a && *a == *b)
        ++a, ++b;
    return *a == *b;
}

bool sameFont(const FontSpec& a, const FontSpec& b) {
    return a.height == b.height && a.width == b.width && a.weight == b.weight &&
           a.charset == b.charset && a.quality == b.quality && sameFace(a.face, b.face);
}

int textLength(const char16_t* text) {
    int length = 0;
    while (text[length])
        ++length;
    return length;
}

} // namespace

GdiSurface::GdiSurface(HDC dc)
    : dc(dc), originalPen(SelectObject(dc, GetStockObject(DC_PEN))),
      originalBrush(SelectObject(dc, GetStockObject(DC_BRUSH))),
      originalFont(GetCurrentObject(dc, OBJ_FONT)) {}

GdiSurface::~GdiSurface() {
    SelectObject(dc, originalFont);
    SelectObject(dc, originalBrush);
    SelectObject(dc, originalPen);
    for (int i = 0; i < fontCount; ++i)
        DeleteObject(fonts[i].font);
}

void GdiSurface::fillRect(PanelRect rect, Rgb colour) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    // What FillRect does with a brush: a pattern copy of the rectangle.
    SetDCBrushColor(dc, colourRef(colour));
    PatBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATCOPY);
}

void GdiSurface::frameRect(PanelRect rect, Rgb colour) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return;
    // FrameRect's four one-pixel sides.
    SetDCBrushColor(dc, colourRef(colour));
    PatBlt(dc, rect.left, rect.top, 1, height, PATCOPY);
    PatBlt(dc, rect.right - 1, rect.top, 1, height, PATCOPY);
    PatBlt(dc, rect.left, rect.top, width, 1, PATCOPY);
    PatBlt(dc, rect.left, rect.bottom - 1, width, 1, PATCOPY);
}

void GdiSurface::outlineRect(PanelRect rect, Rgb pen) {
    SetDCPenColor(dc, colourRef(pen));
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(dc, GetStockObject(DC_BRUSH));
}

template <typename Draw> void GdiSurface::withPen(int width, Rgb colour, Draw draw) {
    if (width <= 1) {
        SetDCPenColor(dc, colourRef(colour));
        draw();
        return;
    }
    HPEN made = CreatePen(PS_SOLID, width, colourRef(colour));
    SelectObject(dc, made);
    draw();
    SelectObject(dc, GetStockObject(DC_PEN));
    DeleteObject(made);
}

void GdiSurface::line(PanelPoint from, PanelPoint to, int penWidth, Rgb pen) {
    withPen(penWidth, pen, [&] {
        MoveToEx(dc, from.x, from.y, nullptr);
        LineTo(dc, to.x, to.y);
    });
}

void GdiSurface::ellipse(PanelRect bounds, Rgb pen, Rgb brush) {
    SetDCPenColor(dc, colourRef(pen));
    SetDCBrushColor(dc, colourRef(brush));
    Ellipse(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
}

void GdiSurface::polygon(const PanelPoint* points, int count, int penWidth, Rgb pen, Rgb brush) {
    if (!points || count < 2 || count > kMaxPolygonPoints) return;
    POINT corners[kMaxPolygonPoints];
    for (int i = 0; i < count; ++i)
        corners[i] = {points[i].x, points[i].y};
    SetDCBrushColor(dc, colourRef(brush));
    withPen(penWidth, pen, [&] { Polygon(dc, corners, count); });
}

HFONT GdiSurface::fontFor(const FontSpec& font) {
    for (int i = 0; i < fontCount; ++i)
        if (sameFont(fonts[i].wanted, font)) return fonts[i].font;
    if (fontCount == kMaxFonts) return nullptr;
    HFONT made = makeFont(font);
    if (made) fonts[fontCount++] = {font, made};
    return made;
}

template <typename Draw> void GdiSurface::withFont(const FontSpec& font, Rgb colour, Draw draw) {
    SetTextColor(dc, colourRef(colour));
    if (HFONT kept = fontFor(font)) {
        if (kept != selectedFont) SelectObject(dc, kept);
        selectedFont = kept;
        draw();
        return;
    }
    HFONT made = makeFont(font); // more fonts than the surface keeps
    SelectObject(dc, made);
    draw();
    SelectObject(dc, originalFont);
    selectedFont = nullptr;
    DeleteObject(made);
}

void GdiSurface::textAt(PanelPoint at, const char16_t* text, const FontSpec& font, Rgb colour) {
    if (!text) return;
    withFont(font, colour, [&] { TextOutW(dc, at.x, at.y, wide(text), textLength(text)); });
}

void GdiSurface::textIn(PanelRect rect, const char16_t* text, const FontSpec& font, Rgb colour,
                        TextAlign align, TextLines lines) {
    if (!text) return;
    UINT format = align == TextAlign::centre  ? DT_CENTER
                  : align == TextAlign::right ? DT_RIGHT
                                              : DT_LEFT;
    if (lines == TextLines::single) format |= DT_SINGLELINE | DT_VCENTER;
    RECT r = winRect(rect);
    withFont(font, colour, [&] { DrawTextW(dc, wide(text), -1, &r, format); });
}

void GdiSurface::sunkenEdge(PanelRect rect) {
    RECT r = winRect(rect);
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
}

Rgb GdiSurface::edgeShade(EdgeShade shade) const {
    static constexpr int kSystemColours[4] = {COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW,
                                              COLOR_3DLIGHT};
    const COLORREF colour = GetSysColor(kSystemColours[static_cast<int>(shade)]);
    return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

} // namespace t815
