// One paint of the whole panel without flicker: drawn into an off-screen
// bitmap compatible with the target context, then copied in one BitBlt.
#pragma once

#include "panel_scale.h"
#include "panel_state.h"

#include <windows.h>

namespace t815 {

// Draws the panel showing `state` at the scale into `target` at (0, 0),
// scaledPanelSize(scale) pixels. Every GDI object it makes (memory context,
// bitmap, pens, brushes, fonts) is deleted before it returns.
void paintPanelBuffered(HDC target, const PanelState& state, PanelScale scale = kUnitScale);

} // namespace t815
