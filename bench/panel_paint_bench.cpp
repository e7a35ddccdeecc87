// One full paint of the panel under GDI (Wine's, in the Windows builds run
// here): the off-screen context and bitmap, every element through the GDI
// surface, the copy to a shown window's context, everything deleted again;
// with and without the About overlay (three more fonts, a box of text). The
// editor repaints every 35 ms, so a paint should stay within about 4 ms.
#include "buffered_paint.h"
#include "panel_state.h"
#include "plugin_instance.h"

#include "portable_benchmark.h"

#include <windows.h>

namespace {

struct PaintTarget {
    HWND window = nullptr;
    HDC dc = nullptr;
    t815::PluginInstance* instance = nullptr;

    PaintTarget() {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"T815PaintBench";
        RegisterClassExW(&windowClass);
        window = CreateWindowExW(0, L"T815PaintBench", L"bench", WS_POPUP, 0, 0, 920, 430, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(window, SW_SHOWNORMAL);
        dc = GetDC(window);
        instance = t815::createPluginInstance({});
    }
};

PaintTarget& target() {
    static PaintTarget shared;
    return shared;
}

void paintRepeatedly(benchmark::State& state, bool overlay) {
    PaintTarget& on = target();
    t815::PanelState panel = t815::readPanelState(*on.instance);
    panel.aboutVisible = overlay;
    panel.currentProgramIndex = 13;
    panel.programTens = 1;
    panel.programUnits = 5;
    for (auto _ : state)
        t815::paintPanelBuffered(on.dc, panel);
    GdiFlush();
}

void BM_PaintPanel(benchmark::State& state) {
    paintRepeatedly(state, false);
}
void BM_PaintPanelWithAboutOverlay(benchmark::State& state) {
    paintRepeatedly(state, true);
}

} // namespace

BENCHMARK(BM_PaintPanel);
BENCHMARK(BM_PaintPanelWithAboutOverlay);

BENCHMARK_MAIN();
