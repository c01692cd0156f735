// A minimal PNG writer (uncompressed deflate), for screenshots of windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel::test {

// rgba: width * height * 4 bytes, rows top to bottom. Returns the file bytes.
std::string EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba);

}  // namespace zel::test
