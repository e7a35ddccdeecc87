// The recording surface: each call is appended as it came. fillAt walks the
// calls backwards, since later drawing covers earlier drawing.
#include "recording_surface.h"

namespace t815 {

namespace {

RecordedFont recorded(const FontSpec& font) {
    return {font.face ? font.face : u"",
            font.height,
            font.width,
            font.weight,
            font.charset,
            font.quality};
}

bool insideRect(PanelRect r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// The pixel's centre inside the ellipse inscribed in the bounds.
bool insideEllipse(PanelRect r, int x, int y) {
    const double rx = (r.right - r.left) / 2.0, ry = (r.bottom - r.top) / 2.0;
    if (rx <= 0 || ry <= 0) return false;
    const double dx = (x + 0.5 - (r.left + rx)) / rx, dy = (y + 0.5 - (r.top + ry)) / ry;
    return dx * dx + dy * dy < 1.0;
}

// Even-odd rule on the pixel's centre.
bool insidePolygon(const std::vector<PanelPoint>& p, int x, int y) {
    const double px = x + 0.5, py = y + 0.5;
    bool inside = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        if ((p[i].y > py) != (p[j].y > py) &&
            px < p[j].x + (py - p[j].y) * (p[i].x - p[j].x) / double(p[i].y - p[j].y))
            inside = !inside;
    }
    return inside;
}

bool sameRect(PanelRect a, PanelRect b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool samePoints(const std::vector<PanelPoint>& a, const std::vector<PanelPoint>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y) return false;
    return true;
}

} // namespace

bool sameCall(const DrawCall& a, const DrawCall& b) {
    return a.kind == b.kind && sameRect(a.rect, b.rect) && samePoints(a.points, b.points) &&
           a.penWidth == b.penWidth && a.pen == b.pen && a.colour == b.colour && a.text == b.text &&
           a.font == b.font && a.align == b.align && a.lines == b.lines;
}

void RecordingSurface::fillRect(PanelRect rect, Rgb colour) {
    DrawCall call{};
    call.kind = DrawKind::fillRect;
    call.rect = rect;
    call.colour = colour;
    calls.push_back(call);
}

void RecordingSurface::frameRect(PanelRect rect, Rgb colour) {
    DrawCall call{};
    call.kind = DrawKind::frameRect;
    call.rect = rect;
    call.pen = colour;
    calls.push_back(call);
}

void RecordingSurface::outlineRect(PanelRect rect, Rgb pen) {
    DrawCall call{};
    call.kind = DrawKind::outlineRect;
    call.rect = rect;
    call.pen = pen;
    calls.push_back(call);
}

void RecordingSurface::line(PanelPoint from, PanelPoint to, int penWidth, Rgb pen) {
    DrawCall call{};
    call.kind = DrawKind::line;
    call.points = {from, to};
    call.penWidth = penWidth;
    call.pen = pen;
    calls.push_back(call);
}

void RecordingSurface::ellipse(PanelRect bounds, Rgb pen, Rgb brush) {
    DrawCall call{};
    call.kind = DrawKind::ellipse;
    call.rect = bounds;
    call.pen = pen;
    call.colour = brush;
    calls.push_back(call);
}

void RecordingSurface::polygon(const PanelPoint* points, int count, int penWidth, Rgb pen,
                               Rgb brush) {
    DrawCall call{};
    call.kind = DrawKind::polygon;
    if (points && count > 0) call.points.assign(points, points + count);
    call.penWidth = penWidth;
    call.pen = pen;
    call.colour = brush;
    calls.push_back(call);
}

void RecordingSurface::textAt(PanelPoint at, const char16_t* text, const FontSpec& font,
                              Rgb colour) {
    DrawCall call{};
    call.kind = DrawKind::textAt;
    call.points = {at};
    call.text = text ? text : u"";
    call.font = recorded(font);
    call.colour = colour;
    calls.push_back(call);
}

void RecordingSurface::textIn(PanelRect rect, const char16_t* text, const FontSpec& font,
                              Rgb colour, TextAlign align, TextLines lines) {
    DrawCall call{};
    call.kind = DrawKind::textIn;
    call.rect = rect;
    call.text = text ? text : u"";
    call.font = recorded(font);
    call.colour = colour;
    call.align = align;
    call.lines = lines;
    calls.push_back(call);
}

void RecordingSurface::sunkenEdge(PanelRect rect) {
    DrawCall call{};
    call.kind = DrawKind::sunkenEdge;
    call.rect = rect;
    calls.push_back(call);
}

std::optional<Rgb> RecordingSurface::fillAt(int x, int y) const {
    for (auto call = calls.rbegin(); call != calls.rend(); ++call) {
        switch (call->kind) {
        case DrawKind::fillRect:
            if (insideRect(call->rect, x, y)) return call->colour;
            break;
        case DrawKind::ellipse:
            if (insideEllipse(call->rect, x, y)) return call->colour;
            break;
        case DrawKind::polygon:
            if (call->points.size() > 2 && insidePolygon(call->points, x, y)) return call->colour;
            break;
        default:
            break;
        }
    }
    return std::nullopt;
}

const DrawCall* RecordingSurface::findText(const std::u16string& text) const {
    for (const DrawCall& call : calls)
        if ((call.kind == DrawKind::textAt || call.kind == DrawKind::textIn) && call.text == text)
            return &call;
    return nullptr;
}

} // namespace t815
