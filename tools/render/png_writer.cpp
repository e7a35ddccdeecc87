// The PNG encoder's one compiled copy, and the file handling around it.
#include "png_writer.h"

#include "platform_io.h"

#include <cstdio>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace {

struct PngSink {
    std::FILE* file;
    bool failed;
};

void writeToFile(void* context, void* data, int size) {
    auto* sink = static_cast<PngSink*>(context);
    if (!sink->failed && std::fwrite(data, 1, static_cast<std::size_t>(size), sink->file) !=
                             static_cast<std::size_t>(size))
        sink->failed = true;
}

} // namespace

bool writePng(const std::string& path, const RgbImage& image, std::string& error) {
    const std::string partial = path + ".partial";
    std::FILE* file = openFileUtf8(partial, "wb");
    if (!file) {
        error = "cannot write '" + path + "': " + lastErrorText();
        return false;
    }
    PngSink sink{file, false};
    const bool encoded = stbi_write_png_to_func(writeToFile, &sink, image.width, image.height, 3,
                                                image.rgb.data(), image.width * 3) != 0;
    const bool closed = std::fclose(file) == 0;
    if (!encoded || sink.failed || !closed) {
        error =
            "cannot write '" + path + "': " + (encoded ? lastErrorText() : "PNG encoding failed");
        removeFile(partial);
        return false;
    }
    if (!replaceFile(partial, path, error)) {
        removeFile(partial);
        return false;
    }
    return true;
}
