// The picture of the Spectrum's screen with a border round it, as RGB rows,
// and PNG and WAV files for what the host shows and plays.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/zx_machine.h"

namespace reelbox::host {

constexpr int BORDER_PIXELS = 32;  // left and right
constexpr int BORDER_LINES = 24;   // above and below
constexpr int IMAGE_WIDTH = 256 + 2 * BORDER_PIXELS;
constexpr int IMAGE_HEIGHT = 192 + 2 * BORDER_LINES;
// The first line of the paper, counted from the start of the frame.
constexpr std::uint32_t FIRST_PAPER_LINE = 64;

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // 3 bytes a pixel, rows top to bottom
};

// screen is the 6912 bytes the ULA shows; FLASH shows its unflashed phase.
RgbImage RenderScreen(const std::uint8_t* screen, const std::array<std::uint8_t, FRAME_LINES>& borderLines);
bool WritePng(const std::string& path, const RgbImage& image);
// 16-bit mono PCM samples, little-endian as the sound buffer holds them.
bool WriteWav(const std::string& path, const std::vector<std::uint8_t>& samples, std::uint32_t sampleRate);

}  // namespace reelbox::host
