// t815-validate: checks a VST 2.4 or CLAP instrument the way demanding
// hosts use it, family after family, and exits non-zero when any check
// fails.
#include "clap_validation.h"
#include "platform_io.h"
#include "tool_main.h"
#include "validate_options.h"
#include "validation.h"

#include <chrono>
#include <cstdio>
#include <exception>

namespace {

enum ExitCode : int {
    kExitPassed = 0,
    kExitFailed = 1,
    kExitUsage = 2,
    kExitPlugin = 3,
    kExitReport = 4,
    kExitInternal = 5,
};

struct Family {
    const char* name;
    int strictness; // the least strictness that runs it
    void (*run)(Validation&);
};

const Family kFamilies[] = {
    {"identity", 1, checkIdentity},     {"programs", 1, checkPrograms},
    {"parameters", 1, checkParameters}, {"lifecycle", 3, checkLifecycle},
    {"audio", 1, checkAudio},           {"editor", 5, checkEditor},
    {"automation", 5, checkAutomation}, {"realtime", 6, checkRealtime},
    {"threads", 7, checkThreads},       {"instances", 8, checkInstances},
};

const Family kClapFamilies[] = {
    {"identity", 1, checkClapIdentity},
    {"parameters", 1, checkClapParameters},
    {"state", 1, checkClapState},
    {"ports", 1, checkClapPorts},
    {"lifecycle", 3, checkClapLifecycle},
    {"audio", 1, checkClapAudio},
    {"gui", 5, checkClapGui},
    {"realtime", 6, checkClapRealtime},
    {"threads", 7, checkClapThreads},
    {"instances", 8, checkClapInstances},
};

constexpr ToolIdentity kTool = {"t815-validate", kExitInternal};

int fail(ExitCode code, const std::string& message) {
    return failTool(kTool, code, message);
}

// A family's checks are named "family.something" (automation's live under
// audio); --only names a family or any of its checks.
bool selected(const Family& family, const std::string& only) {
    if (only.empty()) return true;
    const std::string prefix = only.substr(0, only.find('.'));
    if (prefix == family.name) return true;
    return prefix == "audio" && std::string(family.name) == "automation";
}

// Whether --only names a family of the table or one of its checks.
template <std::size_t N> bool knownCheck(const Family (&families)[N], const std::string& only) {
    bool known = only.empty();
    for (const Family& family : families)
        known = known || selected(family, only);
    return known;
}

// An exception thrown by the plug-in through its entry points fails the
// check under way (hosts are C programs to the plug-in: nothing may unwind
// into them); the instance involved is abandoned.
void runFamily(const Family& family, Validation& validation) {
    std::string what;
    try {
        family.run(validation);
        return;
    } catch (const std::exception& exception) {
        what = std::string(": ") + exception.what();
    } catch (...) {
    }
    Report& report = validation.report;
    if (report.runningCheck.empty()) beginCheck(report, std::string(family.name) + ".run");
    endCheck(report, Verdict::Fail, "a C++ exception left the plug-in" + what);
}

// The CLAP families: each instance is loaded afresh from the library.
int runClap(const ValidateOptions& options, Validation& validation) {
    if (!knownCheck(kClapFamilies, options.only))
        return fail(kExitUsage, "--only: a CLAP plug-in has no check named '" + options.only + "'");
    std::string error;
    HostedPlugin plugin;
    if (!loadClap(validation, plugin, error)) return fail(kExitPlugin, error);
    const std::string name = plugin.clap->plugin->desc && plugin.clap->plugin->desc->name
                                 ? plugin.clap->plugin->desc->name
                                 : "";
    unloadHostedPlugin(plugin);
    Report& report = validation.report;
    report.pluginPath = options.pluginPath;
    report.pluginName = name;
    report.pluginId = options.pluginId;
    report.strictness = options.strictness;
    report.seed = validation.seed;
    installCrashReporter(report);
    std::printf("t815-validate %s ('%s', CLAP), strictness %d, seed %llu\n",
                options.pluginPath.c_str(), name.c_str(), options.strictness,
                static_cast<unsigned long long>(validation.seed));
    for (const Family& family : kClapFamilies) {
        if (!selected(family, options.only)) continue;
        if (options.only.empty() && family.strictness > options.strictness) continue;
        runFamily(family, validation);
    }
    printSummary(report);
    if (!options.jsonPath.empty() && !writeJsonReport(report, options.jsonPath, error))
        return fail(kExitReport, error);
    return failureCount(report) > 0 ? kExitFailed : kExitPassed;
}

int run(const std::vector<std::string>& arguments) {
    ValidateOptions options;
    std::string error;
    if (!parseValidateOptions(arguments, options, error))
        return failUsage(kTool, kExitUsage, error);
    if (answerHelpOrVersion(kTool, options.help, options.version, validateHelpText()))
        return kExitPassed;
    if (!knownCheck(kFamilies, options.only) && !knownCheck(kClapFamilies, options.only))
        return fail(kExitUsage, "--only: no check named '" + options.only + "'");

    Validation validation;
    validation.strictness = options.strictness;
    validation.seed = options.seedGiven
                          ? options.seed
                          : static_cast<std::uint64_t>(
                                std::chrono::system_clock::now().time_since_epoch().count()) %
                                1000000000ull;
    validation.host.processLevel = kVstProcessLevelRealtime;
    validation.host.productName = "t815-validate";
    validation.pluginPath = options.pluginPath;
    validation.pluginId = options.pluginId;
    {
        PluginLibrary library;
        const bool isClap = loadVstOrClapLibrary(library, options.pluginPath, error) &&
                            library.format == PluginFormat::Clap;
        unloadPluginLibrary(library);
        if (isClap) return runClap(options, validation);
    }
    if (!knownCheck(kFamilies, options.only))
        return fail(kExitUsage, "--only: no check named '" + options.only + "'");
    setHostContext(&validation.host);
    if (!loadPluginLibrary(validation.library, options.pluginPath, error))
        return fail(kExitPlugin, error);
    AEffect* probe = createInstance(validation, error);
    if (!probe) {
        unloadPluginLibrary(validation.library);
        return fail(kExitPlugin, "'" + options.pluginPath + "': " + error);
    }
    dispatch(probe, effOpen);
    const StringAnswer name = askString(probe, effGetEffectName, 0, 256);
    dispatch(probe, effClose);

    Report& report = validation.report;
    report.pluginPath = options.pluginPath;
    report.pluginName = name.written ? name.text : "";
    report.strictness = options.strictness;
    report.seed = validation.seed;
    installCrashReporter(report);
    std::printf("t815-validate %s ('%s'), strictness %d, seed %llu\n", options.pluginPath.c_str(),
                report.pluginName.c_str(), options.strictness,
                static_cast<unsigned long long>(validation.seed));
    for (const Family& family : kFamilies) {
        if (!selected(family, options.only)) continue;
        if (options.only.empty() && family.strictness > options.strictness) continue;
        runFamily(family, validation);
    }
    printSummary(report);
    unloadPluginLibrary(validation.library);
    setHostContext(nullptr);
    if (!options.jsonPath.empty() && !writeJsonReport(report, options.jsonPath, error))
        return fail(kExitReport, error);
    return failureCount(report) > 0 ? kExitFailed : kExitPassed;
}

} // namespace

int main(int argc, char** argv) {
    return runTool(kTool, argc, argv, run);
}
