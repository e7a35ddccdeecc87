// The panel's four moving parts, drawn on a surface: a rotary knob, a
// square push button (also the latching switches), a round lamp and a
// slanted seven-segment LED digit. Each is made for one row of the panel:
// its vertical place is fixed, only the horizontal one (and the lamp's
// centre) is passed in.
#pragma once

#include "draw_surface.h"

namespace t815 {

// A knob centred at (centreX, 82); value 0..1 turns its pointer 270 degrees
// clockwise from the lower left. Values outside 0..1 draw as the nearest end.
void drawKnob(DrawSurface& surface, int centreX, float value);

// A 22 x 22 button at y 154..176; blue when coloured, grey otherwise; a
// pressed one is darker and its face one pixel lower.
void drawButton(DrawSurface& surface, int left, bool coloured, bool down);

// An 8 x 8 round lamp, bright red when lit.
void drawLamp(DrawSurface& surface, bool lit, int centreX, int centreY);

// A digit 0..9 in a 17 x 27 cell from y 147, leaning 3 pixels right at the
// top; any other value shows every segment dark. The decimal point is
// always dark.
void drawDigit(DrawSurface& surface, unsigned digit, int left);

} // namespace t815
