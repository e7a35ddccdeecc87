// PNG files of 8-bit RGB images, written by stb_image_write (Debian's
// libstb-dev) through the renderer's UTF-8 file opening, replaced whole:
// an existing file is left alone when writing fails.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb; // rows top first, 3 bytes a pixel
};

// On failure `error` says why.
bool writePng(const std::string& path, const RgbImage& image, std::string& error);
