// Painting the panel off screen: a Cairo image of the panel's size, the
// painter drawing on it through the Cairo surface, nothing kept afterwards.
#include "panel_image.h"

#include "cairo_surface.h"
#include "instrument_operations.h"
#include "panel_editor.h"
#include "panel_painter.h"

namespace t815 {

cairo_surface_t* paintPanelImage(const PanelState& state, PanelScale scale) {
    const PanelSize size = scaledPanelSize(scale);
    cairo_surface_t* image =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.width, size.height);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return nullptr;
    }
    cairo_t* context = cairo_create(image);
    {
        CairoSurface surface(context);
        paintPanel(surface, state, scale);
    }
    cairo_destroy(context);
    cairo_surface_flush(image);
    return image;
}

cairo_surface_t* paintPanelImage(const PluginInstance& instance, PanelScale scale) {
    return paintPanelImage(readPanelState(instance), scale);
}

bool copyPanelPixels(const PluginInstance& instance, std::uint8_t* rgba, long stride,
                     PanelScale scale) {
    const PanelSize size = scaledPanelSize(scale);
    if (!rgba || stride < long(size.width) * 4) return false;
    cairo_surface_t* image = paintPanelImage(instance, scale);
    if (!image) return false;
    const unsigned char* rows = cairo_image_surface_get_data(image);
    const int imageStride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < size.height; ++y) {
        // RGB24 keeps each pixel as a native 32-bit 0x00RRGGBB.
        const auto* from = reinterpret_cast<const std::uint32_t*>(rows + y * imageStride);
        std::uint8_t* to = rgba + y * stride;
        for (int x = 0; x < size.width; ++x, to += 4) {
            const std::uint32_t pixel = from[x];
            to[0] = static_cast<std::uint8_t>(pixel >> 16);
            to[1] = static_cast<std::uint8_t>(pixel >> 8);
            to[2] = static_cast<std::uint8_t>(pixel);
            to[3] = 255;
        }
    }
    cairo_surface_destroy(image);
    return true;
}

} // namespace t815
