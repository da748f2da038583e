#include "host/screen_image.h"

#include <png.h>

#include <cstdio>
#include <fstream>

namespace reelbox::host {
namespace {

// Colour index 0-7 (bit 0 blue, bit 1 red, bit 2 green) at normal or bright level.
void PutColour(std::uint8_t* pixel, int colour, bool bright) {
  const std::uint8_t level = bright ? 0xFF : 0xD7;
  pixel[0] = (colour & 2) ? level : 0;
  pixel[1] = (colour & 4) ? level : 0;
  pixel[2] = (colour & 1) ? level : 0;
}

// Address of the first byte of pixel row y (0-191): the thirds, character rows
// and pixel lines are interleaved.
std::uint16_t PixelRowAddress(int y) {
  return static_cast<std::uint16_t>(((y & 0xC0) << 5) | ((y & 0x07) << 8) | ((y & 0x38) << 2));
}

void RenderPaperRow(const std::uint8_t* screen, int y, std::uint8_t* row) {
  const std::uint16_t pixels = PixelRowAddress(y);
  const int attributes = 0x1800 + (y / 8) * 32;
  for (int column = 0; column < 32; ++column) {
    const std::uint8_t bits = screen[pixels + column];
    const std::uint8_t attribute = screen[attributes + column];
    const bool bright = (attribute & 0x40) != 0;
    for (int bit = 0; bit < 8; ++bit) {
      const bool ink = (bits & (0x80 >> bit)) != 0;
      PutColour(row + 3 * (BORDER_PIXELS + column * 8 + bit), ink ? (attribute & 7) : ((attribute >> 3) & 7), bright);
    }
  }
}

void Write16(std::ofstream& file, std::uint16_t value) {
  const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
  file.write(bytes, 2);
}

void Write32(std::ofstream& file, std::uint32_t value) {
  Write16(file, static_cast<std::uint16_t>(value & 0xFFFF));
  Write16(file, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace

RgbImage RenderScreen(const std::uint8_t* screen, const std::array<std::uint8_t, FRAME_LINES>& borderLines) {
  RgbImage image;
  image.width = IMAGE_WIDTH;
  image.height = IMAGE_HEIGHT;
  image.pixels.resize(static_cast<std::size_t>(IMAGE_WIDTH) * IMAGE_HEIGHT * 3);
  for (int y = 0; y < IMAGE_HEIGHT; ++y) {
    std::uint8_t* row = &image.pixels[static_cast<std::size_t>(y) * IMAGE_WIDTH * 3];
    const int border = borderLines[FIRST_PAPER_LINE - BORDER_LINES + static_cast<std::uint32_t>(y)];
    for (int x = 0; x < IMAGE_WIDTH; ++x) PutColour(row + 3 * x, border, false);
    const int paperY = y - BORDER_LINES;
    if (paperY >= 0 && paperY < 192) RenderPaperRow(screen, paperY, row);
  }
  return image;
}

bool WritePng(const std::string& path, const RgbImage& image) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  volatile bool written = false;  // survives the library's longjmp
  if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) {
      png_write_row(png, &image.pixels[static_cast<std::size_t>(y) * image.width * 3]);
    }
    png_write_end(png, nullptr);
    written = true;
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && written;
}

bool WriteWav(const std::string& path, const std::vector<std::uint8_t>& samples, std::uint32_t sampleRate) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() & ~std::size_t{1});
  file.write("RIFF", 4);
  Write32(file, 36 + dataBytes);
  file.write("WAVEfmt ", 8);
  Write32(file, 16);
  Write16(file, 1);  // PCM
  Write16(file, 1);  // mono
  Write32(file, sampleRate);
  Write32(file, sampleRate * 2);
  Write16(file, 2);
  Write16(file, 16);
  file.write("data", 4);
  Write32(file, dataBytes);
  file.write(reinterpret_cast<const char*>(samples.data()), dataBytes);
  return static_cast<bool>(file);
}

}  // namespace reelbox::host
