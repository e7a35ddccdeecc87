// A picture of a plug-in's editor panel without a window or a window
// system: the plug-in paints its panel into our memory through its
// vendor-specific snapshot call (vst2/panel_snapshot.h). How the Linux
// tool saves the panel, with or without an X server.
#pragma once

#include "exit_codes.h"
#include "png_writer.h"
#include "vst2_abi.h"

#include <string>

// kExitSuccess with the panel at the size effEditGetRect gives in `image`;
// kExitPlugin when the plug-in has no editor or paints no snapshot, with
// `error` saying why.
ExitCode capturePanelSnapshot(AEffect* effect, RgbImage& image, std::string& error);
