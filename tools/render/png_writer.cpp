// PNG writing: stb_image_write compiled here once.
#include "png_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace {

struct PngFile {
    std::FILE* file;
    bool failed;
};

void writeChunk(void* context, void* data, int size) {
    auto* out = static_cast<PngFile*>(context);
    if (std::fwrite(data, 1, static_cast<std::size_t>(size), out->file) !=
        static_cast<std::size_t>(size))
        out->failed = true;
}

} // namespace

bool writePng(const std::string& path, const RgbImage& image, std::string& error) {
    PngFile out{std::fopen(path.c_str(), "wb"), false};
    if (!out.file) {
        error = "cannot create '" + path + "': " + std::strerror(errno);
        return false;
    }
    const bool encoded = stbi_write_png_to_func(writeChunk, &out, image.width, image.height, 3,
                                                image.rgb.data(), image.width * 3) != 0;
    const bool closed = std::fclose(out.file) == 0;
    if (!encoded || out.failed || !closed) {
        error = "cannot write '" + path + "'";
        std::remove(path.c_str());
        return false;
    }
    return true;
}
