// The panel's mouse handlers on a real instance: every effect is checked
// through the settings the host sees and, after a settling block, the core.
#include "editor_fixture.h"
#include "panel_editor.h"
#include "panel_layout.h"

#include <vector>

namespace t815::test {
namespace {

using ControlsTest = PanelTest;

TEST_F(ControlsTest, OverlaySwallowsTheNextPressWherever) {
    for (PanelPoint p : {PanelPoint{160, 300}, PanelPoint{108, 82}, PanelPoint{600, 50}}) {
        down(795, 86); // the logo's far corner
        up();
        ASSERT_TRUE(instance->aboutVisible);
        down(p.x, p.y); // a key, a knob, the logo itself
        EXPECT_FALSE(instance->aboutVisible);
        EXPECT_EQ(instance->mouseHeldKey, -1);
        EXPECT_EQ(instance->dragControl, kDragNone);
        up();
    }
    settle();
    EXPECT_FALSE(slotHolds(36));
    EXPECT_EQ(window.captures, 0);
    EXPECT_EQ(window.repaints, 6);
}

TEST_F(ControlsTest, KnobDragsMapAndClamp) {
    const struct {
        int x, dy;
        float PanelState::*field;
        double expected;
    } cases[] = {
        {108, -50, nullptr, 25},
        {108, 50, nullptr, -25},
        {108, -1, nullptr, 0},
        {376, -50, &PanelState::volume, 1.0f},
        {231, 500, &PanelState::cutoffParam, 0.05f},
        {298, -1000, &PanelState::resonance, float(1.0 * double(0.95f))},
    };
    for (const auto& c : cases) {
        setPitchOffset(*instance, 0);
        down(c.x, 82);
        drag(c.x + 7, 82 + c.dy);
        up();
        settle();
        if (c.field) {
            EXPECT_EQ(state().*c.field, float(c.expected)) << c.x << " " << c.dy;
        } else {
            EXPECT_EQ(state().pitchOffset, int(c.expected)) << c.dy;
            EXPECT_EQ(instance->core.pitchOffset, int(c.expected)) << c.dy;
        }
        EXPECT_EQ(instance->dragControl, kDragNone);
    }
    // The drag's start: 0.5 for pitch offset 0 (one pixel up from it, just
    // below 0.51, is still 0 above).
    down(108, 82);
    EXPECT_EQ(instance->dragStartValue, 0.5f);
    up();
    EXPECT_EQ(window.captures, 7);
    EXPECT_EQ(window.releases, 7);
    // The three parameter knobs' drags are marked for the face; the tuning
    // knob is no host parameter.
    const std::vector<std::pair<int, bool>> marked = {
        {kParamVolume, true},  {kParamVolume, false},   {kParamCutoff, true},
        {kParamCutoff, false}, {kParamResonance, true}, {kParamResonance, false}};
    EXPECT_EQ(gestures, marked);
}

TEST_F(ControlsTest, KnobPressWithoutMoveWritesNothing) {
    const PanelState before = state();
    down(231, 82);
    EXPECT_EQ(instance->dragControl, kDragCutoff);
    drag(231 + 40, 82); // sideways only
    const float moved = state().cutoffParam;
    up();
    EXPECT_EQ(moved, before.cutoffParam);
    EXPECT_EQ(parameter(kParamCutoff), (float)((0.95 - double(0.05f)) / double(0.94f)));
    EXPECT_EQ(window.captures, 1);
    EXPECT_EQ(window.releases, 1);
}

TEST_F(ControlsTest, KnobAnswersWithinRadiusTwenty) {
    const struct {
        int x, y;
        std::int32_t control;
    } cases[] = {{108 + 19, 82, kDragTuning},      {108, 82 + 20, kDragTuning},
                 {108 + 12, 82 + 16, kDragTuning}, {108 + 15, 82 + 14, kDragNone},
                 {231 - 19, 82, kDragCutoff},      {298, 62, kDragResonance},
                 {376 + 20, 82, kDragVolume},      {376 + 21, 82, kDragNone}};
    for (const auto& c : cases) {
        down(c.x, c.y);
        EXPECT_EQ(instance->dragControl, c.control) << c.x << "," << c.y;
        up();
    }
}

TEST_F(ControlsTest, KeyboardGlissando) {
    down(160, 300);
    settle();
    EXPECT_TRUE(slotHolds(36));
    drag(169, 300); // still key 36
    drag(178, 300); // the black key's range starts at 170
    settle();
    EXPECT_FALSE(slotHolds(36));
    EXPECT_TRUE(slotHolds(37));
    drag(178, 100); // above the keyboard: key 37 sounds on
    drag(100, 300); // left of it, too
    settle();
    EXPECT_TRUE(slotHolds(37));
    EXPECT_EQ(instance->mouseHeldKey, 37);
    up();
    settle();
    EXPECT_FALSE(slotHolds(37));
    EXPECT_EQ(instance->mouseHeldKey, -1);
    EXPECT_EQ(window.captures, 1);
    EXPECT_EQ(window.releases, 1);
}

TEST_F(ControlsTest, ProgramButtonsSetOneDigitAndKeepTheOther) {
    selectProgramIndex(*instance, 21, SelectSource::host); // program 25
    down(38 + 5, 160);                                     // group 0
    up();
    EXPECT_EQ(program(), 5);      // 05
    down(206 + 24 * 7 + 22, 178); // timbre 7, at the hit area's corner
    up();
    settle();
    EXPECT_EQ(program(), 7); // 07
    EXPECT_EQ(instance->core.currentProgram, 7);
    EXPECT_EQ(updateDisplayCalls, 2);
    EXPECT_EQ(window.captures, 0);
}

TEST_F(ControlsTest, ListCellsSelectTheirProgramEmptyCellsNothing) {
    down(470, 92 + 4 * 13 + 2); // column 0, row 4: empty
    up();
    EXPECT_EQ(program(), 0);
    EXPECT_EQ(updateDisplayCalls, 0);
    EXPECT_EQ(window.repaints, 0);
    down(540, 185); // column 1, row 7
    EXPECT_EQ(program(), 13);
    down(817, 195); // column 4, row 7: empty
    down(818, 195); // right of the list
    EXPECT_EQ(program(), 13);
    EXPECT_EQ(updateDisplayCalls, 1);
}

TEST_F(ControlsTest, SwitchesToggle) {
    for (const auto& [x, index] : {std::pair{410, kParamFilter}, std::pair{440, kParamUnison}}) {
        const float before = parameter(index);
        down(x, 140);
        EXPECT_EQ(parameter(index), 1.0f - before);
        down(x, 178);
        EXPECT_EQ(parameter(index), before);
    }
}

TEST_F(ControlsTest, WheelIsAbsoluteAndJumpsAtThePress) {
    down(80, 300);
    EXPECT_EQ(state().modWheel, float(48.0 / 72.0));
    settle();
    EXPECT_EQ(instance->modWheel, float(48.0 / 72.0));
    EXPECT_EQ(instance->core.cutoffCoef,
              float(double(0.95f) - double(float(48.0 / 72.0)) * double(0.65f)));
    const struct {
        int y;
        float wheel;
    } cases[] = {{276, 1.0f}, {0, 1.0f}, {312, 0.5f}, {348, 0.0f}, {1000, 0.0f}};
    for (const auto& c : cases) {
        drag(500, c.y);
        EXPECT_EQ(state().modWheel, c.wheel) << c.y;
    }
    up();
    EXPECT_EQ(instance->dragControl, kDragNone);
}

TEST_F(ControlsTest, ResetButtonSilencesMidiHeldKeys) {
    pressKey(*instance, 60);
    pressKey(*instance, 64);
    settle();
    ASSERT_TRUE(slotHolds(60));
    down(40, 94);
    EXPECT_TRUE(instance->resetButtonDown);
    settle();
    for (const VoiceSlot& slot : instance->core.slots)
        EXPECT_EQ(slot.state, kSlotFree);
    for (std::int32_t pitch : instance->core.oscPitch)
        EXPECT_EQ(pitch, 0);
    EXPECT_EQ(fillAt(paint(state()), 50, 92), (Rgb{180, 30, 20})); // drawn pressed
    up();
    EXPECT_FALSE(instance->resetButtonDown);
    EXPECT_EQ(window.captures, 1);
    EXPECT_EQ(window.releases, 1);
}

TEST_F(ControlsTest, KeyAtPointAtEveryBoundary) {
    const struct {
        int x, y, key;
    } cases[] = {
        {151, 400, -1}, {152, 400, 36}, {177, 400, 36}, {178, 400, 38}, {879, 400, 83},
        {880, 400, -1}, {170, 342, 37}, {186, 342, 37}, {169, 342, 36}, {187, 342, 38},
        {170, 343, 36}, {186, 222, 37}, {534, 300, 61}, {862, 300, 82}, {863, 300, 83},
        {240, 414, 41}, {240, 415, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keyAtPoint(c.x, c.y), c.key) << c.x << "," << c.y;

    // Across the whole width, every key answers, in ascending order: all 48
    // above y 342, the 28 white ones below.
    for (const auto& [y, count] : {std::pair{300, 48}, std::pair{400, 28}}) {
        std::vector<int> keys;
        for (int x = -5; x < kEditorWidth + 5; ++x) {
            const int key = keyAtPoint(x, y);
            if (key != -1 && (keys.empty() || keys.back() != key)) keys.push_back(key);
        }
        EXPECT_EQ(int(keys.size()), count) << y;
        for (size_t i = 1; i < keys.size(); ++i)
            EXPECT_LT(keys[i - 1], keys[i]);
    }
}

// A press whose release never comes: the panel closes (endPanelInteraction)
// or the capture is taken away (captureLost). Either ends it without giving
// back a capture the panel no longer has.
TEST_F(ControlsTest, LostReleaseEndsThePress) {
    const PanelPoint presses[] = {{160, 300}, {50, 80}, {108, 82}, {80, 300}};
    for (bool closing : {true, false})
        for (PanelPoint p : presses) {
            down(p.x, p.y);
            const int releases = window.releases;
            if (closing)
                endPanelInteraction(*instance, window);
            else
                handlePanelEvent(*instance, window, {PanelInput::captureLost, 0, 0, false});
            EXPECT_EQ(instance->mouseHeldKey, -1);
            EXPECT_FALSE(instance->resetButtonDown);
            EXPECT_EQ(instance->dragControl, kDragNone);
            EXPECT_EQ(window.releases, releases);
            settle();
            EXPECT_FALSE(slotHolds(36));
            up(); // a late release does nothing more
            EXPECT_EQ(window.releases, releases);
        }
    // A second press while a key is still held ends the first key.
    down(160, 300);
    down(300, 400);
    settle();
    EXPECT_FALSE(slotHolds(36));
    EXPECT_TRUE(slotHolds(45));
    up();
}

TEST_F(ControlsTest, WindowInputRouting) {
    handlePanelEvent(*instance, window, {PanelInput::leftButtonDown, 600, 50, true});
    EXPECT_TRUE(instance->aboutVisible);
    handlePanelEvent(*instance, window, {PanelInput::leftButtonUp, 600, 50, false});
    setModWheel(*instance, 0.7f);
    handlePanelEvent(*instance, window, {PanelInput::rightButtonDown, 700, 400, false});
    EXPECT_EQ(state().modWheel, 0.0f); // anywhere, and the overlay stays open
    EXPECT_TRUE(instance->aboutVisible);
    handlePanelEvent(*instance, window, {PanelInput::leftButtonDown, 600, 50, true});

    handlePanelEvent(*instance, window, {PanelInput::leftButtonDown, 80, 300, true});
    const int repaints = window.repaints;
    handlePanelEvent(*instance, window, {PanelInput::pointerMove, 80, 276, false}); // no button
    EXPECT_EQ(window.repaints, repaints);
    EXPECT_EQ(state().modWheel, float(48.0 / 72.0));
    handlePanelEvent(*instance, window, {PanelInput::pointerMove, 80, 276, true});
    EXPECT_EQ(state().modWheel, 1.0f);
    handlePanelEvent(*instance, window, {PanelInput::leftButtonUp, 80, 276, false});
    EXPECT_EQ(instance->dragControl, kDragNone);
    handlePanelEvent(*instance, window, {PanelInput::repaintTimer, 0, 0, false});
    EXPECT_EQ(window.repaints,
              repaints + 2); // the move and the timer; a drag's end repaints nothing
}

} // namespace
} // namespace t815::test
