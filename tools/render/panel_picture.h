// Saving a plug-in's editor panel as a PNG picture without a window: the
// plug-in paints its panel into our memory through its vendor-specific
// snapshot call (plugin/panel_snapshot.h), so no display is needed.
#pragma once

#include "exit_codes.h"
#include "vst2_abi.h"

#include <string>

// The panel at the size effEditGetRect gives, written to `path`. Fails with
// kExitPlugin when the plug-in has no editor or paints no snapshot, and
// kExitOutput when the file cannot be written; `error` says why.
ExitCode savePanelSnapshot(AEffect* effect, const std::string& path, std::string& error);
