// One paint of the whole panel without flicker: drawn into an off-screen
// bitmap compatible with the target context, then copied in one BitBlt.
#pragma once

#include "instrument_operations.h"
#include "panel_scale.h"

#include <windows.h>

namespace t815 {

// The off-screen bitmap and its memory context, for a caller that paints
// often to keep from one paint to the next. A new bitmap for every paint
// costs the process fresh memory each time, which 32-bit Wine hands out
// page by page: about 0.8 ms of a 1x paint there, several at 2x.
struct PanelBackBuffer {
    HDC memory = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ originalBitmap = nullptr; // what the memory context held before
    PanelSize size{0, 0};
};

// Draws the panel showing `state` at the scale into `target` at (0, 0),
// scaledPanelSize(scale) pixels, through the buffer, which is made (or made
// again at a new size) compatible with the target when it has to be. The
// pens, brushes and fonts of the paint are deleted before it returns.
void paintPanelBuffered(HDC target, const PanelState& state, PanelScale scale,
                        PanelBackBuffer& buffer);

// Deletes the buffer's bitmap and context; the buffer can be used again.
void releasePanelBackBuffer(PanelBackBuffer& buffer);

// The same paint with a buffer of its own: every GDI object it makes
// (memory context, bitmap, pens, brushes, fonts) is deleted before it
// returns.
void paintPanelBuffered(HDC target, const PanelState& state, PanelScale scale = kUnitScale);

} // namespace t815
