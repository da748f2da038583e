// The table of contents: which blocks get a row, the row texts (tape headers
// decoded into names, lines and addresses) and the parameter of each row.
#pragma once

#include <cstdint>

#include "contract/com.h"
#include "tape/tape_block.h"

namespace reelbox {

class TapeBlockList;

constexpr int ROW_TEXT_LENGTH = 128;   // a row holds at most 127 characters
constexpr int STRING_BUDGET = 64;      // a string resource, terminator included
constexpr int BLOCK_TEXT_LENGTH = 63;  // group names and descriptions

// The text of block index's row when it is the rowsBefore-th row (0-based).
// Reads nothing past the block's size.
void FormatRowText(ModuleHandle module, const TapeBlock& block, std::int32_t index, std::int32_t rowsBefore,
                   char (&text)[ROW_TEXT_LENGTH]);

// Receives the rows of a fill, in order.
class RowSink {
 public:
  virtual void AddRow(const char* text, std::int32_t parameter) = 0;

 protected:
  ~RowSink() = default;
};

// Writes every block's tocRow and hands each row to sink; returns the row count.
std::int32_t FillRows(ModuleHandle module, TapeBlockList& blocks, bool detailed, RowSink& sink);

}  // namespace reelbox
