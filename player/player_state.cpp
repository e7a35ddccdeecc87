// The state's text form and its strict reading.
#include "player_state.h"

#include "parameters.h"
#include "selected_program.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace t815 {

namespace {

constexpr const char* kParameterKeys[kRememberedParameters] = {"unison", "filter", "cutoff",
                                                               "resonance", "volume"};
constexpr std::size_t kMaxStateSize = 4096;

bool parseUnit(const std::string& text, float& value) {
    if (text.empty() || text.size() > 32) return false;
    const char first = text[0];
    if (!(first == '.' || (first >= '0' && first <= '9'))) return false;
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !(parsed >= 0.0 && parsed <= 1.0))
        return false;
    value = static_cast<float>(parsed);
    return true;
}

} // namespace

bool parseProgramIndex(const std::string& text, int& program) {
    if (text.empty() || text.size() > 2) return false;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value > 31) return false;
    program = value;
    return true;
}

PlayerState capturePlayerState(const PluginInstance& instance) {
    PlayerState state;
    state.program = selectedProgramIndex(instance);
    for (int i = 0; i < kRememberedParameters; ++i)
        state.parameters[i] = readParameter(instance, i);
    return state;
}

void applyPlayerState(PluginInstance& instance, const PlayerState& state) {
    selectProgramIndex(instance, state.program, SelectSource::host);
    for (int i = 0; i < kRememberedParameters; ++i)
        storeParameter(instance, i, state.parameters[i]);
}

std::string formatPlayerState(const PlayerState& state) {
    std::string text = "# t815-play: the last program and settings\n";
    text += "program=" + std::to_string(state.program) + "\n";
    for (int i = 0; i < kRememberedParameters; ++i) {
        char value[32];
        // Nine significant digits give every float back exactly.
        std::snprintf(value, sizeof value, "%.9g", double(state.parameters[i]));
        text += std::string(kParameterKeys[i]) + "=" + value + "\n";
    }
    return text;
}

bool parsePlayerState(const std::string& text, PlayerState& state, std::string& error) {
    if (text.size() > kMaxStateSize) {
        error = "longer than " + std::to_string(kMaxStateSize) + " bytes";
        return false;
    }
    PlayerState read;
    bool seenProgram = false;
    bool seen[kRememberedParameters] = {};
    std::size_t start = 0;
    for (int lineNumber = 1; start < text.size(); ++lineNumber) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::string where = "line " + std::to_string(lineNumber);
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            error = where + " is no name=value";
            return false;
        }
        const std::string name = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (name == "program") {
            if (seenProgram || !parseProgramIndex(value, read.program)) {
                error = where + ": program must appear once, as an index from 0 to 31";
                return false;
            }
            seenProgram = true;
            continue;
        }
        int index = 0;
        while (index < kRememberedParameters && name != kParameterKeys[index])
            ++index;
        if (index == kRememberedParameters) {
            error = where + ": unknown name '" + name + "'";
            return false;
        }
        if (seen[index] || !parseUnit(value, read.parameters[index])) {
            error = where + ": " + name + " must appear once, as a number from 0 to 1";
            return false;
        }
        seen[index] = true;
    }
    bool complete = seenProgram;
    for (const bool one : seen)
        complete = complete && one;
    if (!complete) {
        error = "a setting is missing";
        return false;
    }
    state = read;
    return true;
}

} // namespace t815
