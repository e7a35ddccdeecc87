// The validator's command line: the plug-in (and which of a CLAP factory's), how strict, the seed,
// a JSON report, and one check or family to run alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ValidateOptions {
    std::string pluginPath;
    std::string pluginId; // --plugin-id: the CLAP plug-in of a factory that holds several
    int strictness = 5;
    std::uint64_t seed = 0;
    bool seedGiven = false;
    std::string jsonPath;
    std::string only; // a check name or the family before its dot; empty: all
    bool help = false;
    bool version = false; // --version: print the version, then exit
};

bool parseValidateOptions(const std::vector<std::string>& arguments, ValidateOptions& options,
                          std::string& error);

std::string validateHelpText();
