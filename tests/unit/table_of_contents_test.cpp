// The recorder window's table of contents, in its simple and detailed views.
#include "ui/table_of_contents.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit/tzx_builder.h"

namespace reelbox::test {
namespace {

struct Row {
  std::string text;
  std::int32_t parameter;
  bool operator==(const Row& other) const { return text == other.text && parameter == other.parameter; }
};

class RowList final : public RowSink {
 public:
  void AddRow(const char* text, std::int32_t parameter) override { rows.push_back({text, parameter}); }
  std::vector<Row> rows;
};

// A header: type, ten-character name, length, parameter 1 (line or start).
Bytes Header(std::uint8_t type, const std::string& name, std::uint16_t length, std::uint16_t param1) {
  Bytes body{type};
  for (std::size_t i = 0; i < 10; ++i) body.push_back(i < name.size() ? static_cast<std::uint8_t>(name[i]) : ' ');
  for (std::uint16_t value : {length, param1, std::uint16_t{32768}}) {
    body.push_back(static_cast<std::uint8_t>(value));
    body.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  return StandardBlock(1000, RomData(0, body));
}

std::vector<Bytes> SampleTape() {
  return {
      TextDescription("Made by hand"),                 // 0
      Header(0, "hello", 300, 10),                     // 1
      StandardBlock(1000, RomData(0xFF, Bytes(300))),  // 2
      Header(3, "screen", 6912, 16384),                // 3
      Header(0, "noline", 20, 32768),                  // 4
      GroupStart("Intro"),                             // 5
      PauseBlock(500),                                 // 6
      GroupEnd(),                                      // 7
      LoopStart(3),                                    // 8
      PureTone(2168, 100),                             // 9
      LoopEnd(),                                       // 10
      JumpBlock(-2),                                   // 11
      PauseBlock(0),                                   // 12
      Bytes{0x5B, 0, 0, 0, 0},                         // 13: no such block
  };
}

TEST(TableOfContents, RowsOfSimpleAndDetailedViews) {
  TapeBlockList tape;
  AppendBlocks(tape, SampleTape());
  struct Case {
    bool detailed;
    std::vector<Row> rows;
    std::vector<std::int32_t> tocRows;
  } cases[] = {
      {false,
       {{"[ Made by hand ]", 0},
        {"Program: hello      LINE 10", 1},
        {"Normal Data Block (300 bytes)", 2},
        {"Bytes: screen     CODE 16384,6912", 3},
        {"Program: noline    ", 4},
        {"[ Group: Intro ]", 5},
        {"Pure Tone (100 pulses)", 9},
        {"[ Stop The Tape ]", 12}},
       {0, 1, 2, 3, 4, 5, 5, 5, 5, 6, 6, 6, 7, 7}},
      {true,
       {{"[ Made by hand ]", 0},
        {"Program: hello      LINE 10", 1},
        {"Normal Data Block (300 bytes)", 2},
        {"Bytes: screen     CODE 16384,6912", 3},
        {"Program: noline    ", 4},
        {"[ Group: Intro ]", 5},
        {"[ Pause 500 ms ]", 6},
        {"[ Group End ]", 7},
        {"[ Loop 3 Times ]", 8},
        {"Pure Tone (100 pulses)", 8},
        {"[ Loop End ]", 8},
        {"[ Jump To Block 10 ]", 11},
        {"[ Stop The Tape ]", 12},
        {"[ Unknown ]", 13}},
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}},
  };
  for (const Case& c : cases) {
    RowList rows;
    EXPECT_EQ(static_cast<std::int32_t>(c.rows.size()), FillRows(nullptr, tape, c.detailed, rows));
    EXPECT_EQ(c.rows.size(), rows.rows.size());
    for (std::size_t i = 0; i < c.rows.size() && i < rows.rows.size(); ++i) {
      EXPECT_EQ(c.rows[i].text, rows.rows[i].text) << "detailed " << c.detailed << " row " << i;
      EXPECT_EQ(c.rows[i].parameter, rows.rows[i].parameter) << "detailed " << c.detailed << " row " << i;
    }
    for (std::int32_t i = 0; i < tape.GetCount(); ++i) {
      EXPECT_EQ(c.tocRows[static_cast<std::size_t>(i)], tape.GetBlock(i)->tocRow) << "block " << i;
    }
  }
}

}  // namespace
}  // namespace reelbox::test
