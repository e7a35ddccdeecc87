// The pixels of a one-pixel line as GDI's LineTo sets them: a Bresenham walk
// from the start point that stops before the end point, with the error term
// biased in the octants where GDI's diamond rule rounds the other way, so
// that ties fall on the same side as on Windows.
#pragma once

#include "draw_surface.h"

#include <cstdlib>

namespace t815 {

// Octants 1..8 counted anticlockwise from +x in a y-down frame.
inline int lineOctant(int dx, int dy) {
    if (dy > 0) {
        if (dx > 0) return dx > dy ? 1 : 2;
        return -dx > dy ? 4 : 3;
    }
    if (dx < 0) return -dx > -dy ? 5 : 6;
    return dx > -dy ? 8 : 7;
}

// Calls plot(x, y) for every pixel of the line from `from` up to, not
// including, `to`.
template <typename Plot> void forEachLinePixel(PanelPoint from, PanelPoint to, Plot plot) {
    const int dx = to.x - from.x, dy = to.y - from.y;
    const int absDx = std::abs(dx), absDy = std::abs(dy);
    const unsigned octantBit = 1u << (lineOctant(dx, dy) - 1);
    const int bias = (octantBit & 0xb4u) ? 1 : 0;   // octants 3, 5, 6, 8
    const bool xMajor = (octantBit & 0x99u) != 0;   // octants 1, 4, 5, 8
    const int xStep = (octantBit & 0xc3u) ? 1 : -1; // octants 1, 2, 7, 8
    const int yStep = (octantBit & 0x0fu) ? 1 : -1; // octants 1..4
    const int major = xMajor ? absDx : absDy, minor = xMajor ? absDy : absDx;
    int x = from.x, y = from.y;
    int error = 2 * minor - major;
    for (int left = major; left > 0; --left) {
        plot(x, y);
        if (error + bias > 0) {
            if (xMajor)
                y += yStep;
            else
                x += xStep;
            error += 2 * minor - 2 * major;
        } else {
            error += 2 * minor;
        }
        if (xMajor)
            x += xStep;
        else
            y += yStep;
    }
}

} // namespace t815
