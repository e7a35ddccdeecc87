// The --info report: a plug-in's identity, abilities, programs and
// parameters as it answers the host's questions.
#pragma once

#include "vst2_abi.h"

#include <cstdio>
#include <string>

// The unique ID as its four characters, most significant first; bytes
// outside printable ASCII show as '?'.
std::string uniqueIdText(VstInt32 uniqueID);

// Asks an opened plug-in for a string into a zeroed 256-byte buffer, which
// is terminated whatever the plug-in wrote.
std::string askString(AEffect* effect, VstInt32 opcode, VstInt32 index);

void printPluginInfo(AEffect* effect, const char* entryName, std::FILE* out);
