// Writes 24-bit pixels as a PNG file (stored deflate blocks: no compressor
// needed), for screenshots of windows under test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace reelbox::test {

// rgb holds width * height pixels, 3 bytes each, top row first.
bool WritePngFile(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);

// The screen under the window (its own pixels and whatever covers it), as a PNG file.
bool PhotographWindow(void* window, const std::string& path);

}  // namespace reelbox::test
