// The panel painter. Each section of the panel is one function, called in
// drawing order; the geometry the mouse handlers share comes from
// panel_layout.h, the rest of each element's place and colour is written
// where it is drawn.
#include "panel_painter.h"

#include "panel_editor.h"
#include "panel_knobs.h"
#include "panel_layout.h"
#include "panel_primitives.h"
#include "scaled_surface.h"

namespace t815 {

namespace {

using namespace panel_colour;

void fill(DrawSurface& s, int left, int top, int right, int bottom, Rgb colour) {
    s.fillRect({left, top, right, bottom}, colour);
}

void centred(DrawSurface& s, PanelRect rect, const char16_t* text, const FontSpec& font,
             Rgb colour) {
    s.textIn(rect, text, font, colour, TextAlign::centre, TextLines::single);
}

// The background shows only around the upper panel, the wheel panel and the
// keyboard (whose keys cover every pixel of theirs), and is filled there
// alone: over the whole panel it would be a third of all the pixels a paint
// fills, nearly all of them filled again at once.
void paintBackground(DrawSurface& s) {
    constexpr Rgb background{18, 20, 23};
    constexpr int keysRight = kKeyboardLeft + kWhiteKeyPitch * whiteKeysBelow(kLastKey + 1);
    const int w = kEditorWidth, h = kEditorHeight;
    fill(s, 0, 0, w, 8, background);                                   // above the panels
    fill(s, 0, 8, 18, h, background);                                  // left of them
    fill(s, 902, 8, w, h, background);                                 // right of them
    fill(s, 18, 422, 146, h, background);                              // below the wheel
    fill(s, 146, 220, kKeyboardLeft, h, background);                   // left of the keys
    fill(s, kKeyboardLeft, 220, keysRight, kKeyboardTop, background);  // above them
    fill(s, keysRight, 220, 902, h, background);                       // right of them
    fill(s, kKeyboardLeft, kKeyboardBottom, keysRight, h, background); // below them
}

void paintCasing(DrawSurface& s) {
    paintBackground(s);
    fill(s, 18, 8, 902, 214, {28, 30, 34});
    fill(s, 18, 214, 902, 220, {12, 13, 15});
    fill(s, 18, 220, 146, 422, {24, 26, 30});
    s.line({17, 0}, {17, kEditorHeight}, 1, {55, 60, 66});
    s.line({902, 0}, {902, kEditorHeight}, 1, {55, 60, 66});
}

// Legends of the sockets on the hardware's top edge; no control behind them.
void paintSocketLegends(DrawSurface& s, const PanelState& state) {
    const FontSpec& f = panel_font::label;
    s.textAt({42, 14}, u"ЗАТУХАНИЕ ▲", f, caption);
    s.textAt({118, 14}, u"ВИБРАТО ▲", f, caption);
    s.textAt({188, 14}, u"ВЫХОД ▲", f, caption);
    s.textAt({770, 14}, u"▲ СЕТЬ", f, caption);
    drawLamp(s, state.romReady, 822, 19);
    s.line({42, 36}, {230, 36}, 1, red);
    s.textAt({42, 25}, u"ПЕДАЛЬ", f, red);
    s.textAt({118, 25}, u"ВНЕШНЕЕ", f, red);
    s.textAt({188, 25}, u"ТЕЛЕФОНЫ", f, red);
}

void paintResetButton(DrawSurface& s, const PanelState& state) {
    const PanelRect frame = kResetFrame;
    const int d = state.resetButtonDown ? 1 : 0;
    s.fillRect(frame, {10, 10, 10});
    fill(s, frame.left + 2, frame.top + 2 + d, frame.right - 2, frame.bottom - 2 + d,
         state.resetButtonDown ? Rgb{180, 30, 20} : red);
    s.textAt({38, 96}, u"СБРОС", panel_font::label, red);
}

// A knob section's blue header strip and grey body.
void paintSection(DrawSurface& s, int left, int right) {
    fill(s, left, 44, right, 58, blue);
    fill(s, left, 58, right, 106, {40, 43, 48});
}

void paintKnobSections(DrawSurface& s, const PanelState& state) {
    const FontSpec& f = panel_font::label;

    paintSection(s, 80, 136);
    fill(s, 80, 106, 136, 115, red);
    centred(s, {80, 44, 136, 58}, u"ЧАСТОТА", f, headerText);
    centred(s, {80, 105, 136, 115}, u"-         +", f, caption);
    drawKnob(s, kTuningKnobX, knobPosition(state, kDragTuning));

    paintSection(s, 146, 332);
    centred(s, {146, 44, 198, 58}, u"ФИЛЬТР", f, headerText);
    centred(s, {198, 44, 264, 58}, u"ЧАСТОТА", f, headerText);
    centred(s, {264, 44, 332, 58}, u"ГЛУБИНА", f, headerText);
    drawLamp(s, state.filterOn, 172, kKnobCentreY);
    drawKnob(s, kCutoffKnobX, knobPosition(state, kDragCutoff));
    drawKnob(s, kResonanceKnobX, knobPosition(state, kDragResonance));

    paintSection(s, 340, 412);
    centred(s, {340, 44, 412, 58}, u"ГРОМКОСТЬ", f, headerText);
    drawKnob(s, kVolumeKnobX, knobPosition(state, kDragVolume));
}

void paintProgramButtons(DrawSurface& s, const PanelState& state) {
    static const char16_t* const kDigits[kTimbreCount] = {u"0", u"1", u"2", u"3",
                                                          u"4", u"5", u"6", u"7"};
    const FontSpec& f = panel_font::label;
    s.textAt({kGroupButtonsLeft, 124}, u"ГРУППА", f, red);
    s.textAt({kTimbreButtonsLeft, 124}, u"ВЫБОР ТЕМБРА", f, red);

    for (int i = 0; i < kGroupCount; ++i) {
        const int left = kGroupButtonsLeft + kButtonPitch * i;
        s.textAt({left + 8, 140}, kDigits[i], f, caption);
        drawButton(s, left, false, i == state.programTens);
    }

    fill(s, 137, 141, 201, 179, {8, 8, 10});
    fill(s, 140, 144, 198, 176, {24, 4, 6});
    s.line({140, 144}, {197, 144}, 1, {65, 18, 22});
    drawDigit(s, static_cast<unsigned>(state.programTens), kTensDigitLeft);
    drawDigit(s, static_cast<unsigned>(state.programUnits), kUnitsDigitLeft);

    for (int n = 0; n < kTimbreCount; ++n) {
        const int left = kTimbreButtonsLeft + kButtonPitch * n;
        s.textAt({left + 8, 140}, kDigits[n], f, caption);
        drawButton(s, left, false, n == state.programUnits);
    }

    fill(s, 38, 182, 396, 196, blue);
    centred(s, {138, 182, 200, 196}, u"ТЕМБР", f, headerText);
}

void paintSwitches(DrawSurface& s, const PanelState& state) {
    drawLamp(s, state.filterOn, kFilterSwitchLeft + 11, 144);
    drawButton(s, kFilterSwitchLeft, true, state.filterOn);
    drawLamp(s, state.unisonOn, kUnisonSwitchLeft + 11, 144);
    drawButton(s, kUnisonSwitchLeft, true, state.unisonOn);
    centred(s, {397, 182, 428, 196}, u"ТЕМБР", panel_font::small, blue);
    centred(s, {428, 182, 464, 196}, u"УНИСОН", panel_font::small, blue);
}

void paintLogo(DrawSurface& s) {
    s.textIn({468, 44, 678, 70}, u"ВЕЛТРАНО", panel_font::logo, caption, TextAlign::right,
             TextLines::single);
    s.textIn({468, 72, 678, 86}, u"ЦИФРОВОЙ ПРЕСЕТНЫЙ СИНТЕЗАТОР", panel_font::subtitle, caption,
             TextAlign::right, TextLines::single);
    s.textAt({688, 34}, u"Т815", panel_font::model, blue);
}

// Every cell is filled and outlined in blue, and the outline of a cell is
// the border it shares with its neighbours: so the cells are filled first
// and their outlines drawn as one grid of long lines, which sets the same
// pixels with far fewer calls. Each name is clipped to its own cell, where
// nothing is drawn after it.
void paintProgramList(DrawSurface& s, const PanelState& state) {
    const int right = kListLeft + kListCellWidth * kListColumns;
    const int bottom = kListTop + kListCellHeight * kListRows;
    for (int c = 0; c < kListColumns; ++c)
        for (int r = 0; r < kListRows; ++r) {
            const int x = kListLeft + kListCellWidth * c, y = kListTop + kListCellHeight * r;
            const int entry = kListLayout[c][r];
            const bool current = entry != -1 && entry == state.currentProgramIndex;
            fill(s, x, y, x + kListCellWidth, y + kListCellHeight,
                 current ? listHighlight : listCell);
        }
    for (int r = 0; r <= kListRows; ++r) {
        const int y = kListTop + kListCellHeight * r;
        s.line({kListLeft, y}, {right + 1, y}, 1, blue);
    }
    for (int c = 0; c <= kListColumns; ++c) {
        const int x = kListLeft + kListCellWidth * c;
        s.line({x, kListTop}, {x, bottom + 1}, 1, blue);
    }
    for (int c = 0; c < kListColumns; ++c)
        for (int r = 0; r < kListRows; ++r) {
            const int x = kListLeft + kListCellWidth * c, y = kListTop + kListCellHeight * r;
            const int entry = kListLayout[c][r];
            if (entry == -1) continue;
            const bool current = entry == state.currentProgramIndex;
            s.textIn({x + 3, y, x + kListCellWidth - 1, y + kListCellHeight},
                     programNamesRussian[entry], panel_font::list, current ? listText : caption,
                     TextAlign::left, TextLines::single);
        }
}

void paintMidiLegend(DrawSurface& s) {
    s.textAt({824, 78}, u"НАСТР МИДИ", panel_font::label, red);
    s.outlineRect({824, 92, 896, 196}, red);
    s.textIn({826, 98, 894, 192}, u"\n\nСМЕНА\nПРОГР.\n00..37", panel_font::label, red,
             TextAlign::centre, TextLines::several);
}

void paintWheel(DrawSurface& s, const PanelState& state) {
    const PanelRect well = kWheelWell;
    centred(s, {24, 240, 140, 254}, u"МОДУЛЯЦИЯ", panel_font::label, caption);
    s.fillRect(well, {12, 13, 15});
    s.sunkenEdge(well);
    fill(s, 69, 266, 95, 360, {35, 38, 42});
    const int markerTop =
        kWheelMarkerRestY - static_cast<int>(static_cast<double>(state.modWheel) * kWheelTravel);
    fill(s, 69, markerTop, 95, markerTop + kWheelMarkerHeight, caption);
    centred(s, {24, 374, 140, 388}, u"◄       0       ►", panel_font::label, caption);
}

bool keyPressed(const PanelState& state, int key) {
    return keyHeld(state.heldKeys, key) || key == state.mouseHeldKey;
}

void paintKeyboard(DrawSurface& s, const PanelState& state) {
    for (int k = kFirstKey; k <= kLastKey; ++k) {
        if (isBlackKey(k)) continue;
        const int x = keyLeft(k);
        const bool down = keyPressed(state, k);
        fill(s, x, kKeyboardTop, x + kWhiteKeyPitch - 1, kKeyboardBottom,
             down ? Rgb{210, 225, 240} : Rgb{244, 244, 240});
        fill(s, x, down ? 410 : 406, x + kWhiteKeyPitch - 1, kKeyboardBottom, {195, 195, 190});
        s.frameRect({x, kKeyboardTop, x + kWhiteKeyPitch, kKeyboardBottom}, black);
    }
    for (int k = kFirstKey; k <= kLastKey; ++k) {
        if (!isBlackKey(k)) continue;
        const int x = keyLeft(k);
        const bool down = keyPressed(state, k);
        fill(s, x, kKeyboardTop, x + kBlackKeyWidth, kBlackKeyBottom,
             down ? Rgb{0, 120, 190} : Rgb{18, 19, 22});
        fill(s, x + 2, kKeyboardTop + 2, x + kBlackKeyWidth - 2, down ? 338 : 332,
             down ? Rgb{0, 150, 220} : Rgb{38, 40, 45});
    }
}

// The credit lines, an empty line, then the hint.
constexpr char16_t kAboutCredits[] = u"Эмуляция синтезатора ВЕЛТРАНО Т815\n"
                                     u"такт в такт, по образу его ПЗУ\n"
                                     u"Порт в формат подключаемых инструментов VST 2.4\n"
                                     u"\n"
                                     u"Подсказка: правый клик по колесу модуляции — сброс в 0";

void paintAbout(DrawSurface& s) {
    fill(s, 196, 61, 736, 381, {8, 9, 11});
    fill(s, 190, 55, 730, 375, listCell);
    fill(s, 190, 55, 730, 85, blue);
    fill(s, 190, 85, 730, 88, red);
    s.outlineRect({190, 55, 730, 375}, blue);
    s.outlineRect({194, 92, 726, 371}, blue);
    centred(s, {190, 55, 730, 85}, u"О ПРОГРАММЕ  —  ВЕЛТРАНО Т815 VSTi", panel_font::aboutSmall,
            headerText);
    centred(s, {200, 99, 720, 131}, u"ВЕЛТРАНО Т815", panel_font::aboutLarge, caption);
    centred(s, {200, 135, 720, 159}, u"ЦИФРОВОЙ ПРЕСЕТНЫЙ СИНТЕЗАТОР  •  VSTi 2.4 (Win32)",
            panel_font::aboutSmall, blue);
    s.textIn({206, 171, 714, 331}, kAboutCredits, panel_font::aboutBody, caption, TextAlign::centre,
             TextLines::several);
    centred(s, {200, 339, 720, 365}, u"[ Щёлкните мышью в любом месте, чтобы закрыть ]",
            panel_font::aboutSmall, red);
}

} // namespace

void paintPanel(DrawSurface& surface, const PanelState& state) {
    paintCasing(surface);
    paintSocketLegends(surface, state);
    paintResetButton(surface, state);
    paintKnobSections(surface, state);
    paintProgramButtons(surface, state);
    paintSwitches(surface, state);
    paintLogo(surface);
    paintProgramList(surface, state);
    paintMidiLegend(surface);
    paintWheel(surface, state);
    paintKeyboard(surface, state);
    if (state.aboutVisible) paintAbout(surface);
}

void paintPanel(DrawSurface& surface, const PanelState& state, PanelScale scale) {
    if (scaleQuarters(scale) == kMinScaleQuarters) {
        paintPanel(surface, state);
        return;
    }
    ScaledSurface scaledSurface(surface, scale);
    paintPanel(scaledSurface, state);
}

} // namespace t815
