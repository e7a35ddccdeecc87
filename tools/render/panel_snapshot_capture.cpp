// The panel snapshot: the editor's rectangle from effEditGetRect, a buffer
// of that many RGBA pixels, the plug-in's snapshot call, then the pixels
// as RGB.
#include "panel_snapshot_capture.h"

#include "panel_snapshot.h"

#include <vector>

namespace {

// Larger editors than this are taken for a broken rectangle.
constexpr int kMaxEditorSide = 8192;

} // namespace

ExitCode capturePanelSnapshot(AEffect* effect, RgbImage& image, std::string& error) {
    if (!(effect->flags & effFlagsHasEditor)) {
        error = "the plug-in has no editor";
        return kExitPlugin;
    }
    ERect* rect = nullptr;
    if (effect->dispatcher(effect, effEditGetRect, 0, 0, &rect, 0.0f) == 0 || rect == nullptr) {
        error = "the plug-in gives no editor size";
        return kExitPlugin;
    }
    const int width = rect->right - rect->left, height = rect->bottom - rect->top;
    if (width <= 0 || height <= 0 || width > kMaxEditorSide || height > kMaxEditorSide) {
        error = "the plug-in's editor size " + std::to_string(width) + " x " +
                std::to_string(height) + " is unusable";
        return kExitPlugin;
    }
    std::vector<std::uint8_t> rgba(std::size_t(width) * height * 4, 0);
    if (effect->dispatcher(effect, effVendorSpecific, t815::kPanelSnapshotIndex,
                           VstIntPtr(width) * 4, rgba.data(), 0.0f) != 1) {
        error = "the plug-in cannot paint its panel off screen";
        return kExitPlugin;
    }
    image.width = width;
    image.height = height;
    image.rgb.resize(std::size_t(width) * height * 3);
    for (std::size_t i = 0, n = std::size_t(width) * height; i < n; ++i)
        for (int c = 0; c < 3; ++c)
            image.rgb[i * 3 + c] = rgba[i * 4 + c];
    return kExitSuccess;
}
