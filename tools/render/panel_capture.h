// Opening a plug-in's editor the way a host does and taking a picture of
// it: a parent window of the size the editor asks for (effEditGetRect),
// effEditOpen with it, a few of the editor's own repaint periods of message
// pumping, the editor's pixels read back, effEditClose.
#pragma once

#include "exit_codes.h"
#include "png_writer.h"
#include "vst2_abi.h"

#include <string>

// kExitSuccess with the picture in `image`; otherwise the failure's code and
// `error` (no editor, an editor that would not open, no window system).
ExitCode capturePanel(AEffect* effect, RgbImage& image, std::string& error);
