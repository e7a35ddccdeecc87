// PNG files of RGBA pixels, through stb_image_write (Debian's libstb-dev).
#pragma once

#include <cstdint>
#include <string>

// Writes width x height pixels of four bytes (red, green, blue, alpha), rows
// width x 4 bytes apart. On failure `error` says why.
bool writePng(const std::string& path, const std::uint8_t* rgba, int width, int height,
              std::string& error);
