// The recorder window's decisions: table-of-contents rows, transport button
// states, and the headless window's wiring.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/tape_deck.h"
#include "ui/cassette_recorder.h"
#include "ui/recorder_commands.h"
#include "ui/recorder_items.h"
#include "ui/table_of_contents.h"
#if !defined(_WIN32)
#include "platform/posix/message_service/message_service.h"
#endif
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

// Cut blocks read as zeros past their end; long names stop at 63 characters.
TEST(TableOfContents, CutAndLongBlocksStayInside) {
  const std::string longName(200, 'x');
  const struct {
    Bytes block;
    std::string text;
  } cases[] = {
      {{0x10, 0xE8, 0x03, 19, 0, 0, 0, 'a'}, "Program: a LINE 0"},
      {{0x21, 200, 'a', 'b'}, "[ Group: ab ]"},
      {GroupStart(longName), "[ Group: " + longName.substr(0, 63) + " ]"},
      {{0x11}, "Turbo Loading Data Block (0 bytes)"},
      {{0xF0}, "Block 008"},
  };
  for (const auto& c : cases) {
    TapeBlock block;
    block.id = c.block[0];
    block.data = c.block.data();
    block.size = static_cast<std::uint32_t>(c.block.size());
    char text[ROW_TEXT_LENGTH];
    FormatRowText(nullptr, block, 0, 7, text);
    EXPECT_EQ(c.text, text);
  }
}

TEST(Transport, EnabledAndPressedButtonsPerState) {
  // record play pause stop rewind/ff eject pressed, for S, T, L, R, H.
  const struct {
    std::int32_t state;
    bool inserted, locked, recordDisabled, signal;
    TransportState expected;
  } cases[] = {
      {DECK_STOPPED, false, false, false, true, {false, true, false, false, true, true, false, 0}},
      {DECK_STOPPED, true, false, false, true, {true, true, false, true, true, true, true, ID_STOP}},
      {DECK_STOPPED, true, false, true, false, {false, false, false, true, false, false, true, ID_STOP}},
      {DECK_PLAYING, true, false, false, true, {false, true, true, true, true, true, false, ID_PLAY}},
      {DECK_PAUSED, true, false, false, true, {false, true, true, true, true, true, false, ID_PAUSE}},
      {DECK_RECORDING, true, false, false, true, {true, false, false, true, false, false, false, ID_RECORD}},
      {DECK_PLAYING, true, true, false, true, {false, false, false, false, false, false, false, ID_PLAY}},
      {9, true, false, false, true, {false, true, false, true, true, true, false, 0}},
  };
  for (const auto& c : cases) {
    const TransportState got = DecideTransport(c.state, c.inserted, c.locked, c.recordDisabled, c.signal);
    const TransportState& want = c.expected;
    const bool same = got.record == want.record && got.play == want.play && got.pause == want.pause &&
                      got.stop == want.stop && got.rewind == want.rewind && got.fastForward == want.fastForward &&
                      got.eject == want.eject && got.pressed == want.pressed;
    EXPECT_TRUE(same) << "state " << c.state << " inserted " << c.inserted << " locked " << c.locked;
  }
}

#if !defined(_WIN32)
std::string Item(void* window, const char* name, std::int32_t index, std::intptr_t* value = nullptr) {
  char text[256] = "";
  rb_get_window_item(window, name, index, value, text, sizeof text);
  return text;
}

// The headless window: title, rows and status through the window items, and
// the commands into the queue.
TEST(RecorderWindow, ShowsTapesAndQueuesCommands) {
  TapeBlockList tape;
  auto* recorder = new CassetteRecorder(nullptr, &tape);
  void* window = recorder->Create(nullptr, nullptr);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ("Empty - Cassette Recorder", Item(window, ITEM_TITLE, 0));
  EXPECT_EQ("Empty", Item(window, ITEM_STATUS, 0));

  const std::string longName(70, 'n');
  const struct {
    std::string path, title;
  } titles[] = {{"C:\\games\\~abc.tzx", "abc.tzx - Cassette Recorder"},
                {"plain.tzx", "plain.tzx - Cassette Recorder"},
                {"/tapes/" + longName, longName},
                {std::string(55, 'a'), std::string(55, 'a') + " - Casse"}};
  for (const auto& t : titles) {
    recorder->TapeLoaded(t.path.c_str());
    EXPECT_EQ(t.title, Item(window, ITEM_TITLE, 0));
  }

  AppendBlocks(tape, SampleTape());
  tape.hasSignalBlocks = 1;
  recorder->TapeLoaded("sample.tzx");
  EXPECT_EQ(8, rb_count_window_items(window, ITEM_ROW));
  EXPECT_EQ("Block 1 of 14", Item(window, ITEM_STATUS, 1));
  recorder->OnTapeEvent(TAPE_EVENT_BLOCK, 9);
  std::intptr_t selected = 0;
  Item(window, ITEM_SELECTED, 0, &selected);
  EXPECT_EQ(6, selected);
  EXPECT_EQ("Block 10 of 14", Item(window, ITEM_STATUS, 1));
  recorder->OnTapeEvent(TAPE_EVENT_STATE, DECK_PLAYING);
  EXPECT_EQ("Playing", Item(window, ITEM_STATUS, 0));
  for (std::uint32_t code : {2u, 6u, 99u}) recorder->OnTapeEvent(code, 12345);
  recorder->OnTapeEvent(TAPE_EVENT_BLOCK, 14);
  EXPECT_EQ("", Item(window, ITEM_STATUS, 1));

  rb_send_message(window, MESSAGE_ROW_CLICK, 1, 0);  // row 1: block 1
  recorder->OnCommand(ID_FAST_FORWARD);              // row 2: block 2
  recorder->OnCommand(ID_PLAY);
  EXPECT_EQ(1u, recorder->reportBlock.load());
  TapeDeck deck(&tape);
  recorder->DrainCommands(deck);
  EXPECT_EQ(DECK_PLAYING, deck.state);
  EXPECT_EQ(2, deck.blockIndex);

  recorder->OnCommand(ID_EJECT);
  EXPECT_EQ(0, tape.GetCount());
  EXPECT_EQ(0, rb_count_window_items(window, ITEM_ROW));
  EXPECT_EQ("Empty - Cassette Recorder", Item(window, ITEM_TITLE, 0));
  rb_destroy_window(window);
}
#endif

}  // namespace
}  // namespace reelbox::test
