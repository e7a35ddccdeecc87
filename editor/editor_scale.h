// Where the panel's scale comes from, the rules every platform's editor
// shares: a host's explicit scale first, else the display's, else 1; and
// the display's own figure read from a DPI (96 being scale 1), including
// the Xft.dpi line of an X server's resources.
#pragma once

#include "panel_scale.h"

namespace t815 {

struct PluginInstance;

// Keeps a host's factor for the instance as the nearest quarter step in
// 1..4; false, with nothing kept, for NaN, infinities and factors <= 0.
bool takeHostScale(PluginInstance& instance, double factor);

// The host's explicit scale if it gave one, else `display`.
PanelScale chosenScale(const PluginInstance& instance, PanelScale display);

// The scale of a display of `dpi` dots per inch; 1 for 0, NaN and the like.
PanelScale scaleOfDpi(double dpi);

// The value of the `Xft.dpi:` line of an X resource string; 0 when the
// string is null or has no such line with a number.
double xftDpiOf(const char* resources);

} // namespace t815
