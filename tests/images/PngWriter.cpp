#include "PngWriter.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace testimages {

std::string Png(int width, int height, const std::vector<std::uint32_t>& rgba)
{
    std::vector<unsigned char> bytes;
    bytes.reserve(rgba.size() * 4);
    for (const std::uint32_t p : rgba) {
        bytes.push_back(static_cast<unsigned char>(p >> 16));
        bytes.push_back(static_cast<unsigned char>(p >> 8));
        bytes.push_back(static_cast<unsigned char>(p));
        bytes.push_back(static_cast<unsigned char>(p >> 24));
    }
    std::string out;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
        },
        &out, width, height, 4, bytes.data(), width * 4);
    return out;
}

}  // namespace testimages
