// The --info report: a plug-in's identity, abilities, programs and
// parameters as it answers the host's questions; for CLAP plug-ins the
// descriptor, ports, parameters and the extensions offered and asked for.
#pragma once

#include "hosted_plugin.h"
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

// Activates a CLAP plug-in briefly to read its latency.
void printClapInfo(ClapInstance& clap, std::FILE* out);

// The report of either format.
void printHostedPluginInfo(HostedPlugin& plugin, std::FILE* out);
