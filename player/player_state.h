// What t815-play remembers between runs: the selected program and the five
// settings, as a small text file of "name=value" lines. Reading is strict:
// a file with anything unexpected (an unknown name, a value out of range or
// not a number, a missing line) is rejected whole, so that a damaged file
// never half-applies.
#pragma once

#include <string>

namespace t815 {

struct PluginInstance;

constexpr int kRememberedParameters = 5;

struct PlayerState {
    int program = 0;                           // index 0..31
    float parameters[kRememberedParameters]{}; // 0..1 each, as the host parameters
};

// A program index as written on the command line and in the file: one or
// two digits, 0 to 31. False, leaving program alone, for anything else.
bool parseProgramIndex(const std::string& text, int& program);

// The instance's program and settings as its host view holds them.
PlayerState capturePlayerState(const PluginInstance& instance);

// Selects the program and stores the settings, as the host would.
void applyPlayerState(PluginInstance& instance, const PlayerState& state);

std::string formatPlayerState(const PlayerState& state);

// False with `error` saying what is wrong; state is left as it was then.
bool parsePlayerState(const std::string& text, PlayerState& state, std::string& error);

} // namespace t815
