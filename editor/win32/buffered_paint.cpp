// The off-screen buffer of a paint: a memory context and a bitmap of the
// scaled panel's size, the panel drawn into them through the GDI surface,
// then one copy to the target.
#include "buffered_paint.h"

#include "gdi_surface.h"
#include "panel_editor.h"
#include "panel_painter.h"

namespace t815 {

namespace {

// The buffer at the size, made compatible with the target if it is not
// there yet; false when GDI cannot make it.
bool readyBuffer(HDC target, PanelSize size, PanelBackBuffer& buffer) {
    if (buffer.bitmap && buffer.size.width == size.width && buffer.size.height == size.height)
        return true;
    releasePanelBackBuffer(buffer);
    buffer.memory = CreateCompatibleDC(target);
    buffer.bitmap = CreateCompatibleBitmap(target, size.width, size.height);
    if (!buffer.memory || !buffer.bitmap) {
        releasePanelBackBuffer(buffer);
        return false;
    }
    buffer.originalBitmap = SelectObject(buffer.memory, buffer.bitmap);
    SetBkMode(buffer.memory, TRANSPARENT);
    buffer.size = size;
    return true;
}

} // namespace

void paintPanelBuffered(HDC target, const PanelState& state, PanelScale scale,
                        PanelBackBuffer& buffer) {
    const PanelSize size = scaledPanelSize(scale);
    if (!readyBuffer(target, size, buffer)) return;
    {
        GdiSurface surface(buffer.memory);
        paintPanel(surface, state, scale);
    }
    BitBlt(target, 0, 0, size.width, size.height, buffer.memory, 0, 0, SRCCOPY);
}

void releasePanelBackBuffer(PanelBackBuffer& buffer) {
    if (buffer.memory && buffer.originalBitmap) SelectObject(buffer.memory, buffer.originalBitmap);
    if (buffer.bitmap) DeleteObject(buffer.bitmap);
    if (buffer.memory) DeleteDC(buffer.memory);
    buffer = PanelBackBuffer{};
}

void paintPanelBuffered(HDC target, const PanelState& state, PanelScale scale) {
    PanelBackBuffer buffer;
    paintPanelBuffered(target, state, scale, buffer);
    releasePanelBackBuffer(buffer);
}

} // namespace t815
