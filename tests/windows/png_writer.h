// Screenshots of windows under test, as PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace reelbox::test {

// The screen under the window (its own pixels and whatever covers it), as a PNG file.
bool PhotographWindow(void* window, const std::string& path);

}  // namespace reelbox::test
