// The walk through the blocks: groups, jumps, loops, calls, selects, stops and
// messages, tapes that go round blocks that play nothing, and real files.
#include <gtest/gtest.h>

#include <filesystem>

#include "deck_harness.h"
#include "tape/tzx_reader.h"

namespace reelbox::test {
namespace {

// Pure tones of one pulse, told apart by their lengths.
Bytes Mark(std::uint16_t length) { return PureTone(length, 1); }

struct FlowCase {
  const char* name;
  std::vector<Bytes> blocks;
  std::vector<std::int64_t> pulses;
};

class FlowTest : public ::testing::TestWithParam<FlowCase> {};

TEST_P(FlowTest, PlaysTheBlocksInWalkOrder) {
  DeckHarness harness;
  harness.Load(GetParam().blocks);
  harness.Deck().Play();
  const std::vector<std::int64_t> pulses = PulseLengths(harness.Run(), 0);
  EXPECT_EQ(GetParam().pulses, pulses);
  EXPECT_EQ(DECK_STOPPED, harness.Deck().state);
  EXPECT_EQ(1u, harness.Deck().tapeEnded);
  EXPECT_EQ(0, harness.Deck().blockIndex);
}

INSTANTIATE_TEST_SUITE_P(
    Tapes, FlowTest,
    ::testing::Values(
        FlowCase{"group", {GroupStart("side A"), Mark(100), GroupEnd(), Mark(200)}, {100, 200}},
        FlowCase{"jump_forward", {JumpBlock(2), Mark(100), Mark(200)}, {200}},
        FlowCase{"jump_of_zero_is_stepped_over", {JumpBlock(0), Mark(100)}, {100}},
        FlowCase{"jump_back_ends_the_tape", {Mark(100), JumpBlock(-5), Mark(200)}, {100}},
        FlowCase{"jump_past_the_end_ends_the_tape", {Mark(100), JumpBlock(50), Mark(200)}, {100}},
        FlowCase{"loop_three_times",
                 {LoopStart(3), Mark(100), Mark(150), LoopEnd(), Mark(200)},
                 {100, 150, 100, 150, 100, 150, 200}},
        FlowCase{"loop_of_zero_plays_once", {LoopStart(0), Mark(100), LoopEnd(), Mark(200)}, {100, 200}},
        FlowCase{"loop_end_without_loop_start", {Mark(100), LoopEnd(), Mark(200)}, {100, 200}},
        FlowCase{"calls_and_returns",
                 {CallSequence({2, 4}), JumpBlock(5), Mark(100), ReturnFromSequence(), Mark(200), ReturnFromSequence(),
                  Mark(300)},
                 {100, 200, 300}},
        FlowCase{"call_of_no_calls_is_stepped_over", {CallSequence({}), Mark(100)}, {100}},
        FlowCase{"call_before_the_first_block_ends_the_tape", {Mark(100), CallSequence({-3}), Mark(200)}, {100}},
        FlowCase{"return_without_call_goes_on_after_the_first_block", {ReturnFromSequence(), Mark(100)}, {100}},
        FlowCase{"message_passes_without_delay", {Mark(100), MessageBlock(5, "Side B"), Mark(200)}, {100, 200}},
        FlowCase{"stop_if_48k_on_a_128k", {Mark(100), StopIf48K(), Mark(200)}, {100, 200}},
        FlowCase{"description_and_unknown_blocks",
                 {TextDescription("hello"), Bytes{0x5A, 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20}, Mark(100)},
                 {100}}),
    [](const ::testing::TestParamInfo<FlowCase>& info) { return info.param.name; });

TEST(DeckFlow, EveryBlockStartAndMessageIsPosted) {
  DeckHarness harness;
  harness.Load({Mark(100), MessageBlock(5, "Side B"), Mark(200)});
  harness.Events();
  harness.Deck().Play();
  harness.Run();
  const std::vector<TapeEvent> expected = {
      {TAPE_EVENT_BLOCK, 0}, {TAPE_EVENT_STATE, DECK_PLAYING}, {TAPE_EVENT_MESSAGE, 1},
      {TAPE_EVENT_BLOCK, 2}, {TAPE_EVENT_STATE, DECK_STOPPED}, {TAPE_EVENT_BLOCK, 0}};
  EXPECT_EQ(expected, harness.Events());
}

TEST(DeckFlow, SelectBlockStopsTheDeckAndDisarmsAutoPlay) {
  DeckHarness harness;
  harness.Load({Mark(100), SelectBlock({1, 2}), Mark(200)});
  harness.Deck().Play();
  harness.Events();
  harness.Run();
  EXPECT_EQ(DECK_STOPPED, harness.Deck().state);
  EXPECT_EQ(1, harness.Deck().blockIndex);
  EXPECT_EQ(0u, harness.Deck().autoPlayArmed);
  const std::vector<TapeEvent> expected = {
      {TAPE_EVENT_STATE, DECK_STOPPED}, {TAPE_EVENT_BLOCK, 1}, {TAPE_EVENT_SELECT, 1}};
  EXPECT_EQ(expected, harness.Events());
}

TEST(DeckFlow, StopBlockHaltsAndPlayGoesOnAfterIt) {
  DeckHarness harness;
  harness.Load({Mark(100), PauseBlock(0), Mark(200)});
  harness.Deck().Play();
  EXPECT_EQ(1u, harness.Run().size());
  EXPECT_EQ(1, harness.Deck().blockIndex);
  EXPECT_EQ(0u, harness.Deck().tapeEnded);
  harness.NextFrame();  // a fresh Play counts from the frame start
  const std::int64_t resumed = harness.Now();
  harness.Deck().Play();
  EXPECT_EQ((std::vector<std::int64_t>{200}), PulseLengths(harness.Run(), resumed));
}

TEST(DeckFlow, StopIf48KHaltsA48KAndPlayStepsOverIt) {
  DeckHarness harness;
  harness.machine.is48KMode = 1;
  harness.Load({Mark(100), StopIf48K(), Mark(200)});
  harness.Deck().Play();
  harness.Run();
  EXPECT_EQ(DECK_STOPPED, harness.Deck().state);
  EXPECT_EQ(1, harness.Deck().blockIndex);
  harness.Deck().Play();
  EXPECT_EQ(1u, harness.Run().size());
  EXPECT_EQ(1u, harness.Deck().tapeEnded);
}

// The look-ahead at the end of a data block: a group end, then a stop block,
// stops the deck on the stop block before the block's own pause.
TEST(DeckFlow, StopAfterAGroupEndCutsTheBlocksPause) {
  for (const Bytes& stopper : {PauseBlock(0), SelectBlock({1}), StopIf48K()}) {
    DeckHarness harness;
    harness.Load({PureData(600, 1200, 1, 2000, {0x00}), GroupEnd(), stopper, Mark(100)});
    harness.Deck().Play();
    EXPECT_EQ((std::vector<std::int64_t>{600, 600}), PulseLengths(harness.Run(), 0)) << int(stopper[0]);
    EXPECT_EQ(DECK_STOPPED, harness.Deck().state);
    EXPECT_EQ(2, harness.Deck().blockIndex);
  }
}

TEST(DeckFlow, ATapeOfNothingEndsAtOnce) {
  DeckHarness harness;
  harness.Load({TextDescription("nothing"), GroupStart("g"), GroupEnd()});
  EXPECT_TRUE(harness.Deck().Play());
  EXPECT_EQ(DECK_STOPPED, harness.Deck().state);
  EXPECT_EQ(0, harness.Deck().blockIndex);
  EXPECT_EQ(1u, harness.Deck().tapeEnded);
}

TEST(DeckFlow, AnEmptyTapeDoesNotPlay) {
  DeckHarness harness;
  EXPECT_FALSE(harness.Deck().Play());
  EXPECT_EQ(DECK_STOPPED, harness.Deck().state);
}

// Tapes whose jumps, loops, calls or returns go round blocks that play nothing
// end (stopped, rewound, tapeEnded) instead of keeping the emulation thread.
TEST(DeckFlow, TapesThatGoRoundNothingEnd) {
  const std::vector<std::pair<const char*, std::vector<Bytes>>> tapes = {
      {"jump +1, jump -1", {JumpBlock(1), JumpBlock(-1)}},
      {"jump to itself through a group", {GroupStart("g"), JumpBlock(-1)}},
      {"call of a block that returns at once", {CallSequence({1}), ReturnFromSequence()}},
      {"call of itself", {CallSequence({0}), Mark(100)}},
      {"return to the block before it", {Mark(100), ReturnFromSequence()}},
      {"loop end back to a loop start of 65535 around nothing", {LoopStart(65535), LoopEnd(), JumpBlock(-2)}},
      {"empty pulse sequence and a jump back", {PulseSequence({}), JumpBlock(-1)}},
      {"empty data block and a jump back", {PureData(600, 1200, 8, 0, {}), JumpBlock(-1)}},
      {"tone of zero-length pulses and a jump back", {PureTone(0, 1000), JumpBlock(-1)}},
      {"pulses of zero length and a jump back", {PulseSequence({0, 0, 0}), JumpBlock(-1)}},
  };
  for (const auto& [name, blocks] : tapes) {
    DeckHarness harness;
    harness.Load(blocks);
    harness.Deck().Play();
    EXPECT_TRUE(harness.RunFramesUntilStopped(3)) << name;
    EXPECT_EQ(1u, harness.Deck().tapeEnded) << name;
    EXPECT_EQ(0, harness.Deck().blockIndex) << name;
  }
}

// The guard against tapes that go round nothing leaves long walks of real
// tapes alone: a message looped 1000 times, eleven blocks of no signal looped
// 65535 times (720,885 steps with no time passing), a tone looped 65535 times.
TEST(DeckFlow, LongWellFormedLoopsPlayInFull) {
  DeckHarness texts;
  std::vector<Bytes> blocks = {LoopStart(65535)};
  for (int i = 0; i < 10; ++i) blocks.push_back(TextDescription("t"));
  blocks.insert(blocks.end(), {LoopEnd(), Mark(100)});
  texts.Load(blocks);
  texts.Deck().Play();
  EXPECT_EQ((std::vector<std::int64_t>{100}), PulseLengths(texts.Run(), 0));

  DeckHarness harness;
  harness.Load({LoopStart(1000), MessageBlock(1, "m"), LoopEnd(), Mark(100)});
  harness.Events();
  harness.Deck().Play();
  EXPECT_EQ((std::vector<std::int64_t>{100}), PulseLengths(harness.Run(), 0));
  int messages = 0;
  for (const TapeEvent& event : harness.Events()) messages += event.code == TAPE_EVENT_MESSAGE;
  EXPECT_EQ(1000, messages);

  DeckHarness tones;
  tones.Load({LoopStart(65535), PureTone(1, 1), LoopEnd()});
  tones.Deck().Play();
  EXPECT_EQ(65535u, tones.Run().size());
}

std::filesystem::path SharedTapes() { return std::filesystem::path(REELBOX_SHARED_TAPES); }

// Plays a tape to its end, pressing Play whenever it stops and passing over
// select blocks; false if the end is not reached within the frames given.
bool PlayToTheEnd(DeckHarness& harness, std::int64_t frames) {
  for (std::int64_t frame = 0; frame < frames; ++frame) {
    if (harness.Deck().tapeEnded) return true;
    if (harness.Deck().state != DECK_PLAYING) {
      const TapeBlock* block = harness.Deck().CurrentBlock();
      if (block != nullptr && block->id == 0x28) harness.Deck().GoToBlock(harness.Deck().blockIndex + 1);
      harness.Deck().Play();
    }
    harness.machine.clock = 30000;
    harness.ReadEar();
    harness.NextFrame();
  }
  return harness.Deck().tapeEnded != 0;
}

TEST(DeckFlow, SharedTzxFilesPlayToTheirEnd) {
  std::vector<std::filesystem::path> files;
  for (const char* folder : {"libspectrum", "47loader"}) {
    const std::filesystem::path directory = SharedTapes() / folder;
    if (!std::filesystem::is_directory(directory)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
      if (entry.path().extension() == ".tzx") files.push_back(entry.path());
    }
  }
  if (files.empty()) GTEST_SKIP() << "no shared tapes at " << SharedTapes();
  for (const std::filesystem::path& file : files) {
    DeckHarness harness;
    harness.machine.is48KMode = 1;
    ReadTzxFile(harness.Tape(), file.string().c_str());
    harness.Deck().ResetDeck();
    if (harness.Tape().GetCount() == 0) continue;
    EXPECT_TRUE(PlayToTheEnd(harness, 50 * 600)) << file;
  }
}

struct SharedCase {
  const char* file;
  std::vector<std::int64_t> pulses;
};

// Files whose whole signal is small enough to state.
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
  };
  const std::filesystem::path directory = SharedTapes() / "libspectrum";
  if (!std::filesystem::is_directory(directory)) GTEST_SKIP() << "no shared tapes at " << directory;
  for (const SharedCase& sample : cases) {
    DeckHarness harness;
    ASSERT_EQ(RESULT_OK, ReadTzxFile(harness.Tape(), (directory / sample.file).string().c_str())) << sample.file;
    harness.Deck().ResetDeck();
    harness.Deck().Play();
    EXPECT_EQ(sample.pulses, PulseLengths(harness.Run(), 0)) << sample.file;
  }
}

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

TEST(DeckFlow, CompleteTzxPlaysEveryBlockAsWritten) {
  const std::filesystem::path file = SharedTapes() / "libspectrum" / "complete-tzx.tzx";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no shared tapes at " << SharedTapes();
  DeckHarness harness;
  ASSERT_EQ(RESULT_OK, ReadTzxFile(harness.Tape(), file.string().c_str()));
  harness.Deck().ResetDeck();
  harness.Deck().Play();
  EXPECT_EQ(CompleteTzxPulses(), PulseLengths(harness.Run(), 0));
  EXPECT_EQ(1u, harness.Deck().tapeEnded);
}

}  // namespace
}  // namespace reelbox::test
