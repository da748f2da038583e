// The walk through the blocks: groups, jumps, loops, calls, selects, stops and
// messages, tapes that go round blocks that play nothing, and real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "deck_harness.h"
#include "tape/tzx_reader.h"

namespace reelbox::test {
namespace {

// Pure tones of one pulse, told apart by their lengths.
Bytes Mark(std::uint16_t length) { return PureTone(length, 1); }

// Each tape plays its pulses in walk order, then stops at its end and rewinds.
TEST(DeckFlow, PlaysTheBlocksInWalkOrder) {
  const struct {
    const char* name;
    std::vector<Bytes> blocks;
    std::vector<std::int64_t> pulses;
  } cases[] = {
      {"group", {GroupStart("side A"), Mark(100), GroupEnd(), Mark(200)}, {100, 200}},
      {"jump_forward", {JumpBlock(2), Mark(100), Mark(200)}, {200}},
      {"jump_of_zero_is_stepped_over", {JumpBlock(0), Mark(100)}, {100}},
      {"jump_back_ends_the_tape", {Mark(100), JumpBlock(-5), Mark(200)}, {100}},
      {"jump_past_the_end_ends_the_tape", {Mark(100), JumpBlock(50), Mark(200)}, {100}},
      {"loop_three_times",
       {LoopStart(3), Mark(100), Mark(150), LoopEnd(), Mark(200)},
       {100, 150, 100, 150, 100, 150, 200}},
      {"loop_of_zero_plays_once", {LoopStart(0), Mark(100), LoopEnd(), Mark(200)}, {100, 200}},
      {"loop_end_without_loop_start", {Mark(100), LoopEnd(), Mark(200)}, {100, 200}},
      {"calls_and_returns",
       {CallSequence({2, 4}), JumpBlock(5), Mark(100), ReturnFromSequence(), Mark(200), ReturnFromSequence(),
        Mark(300)},
       {100, 200, 300}},
      {"call_of_no_calls_is_stepped_over", {CallSequence({}), Mark(100)}, {100}},
      {"call_before_the_first_block_ends_the_tape", {Mark(100), CallSequence({-3}), Mark(200)}, {100}},
      {"return_without_call_goes_on_after_the_first_block", {ReturnFromSequence(), Mark(100)}, {100}},
      {"message_passes_without_delay", {Mark(100), MessageBlock(5, "Side B"), Mark(200)}, {100, 200}},
      {"stop_if_48k_on_a_128k", {Mark(100), StopIf48K(), Mark(200)}, {100, 200}},
      {"description_and_unknown_blocks",
       {TextDescription("hello"), Bytes{0x5A, 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20}, Mark(100)},
       {100}},
  };
  for (const auto& c : cases) {
    DeckHarness harness;
    harness.Load(c.blocks);
    harness.Deck().Play();
    EXPECT_EQ(c.pulses, PulseLengths(harness.Run(), 0)) << c.name;
    EXPECT_EQ(DECK_STOPPED, harness.Deck().state) << c.name;
    EXPECT_EQ(1u, harness.Deck().tapeEnded) << c.name;
    EXPECT_EQ(0, harness.Deck().blockIndex) << c.name;
  }
}

// A stop block (a pause of 0, or "stop if 48K" on a 48K machine) halts the
// tape on itself and tells the window so; Play goes on after it.
TEST(DeckFlow, StopBlocksHaltAndPlayGoesOnAfterThem) {
  for (const Bytes& stop : {PauseBlock(0), StopIf48K()}) {
    DeckHarness harness;
    harness.machine.is48KMode = 1;
    harness.Load({Mark(100), stop, Mark(200)});
    harness.Deck().Play();
    EXPECT_EQ(1u, harness.Run().size());
    EXPECT_EQ(1, harness.Deck().blockIndex);
    EXPECT_EQ(0u, harness.Deck().tapeEnded);
    const std::vector<TapeEvent> events = harness.Events();
    EXPECT_NE(events.end(), std::find(events.begin(), events.end(), TapeEvent{TAPE_EVENT_BLOCK, 1})) << int(stop[0]);
    harness.NextFrame();  // a fresh Play counts from the frame start
    const std::int64_t resumed = harness.Now();
    harness.Deck().Play();
    EXPECT_EQ((std::vector<std::int64_t>{200}), PulseLengths(harness.Run(), resumed));
  }
}

TEST(DeckFlow, AnEmptyTapeDoesNotPlay) {
  DeckHarness harness;
  EXPECT_FALSE(harness.Deck().Play());
  EXPECT_EQ(DECK_STOPPED, harness.Deck().state);
}

struct SharedCase {
  const char* file;
  std::vector<std::int64_t> pulses;
};

// complete-tzx.tzx as its reader keeps it (it ends with its archive block):
// every signal block with its own timings, the pauses as single pulses, the
// jump over a tone and three passes of a loop.
std::vector<std::int64_t> CompleteTzxPulses() {
  std::vector<std::int64_t> pulses;
  auto add = [&pulses](const std::vector<std::int64_t>& more) {
    pulses.insert(pulses.end(), more.begin(), more.end());
  };
  auto repeat = [&add](std::size_t count, std::int64_t length) { add(std::vector<std::int64_t>(count, length)); };
  add(StandardPulses({0xAA}));  // flag 0xAA: the long pilot
  add({2345 * 3500});
  repeat(5, 1000);  // turbo: 5 pilot pulses, syncs 123/456, bits 789/400, 4 used bits
  add({123, 456});
  add(DataPulses({0x00, 0xFF, 0x55, 0xA0}, 4, 789, 400));
  add({987 * 3500});
  repeat(666, 535);                                   // pure tone
  add({772, 297, 692});                               // pulse sequence
  add(DataPulses({0xFF, 0x00, 0xFC}, 6, 552, 1639));  // pure data, 6 used bits
  add({554 * 3500});
  add({618 * 3500});  // pause block; then a group, and a jump over a tone
  for (int pass = 0; pass < 3; ++pass) repeat(185, 837);
  return pulses;
}

// Files whose whole signal is small enough to state, and one of every block.
TEST(DeckFlow, SharedTzxFilesPlayTheirSignal) {
  const std::vector<std::int64_t> trailing = [] {
    std::vector<std::int64_t> pulses(3220, 2168);
    pulses.insert(pulses.end(), {667, 735});
    pulses.insert(pulses.end(), 16, 1710);  // one byte, 0xFF
    pulses.push_back(3500000);              // the pause block after it, the last block: 1 s
    return pulses;
  }();
  const std::vector<SharedCase> cases = {
      {"raw-data-block.tzx", {40, 40, 40, 40, 10, 10, 20 + 3500000}},
      {"turbo-zeropilot.tzx", {667, 735, 3500000}},
      {"empty-drb.tzx", {3500000}},
      {"jump.tzx", std::vector<std::int64_t>(678, 303)},
      {"loop2.tzx", std::vector<std::int64_t>(2 * 185, 837)},
      {"trailing-pause-block.tzx", trailing},
      {"complete-tzx.tzx", CompleteTzxPulses()},
  };
  const std::filesystem::path directory = std::filesystem::path(REELBOX_SHARED_TAPES) / "libspectrum";
  if (!std::filesystem::is_directory(directory)) GTEST_SKIP() << "no shared tapes at " << directory;
  for (const SharedCase& sample : cases) {
    DeckHarness harness;
    ASSERT_EQ(RESULT_OK, ReadTzxFile(harness.Tape(), (directory / sample.file).string().c_str())) << sample.file;
    harness.Deck().ResetDeck();
    harness.Deck().Play();
    EXPECT_EQ(sample.pulses, PulseLengths(harness.Run(), 0)) << sample.file;
    EXPECT_EQ(1u, harness.Deck().tapeEnded) << sample.file;
  }
}

}  // namespace
}  // namespace reelbox::test
