// What a tape's message and select blocks show, read within the block's
// bytes, and which chosen jumps are queued.
#include "ui/tape_dialog_content.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tzx_builder.h"

namespace reelbox {
namespace {

using test::Bytes;

TapeBlock BlockOf(const Bytes& bytes) {
  TapeBlock block;
  block.id = bytes.empty() ? 0 : bytes[0];
  block.data = bytes.data();
  block.size = static_cast<std::uint32_t>(bytes.size());
  return block;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }
Bytes Join(Bytes head, const Bytes& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

struct MessageCase {
  const char* name;
  Bytes block;
  std::int32_t seconds;
  std::string text;
};

TEST(TapeDialogContent, MessageTextsAreExpandedAndBounded) {
  const std::string long300(300, 'a');
  const MessageCase cases[] = {
      {"plain", Join({0x31, 5, 5}, Text("Hello")), 5, "Hello"},
      {"lines_break_at_cr", Join({0x31, 0, 7}, Text("Side\rB\r")), 0, "Side\r\nB\r\n"},
      {"cr_lf_and_lone_lf", Join({0x31, 0, 6}, Text("a\r\nb\nc")), 0, "a\r\nb\r\nc"},
      {"cut_short_text", Join({0x31, 2, 200}, Text("abc")), 2, "abc"},
      {"no_length_byte", {0x31, 9}, 9, ""},
      {"identifier_only", {0x31}, 0, ""},
      {"at_most_255_bytes", Join({0x31, 1, 255}, Text(long300)), 1, std::string(255, 'a')},
      {"all_line_ends_fit", Join({0x31, 1, 255}, Bytes(255, 13)), 1,
       [] {
         std::string text;
         for (int i = 0; i < 255; ++i) text += "\r\n";
         return text;
       }()},
      {"zero_ends_the_text", Join({0x31, 3, 5}, {'a', 'b', 0, 'c', 'd'}), 3, "ab"},
  };
  for (const MessageCase& test : cases) {
    SCOPED_TRACE(test.name);
    const TapeMessage message = ReadTapeMessage(BlockOf(test.block));
    EXPECT_EQ(test.seconds, message.seconds);
    EXPECT_EQ(test.text, message.text);
  }
}

struct Choice {
  std::string text;
  std::int16_t offset;
  bool operator==(const Choice& other) const { return text == other.text && offset == other.offset; }
};

Bytes Selection(std::int16_t offset, const std::string& text, std::size_t declared) {
  return Join(
      {static_cast<std::uint8_t>(offset), static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(declared)},
      Text(text));
}

struct SelectCase {
  const char* name;
  Bytes block;
  std::vector<Choice> choices;
};

TEST(TapeDialogContent, SelectEntriesShowWhatTheBlockHolds) {
  const std::string forty(40, 'x');
  const std::string thirtyOne(31, 'y');
  const Bytes two = Join(Selection(1, "Side A", 6), Selection(-3, "Side B", 6));
  const SelectCase cases[] = {
      {"two_entries", Join({0x28, 0, 0, 2}, two), {{"Side A", 1}, {"Side B", -3}}},
      {"no_entries", {0x28, 0, 0, 0}, {}},
      {"no_count", {0x28, 0, 0}, {}},
      {"long_cut_to_30", Join({0x28, 0, 0, 1}, Selection(2, forty, 40)), {{forty.substr(0, 30), 2}}},
      {"31_shown_whole", Join({0x28, 0, 0, 1}, Selection(2, thirtyOne, 31)), {{thirtyOne, 2}}},
      {"zero_ends_a_copy", Join({0x28, 0, 0, 1}, Join(Selection(4, "ab", 4), {0, 'c'})), {{"ab", 4}}},
      {"count_beyond_the_block", Join({0x28, 0, 0, 9}, two), {{"Side A", 1}, {"Side B", -3}}},
      {"description_cut_short", Join({0x28, 0, 0, 2}, Selection(5, "Tap", 20)), {{"Tap", 5}}},
      {"entry_header_cut_short", Join(Join({0x28, 0, 0, 2}, Selection(1, "A", 1)), {7, 0}), {{"A", 1}}},
  };
  for (const SelectCase& test : cases) {
    SCOPED_TRACE(test.name);
    std::vector<Choice> read;
    for (const ProgramChoice& choice : ReadProgramChoices(BlockOf(test.block))) {
      read.push_back({choice.description, choice.offset});
    }
    EXPECT_EQ(test.choices, read);
  }
}

TEST(TapeDialogContent, OnlyJumpsInsideTheTapeAreQueued) {
  struct {
    std::int32_t index, offset, count;
    bool queued;
  } const cases[] = {{1, 1, 3, true},  {1, 2, 3, false},     {1, -1, 3, true},      {1, -2, 3, false},
                     {1, 0, 3, false}, {0, 32767, 9, false}, {0, -32768, 9, false}, {5, -5, 6, true}};
  for (const auto& test : cases) {
    EXPECT_EQ(test.queued, ChoiceSkip(test.index, test.offset, test.count)) << test.index << " " << test.offset;
  }
}

}  // namespace
}  // namespace reelbox
