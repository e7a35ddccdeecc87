// The whole panel painted off screen on a Cairo image surface: what the X11
// editor copies to its window in one step, and what the plug-in hands a host
// that asks for a snapshot of the panel.
#pragma once

#include "panel_scale.h"

#include <cairo.h>

#include <cstdint>

namespace t815 {

struct PluginInstance;
struct PanelState;

// A new RGB24 image of scaledPanelSize(scale) pixels (920 x 430 at 1)
// showing the state; the caller destroys it. Null when Cairo cannot make
// the image.
cairo_surface_t* paintPanelImage(const PanelState& state, PanelScale scale);

// The same for the panel as the instance shows it now.
cairo_surface_t* paintPanelImage(const PluginInstance& instance, PanelScale scale = kUnitScale);

// The panel as scaledPanelSize(scale) pixels of four bytes, red, green,
// blue and 255, rows `stride` bytes apart (at least the width x 4). False
// when the image cannot be made or the arguments are unusable.
bool copyPanelPixels(const PluginInstance& instance, std::uint8_t* rgba, long stride,
                     PanelScale scale = kUnitScale);

} // namespace t815
