// The drawing primitives. Angles are degrees turned into radians in double
// precision; a point at angle t and radius r about (cx, cy) is (cx +
// trunc(r cos t), cy + trunc(r sin t)), so with y growing down -90 degrees
// points straight up.
#include "panel_primitives.h"

#include "panel_layout.h"

#include <cmath>
#include <cstdint>

namespace t815 {

namespace {

constexpr double kPi = 3.14159265358979323846;

PanelPoint pointAt(int centreX, int centreY, double degrees, double radius) {
    const double radians = degrees * kPi / 180.0;
    return {centreX + static_cast<int>(radius * std::cos(radians)),
            centreY + static_cast<int>(radius * std::sin(radians))};
}

// Knob: 11 scale ticks 27 degrees apart from -225 (lower left) to +45
// (lower right); the pointer sweeps the same 270 degrees.
constexpr Rgb kKnobBodyPen{65, 70, 75};
constexpr Rgb kKnobOuterBody{14, 15, 18};
constexpr Rgb kKnobInnerBody{42, 45, 50};
constexpr int kKnobTicks = 11;
constexpr double kKnobStartDegrees = -225.0;
constexpr double kKnobSweepDegrees = 270.0;
constexpr double kKnobTickStep = 27.0;

// Button faces by [coloured][down], and their highlight pens by coloured.
constexpr Rgb kButtonFrame{10, 11, 13};
constexpr Rgb kButtonFace[2][2] = {{{38, 41, 46}, {22, 24, 27}}, {{0, 135, 225}, {0, 110, 195}}};
constexpr Rgb kButtonHighlight[2] = {{75, 80, 88}, {80, 195, 255}};

constexpr Rgb kLampLit{255, 45, 30};
constexpr Rgb kLampDark{70, 18, 18};
constexpr Rgb kLampPen{15, 15, 15};
constexpr int kLampRadius = 4;

// LED digit: bit k of a digit's code lights segment k; each segment is a
// hexagon in the 17 x 27 cell (top, upper right, lower right, bottom, lower
// left, upper left, middle).
constexpr std::uint8_t kSegmentCodes[10] = {63, 6, 91, 79, 102, 109, 125, 7, 127, 111};
constexpr int kSegmentCount = 7;
constexpr PanelPoint kSegments[kSegmentCount][6] = {
    {{2, 0}, {14, 0}, {15, 1}, {13, 3}, {3, 3}, {1, 1}},
    {{15, 2}, {16, 3}, {16, 12}, {15, 13}, {13, 11}, {13, 4}},
    {{15, 14}, {16, 15}, {16, 24}, {15, 25}, {13, 23}, {13, 16}},
    {{3, 23}, {13, 23}, {15, 25}, {14, 26}, {2, 26}, {1, 25}},
    {{1, 14}, {3, 16}, {3, 23}, {1, 25}, {0, 24}, {0, 15}},
    {{1, 2}, {3, 4}, {3, 11}, {1, 13}, {0, 12}, {0, 3}},
    {{3, 12}, {13, 12}, {14, 13}, {13, 14}, {3, 14}, {2, 13}},
};
constexpr int kDigitCellBottom = 26; // the slant is measured from the bottom row
constexpr int kDigitSlant = 3;
constexpr Rgb kSegmentLit{255, 42, 18};
constexpr Rgb kSegmentLitPen{255, 95, 50};
constexpr Rgb kSegmentDark{48, 10, 12};
constexpr Rgb kSegmentDarkPen{36, 7, 9};
constexpr PanelRect kDecimalPoint{17, 170, 20, 173}; // x relative to the cell, y absolute

void drawSegment(DrawSurface& surface, int segment, int left, bool lit) {
    PanelPoint points[6];
    for (int i = 0; i < 6; ++i) {
        const PanelPoint cell = kSegments[segment][i];
        points[i] = {left + cell.x + ((kDigitCellBottom - cell.y) * kDigitSlant) / kDigitCellBottom,
                     kDigitTop + cell.y};
    }
    surface.polygon(points, 6, 1, lit ? kSegmentLitPen : kSegmentDarkPen,
                    lit ? kSegmentLit : kSegmentDark);
}

} // namespace

void drawKnob(DrawSurface& surface, int centreX, float value) {
    // NaN draws as 0, like anything below the range.
    const float v = !(value > 0.0f) ? 0.0f : (value > 1.0f ? 1.0f : value);
    const int cy = kKnobCentreY;
    for (int i = 0; i < kKnobTicks; ++i) {
        const double degrees = kKnobTickStep * i + kKnobStartDegrees;
        surface.line(pointAt(centreX, cy, degrees, 18), pointAt(centreX, cy, degrees, 21), 1,
                     panel_colour::caption);
    }
    surface.ellipse({centreX - 16, cy - 16, centreX + 16, cy + 16}, kKnobBodyPen, kKnobOuterBody);
    surface.ellipse({centreX - 12, cy - 12, centreX + 12, cy + 12}, kKnobBodyPen, kKnobInnerBody);
    const double degrees = kKnobSweepDegrees * static_cast<double>(v) + kKnobStartDegrees;
    surface.line(pointAt(centreX, cy, degrees, 3), pointAt(centreX, cy, degrees, 14), 2,
                 panel_colour::caption);
}

void drawButton(DrawSurface& surface, int left, bool coloured, bool down) {
    const int top = kButtonTop;
    surface.fillRect({left, top, left + kButtonSize, top + kButtonSize}, kButtonFrame);
    const int d = down ? 1 : 0;
    surface.fillRect({left + 2, top + 2 + d, left + 20, top + 20 + d}, kButtonFace[coloured][down]);
    const Rgb highlight = kButtonHighlight[coloured];
    surface.line({left + 2, top + 2 + d}, {left + 19, top + 2 + d}, 1, highlight);
    surface.line({left + 2, top + 2 + d}, {left + 2, top + 19 + d}, 1, highlight);
}

void drawLamp(DrawSurface& surface, bool lit, int centreX, int centreY) {
    surface.ellipse({centreX - kLampRadius, centreY - kLampRadius, centreX + kLampRadius,
                     centreY + kLampRadius},
                    kLampPen, lit ? kLampLit : kLampDark);
}

void drawDigit(DrawSurface& surface, unsigned digit, int left) {
    const unsigned code = digit < 10 ? kSegmentCodes[digit] : 0;
    for (int k = 0; k < kSegmentCount; ++k)
        if (!(code & (1u << k))) drawSegment(surface, k, left, false);
    surface.ellipse({left + kDecimalPoint.left, kDecimalPoint.top, left + kDecimalPoint.right,
                     kDecimalPoint.bottom},
                    kSegmentDarkPen, kSegmentDark);
    for (int k = 0; k < kSegmentCount; ++k)
        if (code & (1u << k)) drawSegment(surface, k, left, true);
}

} // namespace t815
