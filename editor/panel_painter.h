// The painter of the whole front panel: casing, legends, knobs, program
// buttons and LED display, switches, logo, program list, MIDI legend,
// modulation wheel, keyboard and, while it is open, the About overlay.
// It only reads the state it is given; later elements paint over earlier
// ones.
#pragma once

#include "draw_surface.h"
#include "instrument_operations.h"
#include "panel_scale.h"

namespace t815 {

// The panel's fonts (all not italic, underlined or struck out, default
// precision, pitch and family).
namespace panel_font {
constexpr FontSpec small{u"Arial", 10, 0, 700, 1, 0};    // switch captions
constexpr FontSpec label{u"Arial", 11, 0, 700, 1, 0};    // the other captions
constexpr FontSpec list{u"Arial", 11, 0, 400, 1, 0};     // program list entries
constexpr FontSpec subtitle{u"Arial", 11, 0, 700, 1, 0}; // the line under the logo
constexpr FontSpec logo{u"Arial", 21, 9, 800, 204, 4};
constexpr FontSpec model{u"Arial Black", 58, 0, 900, 1, 4};
// The About overlay's.
constexpr FontSpec aboutSmall{u"Tahoma", 15, 0, 700, 204, 0};
constexpr FontSpec aboutLarge{u"Tahoma", 26, 0, 700, 204, 0};
constexpr FontSpec aboutBody{u"Tahoma", 16, 0, 700, 204, 0};
} // namespace panel_font

// The whole panel in the layout's pixels, 920 x 430.
void paintPanel(DrawSurface& surface, const PanelState& state);

// The whole panel at a scale, drawn directly at the target size on a
// surface of scaledPanelSize(scale) pixels; at scale 1 exactly the above.
void paintPanel(DrawSurface& surface, const PanelState& state, PanelScale scale);

} // namespace t815
