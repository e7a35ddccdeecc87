// What each of the project's programs does around its own work: it takes
// the command line in UTF-8, prints every message on stderr after its own
// name, answers --help and --version the same way, and turns running out of
// memory or an exception nobody caught into its internal-error exit code.
#pragma once

#include <string>
#include <vector>

struct ToolIdentity {
    const char* name; // "t815-render": begins each message and the version line
    int internalExit; // out of memory or another unexpected failure
};

// Prints "NAME: message" on stderr and returns code.
int failTool(const ToolIdentity& tool, int code, const std::string& message);

// A bad command line: "NAME: error (see --help)" on stderr; returns code.
int failUsage(const ToolIdentity& tool, int code, const std::string& error);

// Prints the help text, or else "NAME VERSION", on stdout when asked to;
// true when it printed one (the program then ends with success).
bool answerHelpOrVersion(const ToolIdentity& tool, bool help, bool version,
                         const std::string& helpText);

// The body of main: the console set to UTF-8, then `run` given the
// arguments (without the program name) in UTF-8; its exit code.
int runTool(const ToolIdentity& tool, int argc, char** argv,
            int (*run)(const std::vector<std::string>& arguments));
