// Printing the findings as they come, the summary, the JSON file, and the
// last words when the plug-in crashes the validator.
#include "check_report.h"

#include "platform_io.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const char* verdictWord(Verdict verdict) {
    switch (verdict) {
    case Verdict::Pass:
        return "pass";
    case Verdict::Fail:
        return "FAIL";
    case Verdict::Note:
        return "note";
    default:
        return "n/a";
    }
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string reproduceHint(const Report& report, const std::string& check) {
    const std::string id = report.pluginId.empty() ? "" : " --plugin-id " + report.pluginId;
    return "reproduce: t815-validate " + report.pluginPath + id + " --strictness " +
           std::to_string(report.strictness) + " --seed " + std::to_string(report.seed) +
           " --only " + check;
}

Report* crashReport = nullptr;

void reportCrash(const char* what) {
    // Only async-signal-tolerant output: the process is going down anyway.
    std::fprintf(stdout, "CRASH (%s): the plug-in crashed the host during this check\n", what);
    if (crashReport && !crashReport->runningCheck.empty())
        std::fprintf(stdout, "%s\n",
                     reproduceHint(*crashReport, crashReport->runningCheck).c_str());
    std::fflush(stdout);
}

#ifdef _WIN32
LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* info) {
    char what[48];
    std::snprintf(what, sizeof what, "exception 0x%08lX",
                  static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    reportCrash(what);
    ExitProcess(1);
}
#else
void onSignal(int signal) {
    reportCrash(signal == SIGSEGV   ? "segmentation fault"
                : signal == SIGBUS  ? "bus error"
                : signal == SIGFPE  ? "arithmetic exception"
                : signal == SIGABRT ? "abort"
                                    : "illegal instruction");
    std::_Exit(1);
}
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

} // namespace

void beginCheck(Report& report, const std::string& name) {
    report.runningCheck = name;
    std::printf("%-34s ", name.c_str());
    std::fflush(stdout);
}

void endCheck(Report& report, Verdict verdict, const std::string& detail) {
    CheckResult result{report.runningCheck, verdict, detail};
    if (verdict == Verdict::Fail) result.detail += " (" + reproduceHint(report, result.name) + ")";
    std::printf("%-4s  %s\n", verdictWord(verdict), result.detail.c_str());
    std::fflush(stdout);
    report.results.push_back(result);
    report.runningCheck.clear();
}

int failureCount(const Report& report) {
    int failures = 0;
    for (const CheckResult& result : report.results)
        if (result.verdict == Verdict::Fail) ++failures;
    return failures;
}

void printSummary(const Report& report) {
    int counts[4] = {0, 0, 0, 0};
    for (const CheckResult& result : report.results)
        ++counts[static_cast<int>(result.verdict)];
    std::printf("%zu checks: %d passed, %d failed, %d notes, %d not measurable here\n",
                report.results.size(), counts[0], counts[1], counts[2], counts[3]);
}

bool writeJsonReport(const Report& report, const std::string& path, std::string& error) {
    std::FILE* file = openFileUtf8(path, "wb");
    if (!file) {
        error = "cannot write '" + path + "': " + lastErrorText();
        return false;
    }
    std::string json = "{\n  \"plugin\": " + jsonString(report.pluginPath) +
                       ",\n  \"name\": " + jsonString(report.pluginName) +
                       ",\n  \"strictness\": " + std::to_string(report.strictness) +
                       ",\n  \"seed\": " + std::to_string(report.seed) +
                       ",\n  \"failed\": " + std::to_string(failureCount(report)) +
                       ",\n  \"checks\": [";
    for (std::size_t i = 0; i < report.results.size(); ++i) {
        const CheckResult& result = report.results[i];
        json += std::string(i ? ",\n" : "\n") + "    {\"name\": " + jsonString(result.name) +
                ", \"verdict\": " + jsonString(verdictWord(result.verdict)) +
                ", \"detail\": " + jsonString(result.detail) + "}";
    }
    json += "\n  ]\n}\n";
    const bool written = std::fwrite(json.data(), 1, json.size(), file) == json.size();
    if (std::fclose(file) != 0 || !written) {
        error = "cannot write '" + path + "': " + lastErrorText();
        return false;
    }
    return true;
}

void installCrashReporter(Report& report) {
    crashReport = &report;
    if (kSanitized) return;
#ifdef _WIN32
    SetUnhandledExceptionFilter(onUnhandledException);
#else
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        std::signal(signal, onSignal);
#endif
}
