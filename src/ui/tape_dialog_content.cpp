#include "ui/tape_dialog_content.h"

#include <algorithm>

#include "tape/byte_cursor.h"

namespace reelbox {
namespace {

constexpr char CARRIAGE_RETURN = 13;
constexpr char LINE_FEED = 10;
constexpr std::uint32_t LONG_DESCRIPTION = 31;  // longer ones are cut to 30 characters

// The block's body: the bytes after its identifier.
ByteCursor BodyOf(const TapeBlock& block) {
  if (block.data == nullptr || block.size == 0) return ByteCursor(nullptr, 0);
  return ByteCursor(block.data + 1, block.size - 1);
}

}  // namespace

TapeMessage ReadTapeMessage(const TapeBlock& block) {
  TapeMessage message;
  ByteCursor body = BodyOf(block);
  std::uint8_t seconds = 0;
  std::uint8_t length = 0;
  if (!body.U8(&seconds)) return message;
  message.seconds = seconds;
  if (!body.U8(&length)) return message;
  const std::size_t count = std::min<std::size_t>({length, body.Remaining(), MESSAGE_TEXT_MAX_BYTES});
  const char* text = reinterpret_cast<const char*>(body.Here());
  // 255 bytes at most, each at most doubled, leave room for the terminator.
  std::size_t out = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const char c = text[i];
    if (c == LINE_FEED && (i == 0 || text[i - 1] != CARRIAGE_RETURN)) message.text[out++] = CARRIAGE_RETURN;
    message.text[out++] = c;
    if (c == CARRIAGE_RETURN && (i + 1 == count || text[i + 1] != LINE_FEED)) message.text[out++] = LINE_FEED;
  }
  message.text[out] = '\0';
  return message;
}

std::vector<ProgramChoice> ReadProgramChoices(const TapeBlock& block) {
  std::vector<ProgramChoice> choices;
  ByteCursor body = BodyOf(block);
  std::uint8_t count = 0;
  if (!body.Skip(2) || !body.U8(&count)) return choices;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint16_t offset = 0;
    std::uint8_t length = 0;
    if (!body.U16(&offset) || !body.U8(&length)) break;
    ProgramChoice choice;
    choice.offset = static_cast<std::int16_t>(offset);
    const std::size_t shown = length > LONG_DESCRIPTION ? LONG_DESCRIPTION - 1 : length;
    const std::size_t held = std::min<std::size_t>(shown, body.Remaining());
    const char* text = reinterpret_cast<const char*>(body.Here());
    for (std::size_t at = 0; at < held && text[at] != '\0'; ++at) choice.description[at] = text[at];
    choices.push_back(choice);
    if (!body.Skip(length)) break;
  }
  return choices;
}

bool ChoiceSkip(std::int32_t blockIndex, std::int32_t offset, std::int32_t blockCount) {
  if (offset == 0) return false;
  const std::int64_t target = static_cast<std::int64_t>(blockIndex) + offset;
  return target >= 0 && target < blockCount;
}

}  // namespace reelbox
