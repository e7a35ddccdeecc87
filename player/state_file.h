// Where t815-play keeps its state (player_state.h) and reading and writing
// that file: $XDG_CONFIG_HOME/t815/t815-play.conf (or ~/.config/t815/) on
// Linux, %APPDATA%\T-815\t815-play.conf on Windows.
#pragma once

#include "player_state.h"

#include <string>

namespace t815 {

// The file's path in UTF-8; empty when the environment names no home.
std::string stateFilePath();

// The remembered state; false when there is none to use. A missing file is
// silent; an unreadable or damaged one is named in `warning`.
bool loadPlayerState(const std::string& path, PlayerState& state, std::string& warning);

// Writes the state, creating the folder, through a temporary file moved over
// the old one, so that a crash never leaves half a file. False with `error`.
bool savePlayerState(const std::string& path, const PlayerState& state, std::string& error);

} // namespace t815
