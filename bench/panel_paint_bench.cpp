// One full paint of the panel under GDI (Wine's, in the Windows builds run
// here): every element through the GDI surface into the off-screen bitmap,
// the copy to a shown window's context, the paint's pens, brushes and fonts
// deleted again. At scale 1 and 2, with a back buffer made and deleted for
// the paint (memory context and bitmap) and with one kept from paint to
// paint; with the About overlay (three more fonts, a box of text). And the
// panel's own window repainting itself (WM_PAINT, as its timer causes) at
// scale 1 and 2. The editor repaints every 35 ms, so a paint at scale 1
// should stay within about 4 ms.
#include "buffered_paint.h"
#include "panel_editor.h"
#include "panel_state.h"
#include "plugin_instance.h"

#include "portable_benchmark.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

using t815::PanelScale;

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
        const t815::PanelSize largest = t815::scaledPanelSize(PanelScale{8});
        window =
            CreateWindowExW(0, L"T815PaintBench", L"bench", WS_POPUP, 0, 0, largest.width,
                            largest.height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(window, SW_SHOWNORMAL);
        dc = GetDC(window);
        instance = t815::createPluginInstance({});
    }
};

PaintTarget& target() {
    static PaintTarget shared;
    return shared;
}

t815::PanelState shownState(bool overlay) {
    t815::PanelState panel = t815::readPanelState(*target().instance);
    panel.aboutVisible = overlay;
    panel.currentProgramIndex = 13;
    panel.programTens = 1;
    panel.programUnits = 5;
    return panel;
}

void paintRepeatedly(benchmark::State& state, PanelScale scale, bool overlay) {
    const t815::PanelState panel = shownState(overlay);
    for (auto _ : state)
        t815::paintPanelBuffered(target().dc, panel, scale);
    GdiFlush();
}

void paintKeptRepeatedly(benchmark::State& state, PanelScale scale) {
    const t815::PanelState panel = shownState(false);
    t815::PanelBackBuffer buffer;
    t815::paintPanelBuffered(target().dc, panel, scale, buffer);
    for (auto _ : state)
        t815::paintPanelBuffered(target().dc, panel, scale, buffer);
    GdiFlush();
    t815::releasePanelBackBuffer(buffer);
}

// The open panel's window repainted whole, synchronously, over and over:
// what the window's WM_PAINT does, back buffer and all.
void paintWindowRepeatedly(benchmark::State& state, double scale) {
    t815::PluginInstance* instance = t815::createPluginInstance({});
    t815::setEditorScale(*instance, scale);
    if (!t815::openEditor(*instance, target().window)) {
        std::fputs("the panel did not open\n", stderr);
        std::exit(1);
    }
    HWND panel = GetWindow(target().window, GW_CHILD);
    for (auto _ : state)
        RedrawWindow(panel, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    GdiFlush();
    t815::closeEditor(*instance);
    t815::destroyPluginInstance(instance);
}

void BM_PaintPanel(benchmark::State& state) {
    paintRepeatedly(state, PanelScale{4}, false);
}
void BM_PaintPanelWithAboutOverlay(benchmark::State& state) {
    paintRepeatedly(state, PanelScale{4}, true);
}
void BM_PaintPanelKeptBuffer(benchmark::State& state) {
    paintKeptRepeatedly(state, PanelScale{4});
}
void BM_PaintPanelAt2(benchmark::State& state) {
    paintRepeatedly(state, PanelScale{8}, false);
}
void BM_PaintPanelAt2KeptBuffer(benchmark::State& state) {
    paintKeptRepeatedly(state, PanelScale{8});
}
void BM_PanelWindowPaint(benchmark::State& state) {
    paintWindowRepeatedly(state, 1.0);
}
void BM_PanelWindowPaintAt2(benchmark::State& state) {
    paintWindowRepeatedly(state, 2.0);
}

} // namespace

BENCHMARK(BM_PaintPanel);
BENCHMARK(BM_PaintPanelWithAboutOverlay);
BENCHMARK(BM_PaintPanelKeptBuffer);
BENCHMARK(BM_PaintPanelAt2);
BENCHMARK(BM_PaintPanelAt2KeptBuffer);
BENCHMARK(BM_PanelWindowPaint);
BENCHMARK(BM_PanelWindowPaintAt2);

BENCHMARK_MAIN();
