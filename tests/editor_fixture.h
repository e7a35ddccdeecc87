// A real instance of the instrument, with no plug-in format around it, and
// the panel's handlers and painter attached to a window that records what
// the controls ask of it. Queued changes reach the core when an empty block
// is rendered (settle).
#pragma once

#include "instrument_operations.h"
#include "instrument_render.h"
#include "panel_controls.h"
#include "panel_painter.h"
#include "recording_surface.h"
#include "rgb_print.h"

#include <gtest/gtest.h>

#include <ostream>
#include <utility>
#include <vector>

namespace t815 {
namespace test {

struct RecordingWindow : PanelWindow {
    int captures = 0, releases = 0, repaints = 0;
    void captureMouse() override { ++captures; }
    void releaseMouse() override { ++releases; }
    void repaint() override { ++repaints; }
};

// The colour filled at a point; Rgb(1,2,3), a colour the panel never uses,
// where nothing is.
inline Rgb fillAt(const RecordingSurface& surface, int x, int y) {
    return surface.fillAt(x, y).value_or(Rgb{1, 2, 3});
}

class PanelTest : public ::testing::Test {
  protected:
    static inline int updateDisplayCalls = 0; // selects announced to the face

    static inline std::vector<std::pair<int, bool>> gestures; // (parameter, begins) as marked

    static void countAnnouncement(void*) { ++updateDisplayCalls; }
    static void recordGesture(void*, std::int32_t index, bool begins) {
        gestures.push_back({index, begins});
    }

    void SetUp() override {
        updateDisplayCalls = 0;
        gestures.clear();
        instance = createPluginInstance({nullptr, countAnnouncement, recordGesture, nullptr});
        ASSERT_NE(instance, nullptr);
    }
    void TearDown() override { destroyPluginInstance(instance); }

    void settle() {
        float left[1], right[1];
        renderInstrumentBlock(*instance, left, right, 0);
    }

    PanelState state() const { return readPanelState(*instance); }
    float parameter(int index) { return readParameter(*instance, index); }
    std::int32_t program() { return selectedProgramIndex(*instance); }
    bool slotHolds(int key) const {
        for (const VoiceSlot& slot : instance->core.slots)
            if (slot.state == kSlotHeld && slot.key == key) return true;
        return false;
    }

    void down(int x, int y) { onMouseDown(*instance, window, x, y); }
    void drag(int x, int y) { onMouseDrag(*instance, window, x, y); }
    void up() { onMouseUp(*instance, window); }

    static RecordingSurface paint(const PanelState& shown) {
        RecordingSurface surface;
        paintPanel(surface, shown);
        return surface;
    }

    PluginInstance* instance = nullptr;
    RecordingWindow window;
};

} // namespace test
} // namespace t815
