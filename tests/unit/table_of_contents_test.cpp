// The recorder window's table of contents, in its simple and detailed views.
#include "ui/table_of_contents.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit/tape_builder.h"

namespace reelbox::test {
namespace {

// A row's text and the parameter it is added with.
using Row = std::pair<std::string, std::int32_t>;

class RowList final : public RowSink {
 public:
  void AddRow(const char* text, std::int32_t parameter) override { rows.push_back({text, parameter}); }
  std::vector<Row> rows;
};

TEST(TableOfContents, RowsOfSimpleAndDetailedViews) {
  TapeBlockList tape;
  AppendBlocks(tape, {
                         TextDescription("Made by hand"),                            // 0
                         StandardBlock(1000, HeaderData(0, "hello", 300, 10)),       // 1
                         StandardBlock(1000, RomData(0xFF, Bytes(300))),             // 2
                         StandardBlock(1000, HeaderData(3, "screen", 6912, 16384)),  // 3
                         StandardBlock(1000, HeaderData(0, "noline", 20, 32768)),    // 4
                         GroupStart("Intro"),                                        // 5
                         PauseBlock(500),                                            // 6
                         GroupEnd(),                                                 // 7
                         LoopStart(3),                                               // 8
                         PureTone(2168, 100),                                        // 9
                         LoopEnd(),                                                  // 10
                         JumpBlock(-2),                                              // 11
                         PauseBlock(0),                                              // 12
                         Bytes{0x5B, 0, 0, 0, 0},                                    // 13: no such block
                     });
  // Every detailed row, with the block the simple view gives it (-1: not shown).
  const struct {
    Row detailed;
    std::int32_t simpleParameter;
  } rows[] = {
      {{"[ Made by hand ]", 0}, 0},
      {{"Program: hello      LINE 10", 1}, 1},
      {{"Normal Data Block (300 bytes)", 2}, 2},
      {{"Bytes: screen     CODE 16384,6912", 3}, 3},
      {{"Program: noline    ", 4}, 4},
      {{"[ Group: Intro ]", 5}, 5},
      {{"[ Pause 500 ms ]", 6}, -1},
      {{"[ Group End ]", 7}, -1},
      {{"[ Loop 3 Times ]", 8}, -1},
      {{"Pure Tone (100 pulses)", 8}, 9},
      {{"[ Loop End ]", 8}, -1},
      {{"[ Jump To Block 10 ]", 11}, -1},
      {{"[ Stop The Tape ]", 12}, 12},
      {{"[ Unknown ]", 13}, -1},
  };
  // The row each block is shown on.
  const std::vector<std::int32_t> simpleRowOfBlock = {0, 1, 2, 3, 4, 5, 5, 5, 5, 6, 6, 6, 7, 7};
  for (bool detailed : {false, true}) {
    std::vector<Row> expected;
    for (const auto& row : rows) {
      if (detailed) expected.push_back(row.detailed);
      if (!detailed && row.simpleParameter >= 0) expected.push_back({row.detailed.first, row.simpleParameter});
    }
    RowList list;
    EXPECT_EQ(static_cast<std::int32_t>(expected.size()), FillRows(nullptr, tape, detailed, list));
    EXPECT_EQ(expected, list.rows) << "detailed " << detailed;
    for (std::int32_t i = 0; i < tape.GetCount(); ++i) {
      EXPECT_EQ(detailed ? i : simpleRowOfBlock[static_cast<std::size_t>(i)], tape.GetBlock(i)->tocRow)
          << "detailed " << detailed << ", block " << i;
    }
  }
}

}  // namespace
}  // namespace reelbox::test
