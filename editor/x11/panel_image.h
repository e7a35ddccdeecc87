// The whole panel painted off screen on a Cairo image surface: what the X11
// editor copies to its window in one step, and what the plug-in hands a host
// that asks for a snapshot of the panel.
#pragma once

#include <cairo.h>

#include <cstdint>

namespace t815 {

struct PluginInstance;

// A new 920 x 430 RGB24 image of the panel as the instance shows it now;
// the caller destroys it. Null when Cairo cannot make the image.
cairo_surface_t* paintPanelImage(const PluginInstance& instance);

// The panel as 920 x 430 pixels of four bytes, red, green, blue and 255,
// rows `stride` bytes apart (at least 920 x 4). False when the image cannot
// be made or the arguments are unusable.
bool copyPanelPixels(const PluginInstance& instance, std::uint8_t* rgba, long stride);

} // namespace t815
