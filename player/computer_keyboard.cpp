// The tracker layout's two rows and the octave shift.
#include "computer_keyboard.h"

#include <cstring>

namespace t815 {

namespace {

// Each row's characters in semitone order from its C.
constexpr const char* kLowerRow = "zsxdcvgbhnjm";
constexpr const char* kUpperRow = "q2w3er5t6y7ui";

bool isCharacterKey(char character) {
    return static_cast<unsigned char>(character) < 128 && character != '\0';
}

} // namespace

std::int32_t keyForCharacter(const ComputerKeyboard& keyboard, char character) {
    if (!isCharacterKey(character)) return -1;
    const std::int32_t base = kLowerRowBaseKey + 12 * keyboard.octaveShift;
    if (const char* found = std::strchr(kLowerRow, character))
        return base + static_cast<std::int32_t>(found - kLowerRow);
    if (const char* found = std::strchr(kUpperRow, character))
        return base + 12 + static_cast<std::int32_t>(found - kUpperRow);
    return -1;
}

KeyAction computerKeyDown(ComputerKeyboard& keyboard, char character) {
    if (character == kOctaveDownKey || character == kOctaveUpKey) {
        const std::int32_t step = character == kOctaveUpKey ? 1 : -1;
        const std::int32_t shifted = keyboard.octaveShift + step;
        if (shifted >= kLowestOctaveShift && shifted <= kHighestOctaveShift)
            keyboard.octaveShift = shifted;
        return {KeyAction::none, 0};
    }
    const std::int32_t key = keyForCharacter(keyboard, character);
    if (key < 0) return {KeyAction::none, 0};
    std::int32_t& sounding = keyboard.soundingKey[static_cast<unsigned char>(character)];
    if (sounding >= 0) return {KeyAction::none, 0}; // auto-repeat
    sounding = key;
    return {KeyAction::press, key};
}

KeyAction computerKeyUp(ComputerKeyboard& keyboard, char character) {
    if (!isCharacterKey(character)) return {KeyAction::none, 0};
    std::int32_t& sounding = keyboard.soundingKey[static_cast<unsigned char>(character)];
    if (sounding < 0) return {KeyAction::none, 0};
    const std::int32_t key = sounding;
    sounding = -1;
    return {KeyAction::release, key};
}

} // namespace t815
