// The panel painter and its primitives on a recording surface: what the
// selected program, held keys, the wheel and the overlay look like, probed
// at points as a pixel test would, and the primitives' edge cases.
#include "editor_fixture.h"
#include "panel_layout.h"
#include "panel_primitives.h"
#include "program_names.h"

#include <vector>

namespace t815::test {
namespace {

constexpr Rgb kFaceUp{38, 41, 46}, kFaceDown{22, 24, 27}, kButtonFrame{10, 11, 13};
constexpr Rgb kSegmentLit{255, 42, 18}, kSegmentDark{48, 10, 12};

// A point well inside each of the seven segments (cell coordinates).
constexpr PanelPoint kSegmentProbes[7] = {{8, 1},  {14, 7}, {14, 19}, {8, 24},
                                          {1, 19}, {1, 7},  {8, 12}};

// The lit segments of the digit in the cell at left, as a segment code.
unsigned litSegments(const RecordingSurface& s, int left) {
    unsigned code = 0;
    for (int k = 0; k < 7; ++k) {
        const PanelPoint p = kSegmentProbes[k];
        const Rgb c = fillAt(s, left + p.x + ((26 - p.y) * 3) / 26, kDigitTop + p.y);
        EXPECT_TRUE(c == kSegmentLit || c == kSegmentDark) << "segment " << k;
        if (c == kSegmentLit) code |= 1u << k;
    }
    return code;
}

// Which program buttons are drawn pressed: darker face, one pixel lower.
std::vector<int> pressedButtons(const RecordingSurface& s, int firstLeft, int count) {
    std::vector<int> pressed;
    for (int i = 0; i < count; ++i) {
        const int left = firstLeft + kButtonPitch * i;
        const Rgb face = fillAt(s, left + 10, 165);
        const Rgb topRow = fillAt(s, left + 10, 156);
        if (face == kFaceDown) {
            EXPECT_EQ(topRow, kButtonFrame);
            pressed.push_back(i);
        } else {
            EXPECT_EQ(face, kFaceUp);
            EXPECT_EQ(topRow, kFaceUp);
        }
    }
    return pressed;
}

using PainterTest = PanelTest;

TEST_F(PainterTest, SelectedProgramLightsItsButtonsDigitsAndListCell) {
    selectProgramIndex(*instance, 13, SelectSource::host); // program 15
    const RecordingSurface s = paint(state());

    EXPECT_EQ(fillAt(s, 822, 19), (Rgb{255, 45, 30})); // power lamp: the ROM is ready
    EXPECT_EQ(pressedButtons(s, kGroupButtonsLeft, kGroupCount), std::vector<int>{1});
    EXPECT_EQ(pressedButtons(s, kTimbreButtonsLeft, kTimbreCount), std::vector<int>{5});
    EXPECT_EQ(litSegments(s, kTensDigitLeft), 6u);    // 1
    EXPECT_EQ(litSegments(s, kUnitsDigitLeft), 109u); // 5

    EXPECT_EQ(fillAt(s, 540, 185), (Rgb{0, 85, 135})); // column 1, row 7
    EXPECT_EQ(fillAt(s, 470, 94), (Rgb{22, 25, 29}));  // column 0, row 0
    const DrawCall* name = s.findText(u"15 БРАСС ОРГАН");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->colour, (Rgb{255, 230, 100}));
    EXPECT_EQ(name->rect.left, 541);
    EXPECT_EQ(name->rect.top, 183);
    EXPECT_EQ(name->rect.right, 607);
    EXPECT_EQ(name->rect.bottom, 196);
    EXPECT_EQ(s.findText(programNamesRussian[0])->colour, (Rgb{235, 240, 245}));
}

TEST_F(PainterTest, CaptionsUseTheirFonts) {
    const RecordingSurface s = paint(state());
    const struct {
        const char16_t* text;
        FontSpec font;
    } cases[] = {
        {u"СБРОС", panel_font::label},
        {u"УНИСОН", panel_font::small},
        {u"ВЕЛТРАНО", panel_font::logo},
        {u"Т815", panel_font::model},
        {programNamesRussian[31], panel_font::list},
    };
    for (const auto& c : cases) {
        const DrawCall* call = s.findText(c.text);
        ASSERT_NE(call, nullptr);
        EXPECT_EQ(call->font.face, c.font.face);
        EXPECT_EQ(call->font.height, c.font.height);
        EXPECT_EQ(call->font.width, c.font.width);
        EXPECT_EQ(call->font.weight, c.font.weight);
        EXPECT_EQ(call->font.charset, c.font.charset);
        EXPECT_EQ(call->font.quality, c.font.quality);
    }
}

TEST_F(PainterTest, HeldSlotsAndTheMouseKeyArePressedReleasedSlotsAreNot) {
    pressKey(*instance, 40);
    pressKey(*instance, 43);
    releaseKey(*instance, 43);
    settle();
    PanelState shown = state();
    shown.mouseHeldKey = 61;
    const RecordingSurface s = paint(shown);

    std::vector<int> pressed;
    for (int k = kFirstKey; k <= kLastKey; ++k) {
        // White keys below the black ones; black keys at their body's edge.
        const Rgb c = isBlackKey(k) ? fillAt(s, keyLeft(k), 300) : fillAt(s, keyLeft(k) + 12, 380);
        if (c == Rgb{210, 225, 240} || c == Rgb{0, 120, 190})
            pressed.push_back(k);
        else
            EXPECT_TRUE(c == (Rgb{244, 244, 240}) || c == (Rgb{18, 19, 22})) << k;
    }
    EXPECT_EQ(pressed, (std::vector<int>{40, 61}));
    EXPECT_EQ(fillAt(s, 204, 380), (Rgb{210, 225, 240})); // key 40 is the third white key
    EXPECT_EQ(fillAt(s, 534, 300), (Rgb{0, 120, 190}));   // key 61's body
    EXPECT_EQ(fillAt(s, 540, 335), (Rgb{0, 150, 220}));   // its longer pressed face
    EXPECT_EQ(fillAt(s, 216, 408), (Rgb{210, 225, 240})); // the pressed key's shorter front edge
    EXPECT_EQ(fillAt(s, 164, 408), (Rgb{195, 195, 190}));
}

TEST_F(PainterTest, WheelMarkerFollowsTheWheel) {
    const struct {
        float wheel;
        int top;
    } cases[] = {{0.0f, 345}, {0.5f, 309}, {1.0f, 273}};
    for (const auto& c : cases) {
        PanelState shown = state();
        shown.modWheel = c.wheel;
        const RecordingSurface s = paint(shown);
        EXPECT_EQ(fillAt(s, 69, c.top), (Rgb{235, 240, 245})) << c.wheel;
        EXPECT_EQ(fillAt(s, 94, c.top + 5), (Rgb{235, 240, 245})) << c.wheel;
        EXPECT_EQ(fillAt(s, 80, c.top - 1), (Rgb{35, 38, 42})) << c.wheel;
        EXPECT_EQ(fillAt(s, 80, c.top + 6), (Rgb{35, 38, 42})) << c.wheel;
        EXPECT_EQ(fillAt(s, 95, c.top), (Rgb{12, 13, 15})) << c.wheel;
    }
}

TEST_F(PainterTest, OverlayIsDrawnOverTheWholePanel) {
    PanelState shown = state();
    const RecordingSurface plain = paint(shown);
    shown.aboutVisible = true;
    const RecordingSurface withAbout = paint(shown);

    ASSERT_GT(withAbout.calls.size(), plain.calls.size());
    for (size_t i = 0; i < plain.calls.size(); ++i)
        ASSERT_TRUE(sameCall(plain.calls[i], withAbout.calls[i])) << i;
    EXPECT_EQ(fillAt(withAbout, 460, 300), (Rgb{22, 25, 29})); // the box over the keyboard
    EXPECT_EQ(fillAt(withAbout, 733, 378), (Rgb{8, 9, 11}));   // its shadow
    const DrawCall& credits = withAbout.calls[withAbout.calls.size() - 2];
    EXPECT_EQ(credits.lines, TextLines::several);
    EXPECT_EQ(credits.text.substr(credits.text.rfind(u'\n') + 1),
              u"Подсказка: правый клик по колесу модуляции — сброс в 0");
    EXPECT_EQ(credits.text.substr(credits.text.rfind(u'\n') - 1, 2), u"\n\n");
}

TEST(PrimitivesTest, KnobClampsItsValueAndPointsUpAtOneHalf) {
    auto knob = [](float value) {
        RecordingSurface s;
        drawKnob(s, 100, value);
        return s.calls;
    };
    auto same = [](const std::vector<DrawCall>& a, const std::vector<DrawCall>& b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (!sameCall(a[i], b[i])) return false;
        return true;
    };
    EXPECT_TRUE(same(knob(-0.5f), knob(0.0f)));
    EXPECT_TRUE(same(knob(1.5f), knob(1.0f)));
    EXPECT_TRUE(same(knob(0.0f / 0.0f), knob(0.0f)));
    EXPECT_FALSE(same(knob(0.0f), knob(1.0f)));
    const DrawCall pointer = knob(0.5f).back();
    EXPECT_EQ(pointer.kind, DrawKind::line);
    EXPECT_EQ(pointer.penWidth, 2);
    EXPECT_EQ(pointer.points[0].x, 100);
    EXPECT_EQ(pointer.points[0].y, 79);
    EXPECT_EQ(pointer.points[1].x, 100);
    EXPECT_EQ(pointer.points[1].y, 68);
}

TEST(PrimitivesTest, DigitsLightTheirSegmentsOnlyDecimalPointAlwaysDark) {
    const struct {
        unsigned digit, code;
    } cases[] = {{8, 127}, {1, 6}, {0, 63}, {7, 7}, {10, 0}, {4000000000u, 0}};
    for (const auto& c : cases) {
        RecordingSurface s;
        drawDigit(s, c.digit, 20);
        EXPECT_EQ(litSegments(s, 20), c.code) << c.digit;
        EXPECT_EQ(fillAt(s, 38, 171), kSegmentDark) << c.digit;
    }
}

TEST(PrimitivesTest, PressedButtonFaceIsOnePixelLowerFrameStays) {
    RecordingSurface up, down;
    drawButton(up, 50, true, false);
    drawButton(down, 50, true, true);
    ASSERT_EQ(up.calls.size(), down.calls.size());
    EXPECT_TRUE(sameCall(up.calls[0], down.calls[0])); // the frame
    for (size_t i = 1; i < up.calls.size(); ++i) {
        const DrawCall &a = up.calls[i], &b = down.calls[i];
        if (a.kind == DrawKind::fillRect) {
            EXPECT_EQ(b.rect.top, a.rect.top + 1);
            EXPECT_EQ(b.rect.bottom, a.rect.bottom + 1);
        } else {
            EXPECT_EQ(b.points[0].y, a.points[0].y + 1);
            EXPECT_EQ(b.points[1].y, a.points[1].y + 1);
        }
    }
    EXPECT_EQ(fillAt(down, 60, 165), (Rgb{0, 110, 195}));
    EXPECT_EQ(fillAt(up, 60, 165), (Rgb{0, 135, 225}));
}

} // namespace
} // namespace t815::test
