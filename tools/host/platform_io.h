// What the host tools need from the operating system besides the plug-in
// loader: files opened by UTF-8 path, an atomic replace of one file by
// another, the command line as UTF-8, and whether stderr is a terminal.
// Windows takes paths and arguments as UTF-16, so they are converted there.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

std::FILE* openFileUtf8(const std::string& path, const char* mode);

// Moves `from` over `to`, replacing any file there. On failure `error` says why.
bool replaceFile(const std::string& from, const std::string& to, std::string& error);

void removeFile(const std::string& path);

// The text of the current errno value.
std::string lastErrorText();

// The program's arguments, without the program name, in UTF-8.
std::vector<std::string> utf8Arguments(int argc, char** argv);

bool stderrIsTerminal();

// Makes a Windows console show the UTF-8 the program prints; nothing elsewhere.
void useUtf8Console();

#ifdef _WIN32
std::wstring wideFromUtf8(const std::string& text);
std::string utf8FromWide(const wchar_t* text);
#endif
