// The state file's place in each system's config folder, read and written
// whole.
#include "state_file.h"

#include "platform_io.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace t815 {

namespace {

constexpr long kMaxReadSize = 65536;

#ifdef _WIN32
constexpr const char* kSeparators = "\\/";

std::string environment(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? utf8FromWide(value) : std::string();
}

bool makeFolder(const std::string& path) {
    return CreateDirectoryW(wideFromUtf8(path).c_str(), nullptr) ||
           GetLastError() == ERROR_ALREADY_EXISTS;
}
#else
constexpr const char* kSeparators = "/";

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool makeFolder(const std::string& path) {
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}
#endif

// Creates every folder on the way to the file.
bool makeFoldersFor(const std::string& path) {
    for (std::size_t at = path.find_first_of(kSeparators, 1); at != std::string::npos;
         at = path.find_first_of(kSeparators, at + 1)) {
        const std::string folder = path.substr(0, at);
        if (folder.size() == 2 && folder[1] == ':') continue; // a drive
        if (!makeFolder(folder)) return false;
    }
    return true;
}

} // namespace

std::string stateFilePath() {
#ifdef _WIN32
    const std::string appData = environment(L"APPDATA");
    return appData.empty() ? std::string() : appData + "\\T-815\\t815-play.conf";
#else
    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') { // relative ones are to be ignored
        const std::string home = environment("HOME");
        if (home.empty()) return std::string();
        config = home + "/.config";
    }
    return config + "/t815/t815-play.conf";
#endif
}

bool loadPlayerState(const std::string& path, PlayerState& state, std::string& warning) {
    if (path.empty()) return false;
    std::FILE* file = openFileUtf8(path, "rb");
    if (!file) {
        if (errno != ENOENT) warning = "cannot read " + path + ": " + lastErrorText();
        return false;
    }
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 &&
           text.size() < std::size_t(kMaxReadSize))
        text.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    std::string error = failed ? "read error" : std::string();
    if (!failed && parsePlayerState(text, state, error)) return true;
    warning = "ignoring " + path + " (" + error + ")";
    return false;
}

bool savePlayerState(const std::string& path, const PlayerState& state, std::string& error) {
    if (path.empty()) {
        error = "no config folder (neither XDG_CONFIG_HOME nor HOME, or APPDATA, is set)";
        return false;
    }
    if (!makeFoldersFor(path)) {
        error = "cannot create the folder of " + path + ": " + lastErrorText();
        return false;
    }
    const std::string temporary = path + ".new";
    std::FILE* file = openFileUtf8(temporary, "wb");
    if (!file) {
        error = "cannot write " + temporary + ": " + lastErrorText();
        return false;
    }
    const std::string text = formatPlayerState(state);
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) {
        error = "cannot write " + temporary;
        removeFile(temporary);
        return false;
    }
    return replaceFile(temporary, path, error);
}

} // namespace t815
