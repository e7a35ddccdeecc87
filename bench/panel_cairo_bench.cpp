// The Linux panel's cost: one full paint of the panel on the Cairo surface
// into an off-screen image (what every X11 repaint does before its one
// copy to the window), on a constructed instance, without and with the
// About overlay.
#include "panel_image.h"
#include "plugin_instance.h"

#include <benchmark/benchmark.h>

namespace {

using namespace t815;

void paintOnce(benchmark::State& state, bool aboutVisible) {
    PluginInstance* instance = createPluginInstance({});
    if (!instance) {
        state.SkipWithError("no instance");
        return;
    }
    instance->aboutVisible = aboutVisible;
    for (auto _ : state) {
        cairo_surface_t* image = paintPanelImage(*instance);
        benchmark::DoNotOptimize(image);
        cairo_surface_destroy(image);
    }
    destroyPluginInstance(instance);
}

void BM_PanelPaintCairo(benchmark::State& state) {
    paintOnce(state, false);
}
void BM_PanelPaintCairoWithAbout(benchmark::State& state) {
    paintOnce(state, true);
}

BENCHMARK(BM_PanelPaintCairo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PanelPaintCairoWithAbout)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
