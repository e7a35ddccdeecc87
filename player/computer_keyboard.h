// The computer keyboard as a musical keyboard, laid out as in common trackers
// and soft synths: the bottom letter row plays the lower octave (Z S X D C V
// G B H N J M: C to B, the home row giving the black keys), the top letter
// row the upper one (Q 2 W 3 E R 5 T 6 Y 7 U I: C to the next C, the digit
// row giving the black keys). '-' shifts both rows an octave down, '=' an
// octave up. Keys are named by the character they carry, lower case, so that
// each window system maps its own key codes onto these names.
#pragma once

#include <cstdint>

namespace t815 {

constexpr std::int32_t kLowerRowBaseKey = 48; // Z at octave shift 0: C3
constexpr std::int32_t kLowestOctaveShift = -2;
constexpr std::int32_t kHighestOctaveShift = 2;
constexpr char kOctaveDownKey = '-';
constexpr char kOctaveUpKey = '=';

struct ComputerKeyboard {
    std::int32_t octaveShift = 0;
    // The MIDI key each character key sounds while it is down (-1: up), so
    // that a release ends the note its press began whatever the octave is by
    // then.
    std::int32_t soundingKey[128];
    ComputerKeyboard() {
        for (std::int32_t& key : soundingKey)
            key = -1;
    }
};

// What a key press or release asks of the instrument.
struct KeyAction {
    enum Kind { none, press, release } kind;
    std::int32_t key; // MIDI key 0..127 for press and release
};

// The MIDI key a character plays at the keyboard's octave, or -1 for a
// character that plays none.
std::int32_t keyForCharacter(const ComputerKeyboard& keyboard, char character);

// A character key went down: a press for a note key that is not already
// down (auto-repeat presses nothing), an octave shift for '-' and '=', none
// for anything else.
KeyAction computerKeyDown(ComputerKeyboard& keyboard, char character);

// A character key went up: the release of the note its press began, if any.
KeyAction computerKeyUp(ComputerKeyboard& keyboard, char character);

// The window lost the keyboard: every sounding key is released through
// release(key), so that no note hangs.
template <typename Release>
void releaseAllComputerKeys(ComputerKeyboard& keyboard, Release release) {
    for (std::int32_t& key : keyboard.soundingKey) {
        if (key >= 0) release(key);
        key = -1;
    }
}

} // namespace t815
