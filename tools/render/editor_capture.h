// A picture of a plug-in's editor opened through the host interface, as a
// host opens it: the editor made and sized, a host window of that size, the
// editor shown in it, some repaint periods of the window system's messages
// and the host's main-thread duties (a CLAP gui's timers and descriptors are
// its only idle calls on Linux), the window resized when the editor asks,
// the pixels read back, the editor closed. How CLAP editors are saved; VST
// 2.4 editors keep their own way (panel_capture.h).
#pragma once

#include "exit_codes.h"
#include "hosted_plugin.h"
#include "png_writer.h"

#include <string>

// kExitSuccess with the picture in `image`; kExitUsage when no window can be
// made here (no X display); kExitPlugin when the plug-in has no editor or it
// does not open; kExitInternal when the pixels cannot be read back.
ExitCode captureEditor(HostedPlugin& plugin, RgbImage& image, std::string& error);
