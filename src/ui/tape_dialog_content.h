// What the message and program-choice dialogs show, read from a TZX message
// block (0x31) or select block (0x28). Reads stay inside the block: a block cut
// short shows what it holds.
#pragma once

#include <cstdint>
#include <vector>

#include "tape/tape_block.h"

namespace reelbox {

constexpr std::uint32_t MESSAGE_TEXT_CAPACITY = 512;
constexpr std::uint32_t MESSAGE_TEXT_MAX_BYTES = 255;  // text bytes taken from the block
constexpr std::uint32_t CHOICE_TEXT_CAPACITY = 32;

struct TapeMessage {
  char text[MESSAGE_TEXT_CAPACITY] = {};  // line ends expanded to CR LF, terminated
  std::int32_t seconds = 0;               // 0: until the user closes it
};

struct ProgramChoice {
  char description[CHOICE_TEXT_CAPACITY] = {};  // at most 31 characters, terminated
  std::int16_t offset = 0;                      // blocks to move, relative to the select block
};

// The block's display time and text: at most 255 text bytes; every CR and
// every lone LF becomes CR LF, so that a multi-line edit control breaks lines.
TapeMessage ReadTapeMessage(const TapeBlock& block);

// The block's selections in order: a description of more than 31 characters
// shows its first 30, and a copy ends at a zero byte. A selection cut short
// by the block's end ends the list; its description is what the block holds.
std::vector<ProgramChoice> ReadProgramChoices(const TapeBlock& block);

// The skip to queue for a chosen relative offset from the select block at
// blockIndex: false when there is nothing to queue (offset 0) or the target
// lies outside the tape's blockCount blocks.
bool ChoiceSkip(std::int32_t blockIndex, std::int32_t offset, std::int32_t blockCount);

}  // namespace reelbox
