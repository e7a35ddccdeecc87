// The off-screen buffer of a paint: memory context and bitmap made for this
// paint alone, the panel drawn into them through the GDI surface, one copy
// to the target, then everything restored and deleted.
#include "buffered_paint.h"

#include "gdi_surface.h"
#include "panel_editor.h"
#include "panel_painter.h"

namespace t815 {

void paintPanelBuffered(HDC target, const PanelState& state) {
    HDC memory = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, kEditorWidth, kEditorHeight);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    SetBkMode(memory, TRANSPARENT);

    GdiSurface surface(memory);
    paintPanel(surface, state);

    BitBlt(target, 0, 0, kEditorWidth, kEditorHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

} // namespace t815
