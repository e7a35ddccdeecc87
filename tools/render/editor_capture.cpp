// The editor's window life and the pumping between its steps.
#include "editor_capture.h"

#include "host_window.h"

#include <chrono>

namespace {

// Long enough for several repaints of an editor that repaints on a timer,
// and for a resize it asks for from its first timer calls.
constexpr int kPumpMilliseconds = 300;

// Window messages, then the plug-in's idle duties, until the time is up;
// the window follows the editor's size.
void pump(HostedPlugin& plugin, HostWindow& window, int milliseconds, int& width, int& height) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        pumpWindowEvents(window, 0);
        idlePlugin(plugin, 5);
        int w = 0, h = 0;
        if (editorSize(plugin, w, h) && (w != width || h != height)) {
            width = w;
            height = h;
            resizeHostWindow(window, width, height);
        }
    } while (std::chrono::steady_clock::now() < end);
}

} // namespace

ExitCode captureEditor(HostedPlugin& plugin, RgbImage& image, std::string& error) {
    if (!hasEditor(plugin)) {
        error = "the plug-in has no editor";
        return kExitPlugin;
    }
    // The window first: without a window system the editor is not even made.
    HostWindow window;
    if (!createHostWindow(window, 320, 240, error)) return kExitUsage;
    int width = 0, height = 0;
    ExitCode code = kExitSuccess;
    if (!createEditor(plugin, width, height, error)) {
        code = kExitPlugin;
    } else {
        resizeHostWindow(window, width, height);
        if (!showEditor(plugin, window, error)) {
            code = kExitPlugin;
        } else {
            pump(plugin, window, kPumpMilliseconds, width, height);
            std::vector<std::uint8_t> rgb;
            if (readWindowPixels(window, width, height, rgb)) {
                image.width = width;
                image.height = height;
                image.rgb.swap(rgb);
            } else {
                error = "cannot read the editor's pixels back";
                code = kExitInternal;
            }
        }
        closeEditor(plugin);
        pumpWindowEvents(window, 10);
    }
    destroyHostWindow(window);
    return code;
}
