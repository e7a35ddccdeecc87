// UTF-8 file access, file replacement, arguments and terminal detection on
// Linux (where everything is already bytes) and Windows (UTF-16 interfaces).
#include "platform_io.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <shellapi.h> // needs the types of windows.h
#else
#include <unistd.h>
#endif

#ifdef _WIN32

std::wstring wideFromUtf8(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &wide[0], length);
    return wide;
}

std::string utf8FromWide(const wchar_t* text) {
    if (text == nullptr || *text == 0) return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return std::string();
    std::string utf8(std::size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], length, nullptr, nullptr);
    utf8.resize(std::size_t(length - 1)); // drop the terminating zero
    return utf8;
}

std::FILE* openFileUtf8(const std::string& path, const char* mode) {
    const std::wstring widePath = wideFromUtf8(path);
    const std::wstring wideMode = wideFromUtf8(mode);
    if (widePath.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    return _wfopen(widePath.c_str(), wideMode.c_str());
}

bool replaceFile(const std::string& from, const std::string& to, std::string& error) {
    if (MoveFileExW(wideFromUtf8(from).c_str(), wideFromUtf8(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        return true;
    wchar_t* message = nullptr;
    const DWORD code = GetLastError();
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    error = message ? utf8FromWide(message) : "error " + std::to_string(code);
    if (message) LocalFree(message);
    while (!error.empty() && (error.back() == '\n' || error.back() == '\r'))
        error.pop_back();
    return false;
}

void removeFile(const std::string& path) {
    _wremove(wideFromUtf8(path).c_str());
}

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    // The narrow argv is in the ANSI code page; the wide command line is exact.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    if (wide == nullptr) {
        for (int i = 1; i < argc; ++i)
            arguments.push_back(argv[i] ? argv[i] : "");
        return arguments;
    }
    for (int i = 1; i < count; ++i)
        arguments.push_back(utf8FromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}

bool stderrIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

void useUtf8Console() {
    SetConsoleOutputCP(CP_UTF8);
}

#else

std::FILE* openFileUtf8(const std::string& path, const char* mode) {
    if (path.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    return std::fopen(path.c_str(), mode);
}

bool replaceFile(const std::string& from, const std::string& to, std::string& error) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    error = lastErrorText();
    return false;
}

void removeFile(const std::string& path) {
    std::remove(path.c_str());
}

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(argv[i] ? argv[i] : "");
    return arguments;
}

bool stderrIsTerminal() {
    return isatty(fileno(stderr)) != 0;
}

void useUtf8Console() {}

#endif

std::string lastErrorText() {
    return std::strerror(errno);
}
