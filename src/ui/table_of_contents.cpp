#include "ui/table_of_contents.h"

#include <cstdio>
#include <cstring>

#include "resources/resource_ids.h"
#include "resources/strings.h"
#include "tape/tape_block_list.h"

namespace reelbox {
namespace {

// The block's body (after the id byte), read with every offset checked: bytes
// past the end read as 0.
class Body {
 public:
  explicit Body(const TapeBlock& block)
      : data_(block.size > 0 ? block.data + 1 : nullptr), size_(block.size > 0 ? block.size - 1 : 0) {}
  std::uint32_t Byte(std::uint32_t at) const { return at < size_ ? data_[at] : 0; }
  std::uint32_t Word(std::uint32_t at) const { return Byte(at) | Byte(at + 1) << 8; }
  std::uint32_t Triple(std::uint32_t at) const { return Word(at) | Byte(at + 2) << 16; }
  // A length-prefixed text at at: at most BLOCK_TEXT_LENGTH characters that
  // the block holds.
  void Text(std::uint32_t at, char (&out)[BLOCK_TEXT_LENGTH + 1]) const {
    std::uint32_t length = Byte(at);
    if (length > BLOCK_TEXT_LENGTH) length = BLOCK_TEXT_LENGTH;
    std::uint32_t i = 0;
    for (; i < length && at + 1 + i < size_; ++i) out[i] = static_cast<char>(data_[at + 1 + i]);
    out[i] = '\0';
  }

 private:
  const std::uint8_t* data_;
  std::uint32_t size_;
};

struct Format {
  ModuleHandle module;
  char (&text)[ROW_TEXT_LENGTH];

  void Plain(int id) const { LoadResourceString(module, id, text, STRING_BUDGET); }
  template <typename Value>
  void With(int id, Value value) const {
    char format[STRING_BUDGET];
    LoadResourceString(module, id, format, sizeof format);
    std::snprintf(text, sizeof text, format, value);
  }
};

// Ids 0x10 and 0x11 carry tape headers: 19 or 20 bytes, flag 0, type below 4.
bool FormatHeader(const Body& body, std::uint32_t dataAt, std::uint32_t length, char (&text)[ROW_TEXT_LENGTH]) {
  if ((length != 19 && length != 20) || body.Byte(dataAt) != 0 || body.Byte(dataAt + 1) >= 4) return false;
  static const char* const PREFIXES[] = {"Program: ", "Number array: ", "Character array: ", "Bytes: "};
  const std::uint32_t type = body.Byte(dataAt + 1);
  char name[11] = {};
  for (std::uint32_t i = 0; i < 10; ++i) {
    name[i] = static_cast<char>(body.Byte(dataAt + 2 + i));
    if (name[i] == '\0') break;
  }
  const std::uint32_t param1 = body.Word(dataAt + 14);
  const int used = std::snprintf(text, sizeof text, "%s%s", PREFIXES[type], name);
  const std::size_t room = sizeof text - static_cast<std::size_t>(used);
  if (type == 0 && param1 < 32768) std::snprintf(text + used, room, " LINE %d", static_cast<int>(param1));
  if (type == 3) {
    std::snprintf(text + used, room, " CODE %d,%d", static_cast<int>(param1), static_cast<int>(body.Word(dataAt + 12)));
  }
  return true;
}

}  // namespace

void FormatRowText(ModuleHandle module, const TapeBlock& block, std::int32_t index, std::int32_t rowsBefore,
                   char (&text)[ROW_TEXT_LENGTH]) {
  const Body body(block);
  const Format format{module, text};
  char name[BLOCK_TEXT_LENGTH + 1];
  text[0] = '\0';
  switch (block.id) {
    case 0x10: {
      const std::uint32_t length = body.Word(2);
      if (!FormatHeader(body, 4, length, text))
        format.With(IDS_ROW_NORMAL_DATA, static_cast<int>(length > 2 ? length - 2 : length));
      break;
    }
    case 0x11: {
      const std::uint32_t length = body.Triple(15);
      if (!FormatHeader(body, 18, length, text)) format.With(IDS_ROW_TURBO_DATA, static_cast<int>(length));
      break;
    }
    case 0x12:
      return format.With(IDS_ROW_PURE_TONE, static_cast<int>(body.Word(2)));
    case 0x13:
      return format.With(IDS_ROW_PULSES, static_cast<int>(body.Byte(0)));
    case 0x14:
      return format.With(IDS_ROW_PURE_DATA, static_cast<int>(body.Triple(7)));
    case 0x15:
      return format.With(IDS_ROW_DIRECT, static_cast<int>(body.Triple(5)));
    case 0x20:
      if (body.Word(0) == 0) return format.Plain(IDS_ROW_STOP);
      return format.With(IDS_ROW_PAUSE, static_cast<int>(body.Word(0)));
    case 0x21:
      body.Text(0, name);
      return format.With(IDS_ROW_GROUP, name);
    case 0x23:
      return format.With(IDS_ROW_JUMP, index + 1 + static_cast<std::int16_t>(body.Word(0)));
    case 0x24:
      return format.With(IDS_ROW_LOOP, static_cast<int>(body.Word(0)));
    case 0x30:
      body.Text(0, name);
      return format.With(IDS_ROW_TEXT, name);
    case 0xF0:
    case 0xF1:
      return format.With(IDS_ROW_SAMPLED, rowsBefore + 1);
    default: {
      struct Fixed {
        int id;
        int text;
      };
      static const Fixed FIXED[] = {
          {0x22, IDS_ROW_GROUP_END}, {0x25, IDS_ROW_LOOP_END},  {0x26, IDS_ROW_CALL},    {0x27, IDS_ROW_RETURN},
          {0x28, IDS_ROW_SELECT},    {0x2A, IDS_ROW_STOP_48K},  {0x31, IDS_ROW_MESSAGE}, {0x32, IDS_ROW_ARCHIVE},
          {0x33, IDS_ROW_HARDWARE},  {0x34, IDS_ROW_EMULATION}, {0x35, IDS_ROW_CUSTOM},  {0x40, IDS_ROW_SNAPSHOT},
          {0x5A, IDS_ROW_MERGED},
      };
      for (const Fixed& fixed : FIXED) {
        if (fixed.id == block.id) return format.Plain(fixed.text);
      }
      return format.Plain(IDS_ROW_UNKNOWN);
    }
  }
}

namespace {

// In the simple view: ids a user cares about, and a stop (pause 0).
bool IsSimpleCandidate(const TapeBlock& block) {
  switch (block.id) {
    case 0x10:
    case 0x11:
    case 0x12:
    case 0x13:
    case 0x14:
    case 0x15:
    case 0x21:
    case 0x28:
    case 0x2A:
    case 0x30:
    case 0xF0:
    case 0xF1:
      return true;
    case 0x20:
      return Body(block).Word(0) == 0;
    default:
      return false;
  }
}

}  // namespace

std::int32_t FillRows(ModuleHandle module, TapeBlockList& blocks, bool detailed, RowSink& sink) {
  std::int32_t rows = 0;
  bool inGroup = false;
  bool inLoop = false;
  std::int32_t param = 0;
  const std::int32_t count = blocks.GetCount();
  for (std::int32_t i = 0; i < count; ++i) {
    TapeBlock& block = *blocks.GetBlock(i);
    block.tocRow = rows - 1;
    if (!detailed) {
      const bool shown = IsSimpleCandidate(block) && !inGroup;
      if (block.id == 0x22) inGroup = false;
      if (block.id == 0x21 && shown) inGroup = true;
      if (!shown) continue;
    } else {
      if (block.id == 0x21) inGroup = true;
      if (block.id == 0x22) inGroup = false;
    }
    // Rows from a loop's start to its end all lead to the loop's start.
    if (!inLoop) param = i;
    if (block.id == 0x24) inLoop = true;
    if (block.id == 0x25) inLoop = false;
    block.tocRow = rows;
    char text[ROW_TEXT_LENGTH];
    FormatRowText(module, block, i, rows, text);
    sink.AddRow(text, param);
    ++rows;
  }
  return rows;
}

}  // namespace reelbox
