// Test images made on the spot: RGBA pixels to PNG bytes, with stb_image_write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testimages {

// `rgba`: width * height pixels as 0xAARRGGBB, rows top to bottom.
std::string Png(int width, int height, const std::vector<std::uint32_t>& rgba);

}  // namespace testimages
