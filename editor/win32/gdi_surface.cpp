// GDI drawing for the panel: one object per call, created, selected,
// restored and deleted around the single GDI call that draws.
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

// Selects a pen and a brush for one call and puts the old ones back after.
class PenAndBrush {
  public:
    PenAndBrush(HDC dc, HPEN pen, HBRUSH brush)
        : dc(dc), oldPen(SelectObject(dc, pen)), oldBrush(SelectObject(dc, brush)) {}
    ~PenAndBrush() {
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
    }
    PenAndBrush(const PenAndBrush&) = delete;
    PenAndBrush& operator=(const PenAndBrush&) = delete;

  private:
    HDC dc;
    HGDIOBJ oldPen, oldBrush;
};

template <typename Draw> void withFont(HDC dc, const FontSpec& font, Rgb colour, Draw draw) {
    HFONT made = makeFont(font);
    HGDIOBJ old = SelectObject(dc, made);
    SetTextColor(dc, colourRef(colour));
    draw();
    SelectObject(dc, old);
    DeleteObject(made);
}

int textLength(const char16_t* text) {
    int length = 0;
    while (text[length])
        ++length;
    return length;
}

} // namespace

void GdiSurface::fillRect(PanelRect rect, Rgb colour) {
    // FillRect paints with the brush it is given; nothing is selected.
    HBRUSH brush = CreateSolidBrush(colourRef(colour));
    RECT r = winRect(rect);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void GdiSurface::frameRect(PanelRect rect, Rgb colour) {
    HBRUSH brush = CreateSolidBrush(colourRef(colour));
    RECT r = winRect(rect);
    FrameRect(dc, &r, brush);
    DeleteObject(brush);
}

void GdiSurface::outlineRect(PanelRect rect, Rgb pen) {
    HPEN made = CreatePen(PS_SOLID, 1, colourRef(pen));
    {
        PenAndBrush selected(dc, made, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
        Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    }
    DeleteObject(made);
}

void GdiSurface::line(PanelPoint from, PanelPoint to, int penWidth, Rgb pen) {
    HPEN made = CreatePen(PS_SOLID, penWidth, colourRef(pen));
    HGDIOBJ old = SelectObject(dc, made);
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
    SelectObject(dc, old);
    DeleteObject(made);
}

void GdiSurface::ellipse(PanelRect bounds, Rgb pen, Rgb brush) {
    HPEN madePen = CreatePen(PS_SOLID, 1, colourRef(pen));
    HBRUSH madeBrush = CreateSolidBrush(colourRef(brush));
    {
        PenAndBrush selected(dc, madePen, madeBrush);
        Ellipse(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    }
    DeleteObject(madeBrush);
    DeleteObject(madePen);
}

void GdiSurface::polygon(const PanelPoint* points, int count, Rgb pen, Rgb brush) {
    if (count < 2 || count > kMaxPolygonPoints) return;
    POINT corners[kMaxPolygonPoints];
    for (int i = 0; i < count; ++i)
        corners[i] = {points[i].x, points[i].y};
    HPEN madePen = CreatePen(PS_SOLID, 1, colourRef(pen));
    HBRUSH madeBrush = CreateSolidBrush(colourRef(brush));
    {
        PenAndBrush selected(dc, madePen, madeBrush);
        Polygon(dc, corners, count);
    }
    DeleteObject(madeBrush);
    DeleteObject(madePen);
}

void GdiSurface::textAt(PanelPoint at, const char16_t* text, const FontSpec& font, Rgb colour) {
    withFont(dc, font, colour, [&] { TextOutW(dc, at.x, at.y, wide(text), textLength(text)); });
}

void GdiSurface::textIn(PanelRect rect, const char16_t* text, const FontSpec& font, Rgb colour,
                        TextAlign align, TextLines lines) {
    UINT format = align == TextAlign::centre  ? DT_CENTER
                  : align == TextAlign::right ? DT_RIGHT
                                              : DT_LEFT;
    if (lines == TextLines::single) format |= DT_SINGLELINE | DT_VCENTER;
    RECT r = winRect(rect);
    withFont(dc, font, colour, [&] { DrawTextW(dc, wide(text), -1, &r, format); });
}

void GdiSurface::sunkenEdge(PanelRect rect) {
    RECT r = winRect(rect);
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
}

} // namespace t815
