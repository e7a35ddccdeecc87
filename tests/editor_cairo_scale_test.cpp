// The whole panel painted by Cairo at scales 1, 1.5, 2 and 3 into images of
// the scaled size: the shared checks of panel_scale_checks.h on its pixels,
// and every checked text's colour inside its scaled rectangle.
#include "panel_image.h"
#include "panel_scale_checks.h"

#include <cstdint>

namespace t815::test {
namespace {

TEST(CairoPanelScaleTest, ThePanelAtEveryScale) {
    PluginInstance* instance = createPluginInstance({});
    ASSERT_NE(instance, nullptr);
    for (PanelScale scale : kTestScales)
        for (bool pressedAndAbout : {false, true}) {
            cairo_surface_t* image =
                paintPanelImage(checkedState(*instance, pressedAndAbout), scale);
            ASSERT_NE(image, nullptr);
            const PanelSize size = scaledPanelSize(scale);
            ASSERT_EQ(cairo_image_surface_get_width(image), size.width);
            ASSERT_EQ(cairo_image_surface_get_height(image), size.height);
            const unsigned char* rows = cairo_image_surface_get_data(image);
            const int stride = cairo_image_surface_get_stride(image);
            auto at = [&](int x, int y) {
                if (x < 0 || y < 0 || x >= size.width || y >= size.height) return Rgb{1, 2, 3};
                const std::uint32_t p =
                    reinterpret_cast<const std::uint32_t*>(rows + y * stride)[x];
                return Rgb{std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)};
            };
            expectPanelAtScale(scale, pressedAndAbout, at);
            EXPECT_EQ(at(size.width - 1, size.height - 1),
                      (Rgb{18, 20, 23})); // the casing's corner
            for (const PanelText& text : kPanelTexts) {
                if (pressedAndAbout) break;
                EXPECT_GT(inkPixels(scale, text, at), 0)
                    << "text " << (&text - kPanelTexts) << " at " << scale.quarters << "/4";
            }
            cairo_surface_destroy(image);
        }
    destroyPluginInstance(instance);
}

} // namespace
} // namespace t815::test
