#include "tools/block_listing.h"

#include <cstdio>

namespace reelbox::tools {
namespace {

std::uint32_t Word(const TapeBlock& block, std::uint32_t at) {
  return at + 1 < block.size ? static_cast<std::uint32_t>(block.data[at] | block.data[at + 1] << 8) : 0;
}

std::uint32_t Triple(const TapeBlock& block, std::uint32_t at) {
  return at + 2 < block.size ? Word(block, at) | static_cast<std::uint32_t>(block.data[at + 2]) << 16 : 0;
}

const char* BlockName(int id) {
  switch (id) {
    case 0x10:
      return "standard data";
    case 0x11:
      return "turbo data";
    case 0x12:
      return "pure tone";
    case 0x13:
      return "pulse sequence";
    case 0x14:
      return "pure data";
    case 0x15:
      return "direct recording";
    case 0x18:
      return "CSW recording";
    case 0x19:
      return "generalized data";
    case 0x20:
      return "pause / stop the tape";
    case 0x21:
      return "group start";
    case 0x22:
      return "group end";
    case 0x23:
      return "jump";
    case 0x24:
      return "loop start";
    case 0x25:
      return "loop end";
    case 0x26:
      return "call sequence";
    case 0x27:
      return "return from sequence";
    case 0x28:
      return "select block";
    case 0x2A:
      return "stop the tape if in 48K mode";
    case 0x2B:
      return "set signal level";
    case 0x30:
      return "text description";
    case 0x31:
      return "message";
    case 0x32:
      return "archive info";
    case 0x33:
      return "hardware type";
    case 0x35:
      return "custom info";
    case 0x5A:
      return "glue";
    case BLOCK_CSW_PIECE:
      return "CSW pulses";
    case BLOCK_SAMPLED_PIECE:
      return "sampled audio";
    default:
      return "unknown";
  }
}

// A ROM header: type, ten-character name, length and the two parameters.
std::string DescribeRomHeader(const std::uint8_t* header) {
  static const char* const TYPES[] = {"Program", "Number array", "Character array", "Bytes"};
  const int type = header[0];
  char name[11];
  for (int i = 0; i < 10; ++i) {
    const char c = static_cast<char>(header[1 + i]);
    name[i] = c >= 32 && c < 127 ? c : '?';
  }
  int end = 10;
  while (end > 0 && name[end - 1] == ' ') --end;
  name[end] = '\0';
  const unsigned param1 = header[13] | header[14] << 8;
  char text[96];
  if (type == 0 && param1 < 10000) {
    std::snprintf(text, sizeof text, " %s: \"%s\" LINE %u", TYPES[0], name, param1);
  } else if (type == 3) {
    std::snprintf(text, sizeof text, " %s: \"%s\" CODE %u,%u", TYPES[3], name, param1,
                  static_cast<unsigned>(header[11] | header[12] << 8));
  } else {
    std::snprintf(text, sizeof text, " %s: \"%s\"", type < 4 ? TYPES[type] : "Header", name);
  }
  return text;
}

// Text of a block whose length byte is at lengthAt, printable characters only.
std::string Text(const TapeBlock& block, std::uint32_t textAt, std::uint32_t lengthAt) {
  if (lengthAt >= block.size) return {};
  std::string text = "\"";
  for (std::uint32_t i = 0; i < block.data[lengthAt] && textAt + i < block.size && i < 48; ++i) {
    const char c = static_cast<char>(block.data[textAt + i]);
    text += c >= 32 && c < 127 ? c : ' ';
  }
  return text + "\"";
}

std::string DescribeData(const TapeBlock& block, std::uint32_t dataAt, std::uint32_t length) {
  char text[64];
  if (length == 0 || dataAt >= block.size) return " (empty)";
  const std::uint8_t flag = block.data[dataAt];
  std::snprintf(text, sizeof text, " %u bytes, flag 0x%02X", length, flag);
  std::string description = text;
  if (flag == 0 && length == 19 && dataAt + 18 < block.size) description += DescribeRomHeader(block.data + dataAt + 1);
  return description;
}

}  // namespace

std::string DescribeBlock(const TapeBlock& block) {
  char head[64];
  std::snprintf(head, sizeof head, "0x%02X %-22s", static_cast<unsigned>(block.id), BlockName(block.id));
  std::string line = head;
  char detail[96] = "";
  switch (block.id) {
    case 0x10:
      line += DescribeData(block, 5, Word(block, 3));
      std::snprintf(detail, sizeof detail, ", pause %u ms", Word(block, 1));
      break;
    case 0x11:
      line += DescribeData(block, 19, Triple(block, 16));
      std::snprintf(detail, sizeof detail, ", pilot %u x %u T, zero %u T, one %u T, pause %u ms", Word(block, 11),
                    Word(block, 1), Word(block, 7), Word(block, 9), Word(block, 14));
      break;
    case 0x12:
      std::snprintf(detail, sizeof detail, " %u pulses of %u T", Word(block, 3), Word(block, 1));
      break;
    case 0x14:
      std::snprintf(detail, sizeof detail, " %u bytes, pause %u ms", Triple(block, 8), Word(block, 6));
      break;
    case 0x13:
      if (block.size > 1) std::snprintf(detail, sizeof detail, " %u pulses", block.data[1]);
      break;
    case 0x20:
      std::snprintf(detail, sizeof detail, " %u ms", Word(block, 1));
      break;
    case 0x23:
      std::snprintf(detail, sizeof detail, " by %d", static_cast<std::int16_t>(Word(block, 1)));
      break;
    case 0x24:
      std::snprintf(detail, sizeof detail, " %u times", Word(block, 1));
      break;
    case 0x21:
    case 0x30:
      return line + " " + Text(block, 2, 1);
    case 0x31:
      return line + " " + Text(block, 3, 2);
    default:
      break;
  }
  return line + detail;
}

}  // namespace reelbox::tools
