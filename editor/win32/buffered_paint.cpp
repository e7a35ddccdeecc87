// The off-screen buffer of a paint: memory context and bitmap made for this
// paint alone, the panel drawn into them through the GDI surface, one copy
// to the target, then everything restored and deleted.
#include "buffered_paint.h"

#include "gdi_surface.h"
#include "panel_painter.h"

namespace t815 {

void paintPanelBuffered(HDC target, const PanelState& state, PanelScale scale) {
    const PanelSize size = scaledPanelSize(scale);
    HDC memory = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, size.width, size.height);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    SetBkMode(memory, TRANSPARENT);

    GdiSurface surface(memory);
    paintPanel(surface, state, scale);

    BitBlt(target, 0, 0, size.width, size.height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

} // namespace t815
