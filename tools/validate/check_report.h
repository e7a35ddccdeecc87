// The validator's findings: one line per check as it finishes (name,
// verdict, the detail that failed and how to reproduce it), a summary, and
// the same findings as a JSON file for other tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class Verdict { Pass, Fail, Note, NotMeasurable };

struct CheckResult {
    std::string name;
    Verdict verdict = Verdict::Pass;
    std::string detail;
};

struct Report {
    std::string pluginPath;
    std::string pluginId; // the CLAP plug-in chosen with --plugin-id, if any
    std::string pluginName;
    int strictness = 5;
    std::uint64_t seed = 0;
    std::vector<CheckResult> results;
    std::string runningCheck; // the check under way, named if the plug-in crashes
};

// Prints the check's name before it runs, so a crash leaves it on screen.
void beginCheck(Report& report, const std::string& name);

// Finishes the check begun last: its verdict and detail complete the line;
// a failure adds the command that repeats it.
void endCheck(Report& report, Verdict verdict, const std::string& detail);

int failureCount(const Report& report);

void printSummary(const Report& report);

bool writeJsonReport(const Report& report, const std::string& path, std::string& error);

// Catches the plug-in crashing: the check under way is named, then the
// program exits with status 1. Not installed under a sanitizer, whose own
// report is more useful.
void installCrashReporter(Report& report);
