// The Cairo surface against GDI's pixel rules, on a real Cairo image: fills
// exclude the right and bottom edges, frames and outlines lie inside the
// rectangle, a line stops before its end point, ellipses and polygons stay
// within their bounds with the brush inside and the pen on the edge, text
// lands inside its rectangle in its colour.
#include "cairo_surface.h"
#include "line_raster.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <utility>

namespace t815 {
namespace {

constexpr Rgb kPaper{0, 0, 0};
constexpr Rgb kInk{200, 100, 50};
constexpr Rgb kPen{10, 220, 30};

// A 64 x 64 image, black, drawn on through the surface.
class Canvas {
  public:
    Canvas() : image(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 64, 64)) {
        cairo_t* context = cairo_create(image);
        {
            CairoSurface clear(context);
            clear.fillRect({0, 0, 64, 64}, kPaper);
        }
        cairo_destroy(context);
    }
    ~Canvas() { cairo_surface_destroy(image); }
    void draw(const std::function<void(DrawSurface&)>& steps) {
        cairo_t* context = cairo_create(image);
        {
            CairoSurface surface(context);
            steps(surface);
        }
        cairo_destroy(context);
        cairo_surface_flush(image);
    }
    Rgb at(int x, int y) const {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image));
        const std::uint32_t p = row[x];
        return {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)};
    }
    std::set<std::pair<int, int>> pixelsOf(Rgb colour) const {
        std::set<std::pair<int, int>> found;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                if (at(x, y) == colour) found.insert({x, y});
        return found;
    }

  private:
    cairo_surface_t* image;
};

std::set<std::pair<int, int>> rectPixels(int left, int top, int right, int bottom) {
    std::set<std::pair<int, int>> pixels;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            pixels.insert({x, y});
    return pixels;
}

TEST(CairoSurfaceTest, FillsAndFramesCoverExactlyGdisPixels) {
    Canvas fill;
    fill.draw([](DrawSurface& s) {
        s.fillRect({3, 4, 10, 7}, kInk);
        s.fillRect({20, 20, 20, 30}, kInk); // empty
        s.fillRect({30, 30, 25, 35}, kInk); // inverted
    });
    EXPECT_EQ(fill.pixelsOf(kInk), rectPixels(3, 4, 10, 7));

    Canvas frame;
    frame.draw([](DrawSurface& s) { s.frameRect({2, 2, 8, 6}, kInk); });
    auto ring = rectPixels(2, 2, 8, 6);
    for (const auto& inner : rectPixels(3, 3, 7, 5))
        ring.erase(inner);
    EXPECT_EQ(frame.pixelsOf(kInk), ring);

    Canvas outline;
    outline.draw([](DrawSurface& s) { s.outlineRect({2, 2, 8, 6}, kInk); });
    EXPECT_EQ(outline.pixelsOf(kInk), ring);
}

TEST(CairoSurfaceTest, OnePixelLinesStopBeforeTheirEndPoint) {
    const struct {
        PanelPoint from, to;
    } lines[] = {
        {{5, 5}, {12, 5}},    {{12, 9}, {5, 9}},    {{3, 2}, {3, 10}},    {{3, 30}, {3, 20}},
        {{20, 20}, {26, 23}}, {{40, 10}, {37, 20}}, {{30, 40}, {20, 30}},
    };
    for (const auto& l : lines) {
        Canvas canvas;
        canvas.draw([&](DrawSurface& s) { s.line(l.from, l.to, 1, kPen); });
        std::set<std::pair<int, int>> walked;
        forEachLinePixel(l.from, l.to, [&](int x, int y) { walked.insert({x, y}); });
        const int length = std::max(std::abs(l.to.x - l.from.x), std::abs(l.to.y - l.from.y));
        EXPECT_EQ(int(walked.size()), length);
        EXPECT_EQ(canvas.pixelsOf(kPen), walked) << l.from.x << "," << l.from.y;
        EXPECT_TRUE(walked.count({l.from.x, l.from.y}));
        EXPECT_FALSE(walked.count({l.to.x, l.to.y}));
    }
}

TEST(CairoSurfaceTest, EllipsesAndPolygonsFillInsideTheirPenWithinTheirBounds) {
    Canvas lamp;
    lamp.draw([](DrawSurface& s) { s.ellipse({10, 10, 18, 18}, kPen, kInk); });
    for (const auto& p : lamp.pixelsOf(kPen)) {
        EXPECT_GE(p.first, 10);
        EXPECT_LT(p.first, 18);
        EXPECT_GE(p.second, 10);
        EXPECT_LT(p.second, 18);
    }
    EXPECT_EQ(lamp.at(14, 14), kInk);
    EXPECT_EQ(lamp.at(13, 13), kInk);
    EXPECT_EQ(lamp.at(10, 14), kPen);
    EXPECT_EQ(lamp.at(17, 13), kPen);
    EXPECT_EQ(lamp.at(18, 14), kPaper);

    Canvas square;
    const PanelPoint corners[] = {{5, 5}, {15, 5}, {15, 12}, {5, 12}};
    square.draw([&](DrawSurface& s) { s.polygon(corners, 4, 1, kPen, kInk); });
    EXPECT_EQ(square.pixelsOf(kInk), rectPixels(6, 6, 15, 12));
    auto edge = rectPixels(5, 5, 16, 13);
    for (const auto& inner : rectPixels(6, 6, 15, 12))
        edge.erase(inner);
    EXPECT_EQ(square.pixelsOf(kPen), edge);
}

TEST(CairoSurfaceTest, TextIsDrawnInItsColourInsideItsRectangleOnly) {
    Canvas canvas;
    const FontSpec label{u"Arial", 11, 0, 700, 1, 0};
    canvas.draw([&](DrawSurface& s) {
        s.fillRect({0, 0, 64, 64}, {28, 30, 34});
        s.textIn({4, 4, 40, 18}, u"ГРУППА ГРУППА", label, {235, 240, 245}, TextAlign::centre,
                 TextLines::single);
    });
    EXPECT_FALSE(canvas.pixelsOf({235, 240, 245}).empty());
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (x < 4 || x >= 40 || y < 4 || y >= 18) {
                EXPECT_EQ(canvas.at(x, y), (Rgb{28, 30, 34})) << x << "," << y;
            }
}

} // namespace
} // namespace t815
