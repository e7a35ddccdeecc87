// The CLAP gui in a real window of the host's: the platform's embedding
// API supported and others refused, create, scale and a sane size, then
// set_parent and show, hide and show again, destroy, twice over; and the
// timers and descriptors the plug-in registered made from the main thread
// and receivable (it offers the extension they are delivered through).
#include "clap_validation.h"

namespace {

constexpr int kRounds = 2;
constexpr int kServiceMs = 150;

// Window events and the plug-in's main-thread requests for a while.
void service(HostedPlugin& plugin, HostWindow& window, int milliseconds) {
    for (int elapsed = 0; elapsed < milliseconds; elapsed += 10) {
        pumpWindowEvents(window, 0);
        idlePlugin(plugin, 10);
    }
}

std::string guiProblem(HostedPlugin& plugin, std::string& detail, bool& measurable) {
    std::string error;
    ClapInstance& clap = *plugin.clap;
    const clap_plugin_gui* gui = clap.extensions.gui;
    if (gui->is_api_supported(clap.plugin, "t815.validate.no-such-api", false))
        return "is_api_supported answers yes to an unknown window API";
    if (!gui->is_api_supported(clap.plugin, clapPlatformGuiApi(), false)) {
        measurable = false;
        return std::string("the gui does not embed in ") + clapPlatformGuiApi() + " windows";
    }
    for (int round = 0; round < kRounds; ++round) {
        // The window first: without a window system the gui is not tried.
        HostWindow window;
        if (!createHostWindow(window, 640, 480, error)) {
            measurable = false;
            return "not shown: " + error;
        }
        int width = 0, height = 0;
        if (!createEditor(plugin, width, height, error)) {
            destroyHostWindow(window);
            return error;
        }
        std::uint32_t w = 0, h = 0;
        if (!gui->get_size(clap.plugin, &w, &h) || int(w) != width || int(h) != height) {
            closeEditor(plugin);
            destroyHostWindow(window);
            return "get_size answers " + std::to_string(w) + " x " + std::to_string(h) + " after " +
                   std::to_string(width) + " x " + std::to_string(height);
        }
        resizeHostWindow(window, width, height);
        std::string problem;
        if (!showEditor(plugin, window, problem)) {
            destroyHostWindow(window);
            return problem;
        }
        service(plugin, window, kServiceMs);
        if (!gui->hide(clap.plugin)) problem = "hide answers false";
        service(plugin, window, 20);
        if (problem.empty() && !gui->show(clap.plugin)) problem = "show after hide answers false";
        service(plugin, window, kServiceMs);
        int nowWidth = 0, nowHeight = 0;
        editorSize(plugin, nowWidth, nowHeight);
        if (problem.empty() && (nowWidth <= 0 || nowHeight <= 0))
            problem = "the gui's size became " + std::to_string(nowWidth) + " x " +
                      std::to_string(nowHeight);
        closeEditor(plugin);
        service(plugin, window, 20);
        destroyHostWindow(window);
        if (!problem.empty()) return problem;
        detail = std::to_string(width) + " x " + std::to_string(height) + ", now " +
                 std::to_string(nowWidth) + " x " + std::to_string(nowHeight);
    }
    return "";
}

std::string registrationsProblem(HostedPlugin& plugin, std::string& detail) {
    ClapInstance& clap = *plugin.clap;
    const std::string misuse = hostMisuse(plugin);
    if (!misuse.empty()) return misuse;
    if (!clap.host.timers.empty() && !clap.extensions.timerSupport)
        return std::to_string(clap.host.timers.size()) +
               " timers registered by a plug-in without clap.timer-support to receive them";
    if (!clap.host.watchedFds.empty() && !clap.extensions.posixFdSupport)
        return std::to_string(clap.host.watchedFds.size()) +
               " descriptors registered by a plug-in without clap.posix-fd-support";
    detail = std::to_string(clap.host.timers.size()) + " timers and " +
             std::to_string(clap.host.watchedFds.size()) +
             " descriptors still registered after the gui closed; all from the main thread";
    return "";
}

} // namespace

void checkClapGui(Validation& validation) {
    Report& report = validation.report;
    HostedPlugin plugin;
    beginCheck(report, "gui.create-destroy");
    {
        std::string error;
        if (!loadClap(validation, plugin, error)) return endCheck(report, Verdict::Fail, error);
        if (!hasEditor(plugin)) {
            endCheck(report, Verdict::NotMeasurable, "the plug-in offers no clap.gui");
            beginCheck(report, "gui.timers-and-fds");
            std::string detail;
            const std::string problem = registrationsProblem(plugin, detail);
            return endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
                            problem.empty() ? detail : problem);
        }
    }
    std::string detail;
    bool measurable = true;
    const std::string problem = guiProblem(plugin, detail, measurable);
    endCheck(report,
             !measurable       ? Verdict::NotMeasurable
             : problem.empty() ? Verdict::Pass
                               : Verdict::Fail,
             problem.empty() ? "twice created, shown, hidden, shown and destroyed; " + detail
                             : problem);
    beginCheck(report, "gui.timers-and-fds");
    const std::string registrations = registrationsProblem(plugin, detail);
    endCheck(report, registrations.empty() ? Verdict::Pass : Verdict::Fail,
             registrations.empty() ? detail : registrations);
}
