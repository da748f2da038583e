#include "tzx_test_loader.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "tape/byte_cursor.h"

namespace reelbox::test {
namespace {

constexpr std::size_t HEADER_BYTES = 10;

// Bytes of the block at p (identifier included), or 0 when they are not all there.
std::size_t BlockLength(const std::uint8_t* p, std::size_t available) {
  auto need = [&](std::size_t bytes) { return bytes <= available; };
  std::uint64_t length;
  switch (p[0]) {
    case 0x10:
      length = need(5) ? 5 + ReadU16(p + 3) : 0;
      break;
    case 0x11:
      length = need(19) ? 19 + ReadU24(p + 16) : 0;
      break;
    case 0x12:
      length = 5;
      break;
    case 0x13:
      length = need(2) ? 2 + 2 * p[1] : 0;
      break;
    case 0x14:
      length = need(11) ? 11 + ReadU24(p + 8) : 0;
      break;
    case 0x15:
      length = need(9) ? 9 + ReadU24(p + 6) : 0;
      break;
    case 0x20:
    case 0x23:
    case 0x24:
      length = 3;
      break;
    case 0x21:
    case 0x30:
      length = need(2) ? 2 + p[1] : 0;
      break;
    case 0x22:
    case 0x25:
    case 0x27:
      length = 1;
      break;
    case 0x26:
      length = need(3) ? 3 + 2 * ReadU16(p + 1) : 0;
      break;
    case 0x28:
    case 0x32:
      length = need(3) ? 3 + ReadU16(p + 1) : 0;
      break;
    case 0x2A:
      length = 5;
      break;
    case 0x31:
      length = need(3) ? 3 + p[2] : 0;
      break;
    case 0x33:
      length = need(2) ? 2 + 3 * p[1] : 0;
      break;
    case 0x34:
      length = 9;
      break;
    case 0x35:
      length = need(15) ? 15 + static_cast<std::uint64_t>(ReadU32(p + 11)) : 0;
      break;
    case 0x40:
      length = need(5) ? 5 + ReadU24(p + 2) : 0;
      break;
    case 0x5A:
      length = 10;
      break;
    default:
      length = need(5) ? 5 + static_cast<std::uint64_t>(ReadU32(p + 1)) : 0;
      break;
  }
  return length <= available ? static_cast<std::size_t>(length) : 0;
}

}  // namespace

int LoadTzxForTest(TapeBlockList& tape, const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return -1;
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() < HEADER_BYTES || std::memcmp(bytes.data(), "ZXTape!\x1A", 8) != 0) return -1;
  int blocks = 0;
  for (std::size_t at = HEADER_BYTES; at < bytes.size(); ++blocks) {
    const std::size_t length = BlockLength(bytes.data() + at, bytes.size() - at);
    if (length == 0) break;
    tape.Append(NewOwnedBlock(bytes.data() + at, static_cast<std::uint32_t>(length)));
    at += length;
  }
  return blocks;
}

}  // namespace reelbox::test
