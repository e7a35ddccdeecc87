// PNG files of 8-bit RGB images, written by stb_image_write (Debian's
// libstb-dev).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb; // rows top first, 3 bytes a pixel
};

// On failure `error` says why (and no partial file is left).
bool writePng(const std::string& path, const RgbImage& image, std::string& error);
