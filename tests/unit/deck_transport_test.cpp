// Transport commands through the window's queue, auto play and auto stop,
// machine reset, the port read, attach and detach, and the save trap.
#include <gtest/gtest.h>

#include "deck_harness.h"
#include "tape/byte_cursor.h"
#include "ui/cassette_recorder.h"

namespace reelbox::test {
namespace {

// Tones told apart by their pulse lengths (first, first + 1, ...).
std::vector<Bytes> Tones(int count, std::uint16_t first, std::uint16_t pulses) {
  std::vector<Bytes> blocks;
  for (int i = 0; i < count; ++i) blocks.push_back(PureTone(static_cast<std::uint16_t>(first + i), pulses));
  return blocks;
}
std::vector<Bytes> Marks(int count) { return Tones(count, 100, 1); }
// Tones of a few frames each.
std::vector<Bytes> LongTones(int count) { return Tones(count, 60000, 3); }

class TransportTest : public ::testing::Test {
 protected:
  TransportTest() { harness.OpenRecorder(); }
  TapeDeck& Deck() { return harness.Deck(); }

  DeckHarness harness;
};

TEST_F(TransportTest, SkipAndGoToStayOnTheTape) {
  harness.Load(Marks(10));
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> commands = {
      {CMD_GOTO_BLOCK, 5},           {CMD_SKIP_BLOCKS, static_cast<std::uint32_t>(-1)},
      {CMD_SKIP_BLOCKS, 1000},       {CMD_GOTO_BLOCK, 0xFFFFFFFF},
      {CMD_SKIP_BLOCKS, 0x7FFFFFFF}, {CMD_SKIP_BLOCKS, 0x80000000}};
  const std::vector<std::int32_t> expected = {5, 4, 9, 0, 9, 0};
  for (std::size_t i = 0; i < commands.size(); ++i) {
    harness.Post(commands[i].first, commands[i].second);
    harness.NextFrame();
    EXPECT_EQ(expected[i], Deck().blockIndex) << i;
  }
}

TEST_F(TransportTest, PauseKeepsThePulseUnderWay) {
  harness.Load({PureTone(60000, 2)});
  harness.Post(CMD_PLAY);
  harness.NextFrame();
  harness.Post(CMD_PAUSE);
  harness.NextFrame();  // the first edge at 60000, the second pulse 9888 T-states in
  EXPECT_EQ(DECK_PAUSED, Deck().state);
  harness.NextFrame();
  harness.Post(CMD_PLAY_STOP);  // resumes a paused deck
  harness.NextFrame();
  EXPECT_EQ(DECK_PLAYING, Deck().state);
  EXPECT_EQ((std::vector<std::int64_t>{60000 - 9888}), PulseLengths(harness.Run(1), harness.Now()));
}

// Stopped during the pause after a data block, the deck stands on the next
// block, or on the first after the last.
TEST_F(TransportTest, StopDuringAPauseMovesToTheNextBlock) {
  for (const bool last : {false, true}) {
    DeckHarness local;
    local.OpenRecorder();
    std::vector<Bytes> blocks = {PureTone(100, 1), PureData(600, 1200, 1, 2000, {0x00})};
    if (!last) blocks.push_back(PureTone(300, 1));
    local.Load(blocks);
    local.Deck().GoToBlock(1);
    local.Deck().Play();
    local.Run(2);
    local.NextFrame();
    local.Events();
    local.Post(CMD_STOP);
    local.NextFrame();
    const std::int32_t next = last ? 0 : 2;
    EXPECT_EQ(next, local.Deck().blockIndex);
    const std::vector<TapeEvent> expected = {
        {TAPE_EVENT_STATE, DECK_STOPPED}, {TAPE_EVENT_BLOCK, next}, {TAPE_EVENT_STATE, DECK_STOPPED}};
    EXPECT_EQ(expected, local.Events());
  }
}

// Play with an argument of 1 arms auto play again after a stop; 0 leaves it off.
TEST_F(TransportTest, StopHandsFullSpeedBackAndPlayWithArgumentReArmsAutoPlay) {
  harness.Load(LongTones(3));
  harness.Post(CMD_PLAY);
  harness.NextFrame();
  ASSERT_EQ((std::vector<std::uint32_t>{1}), harness.machine.fullSpeedCalls) << "a tone plays at full speed";
  harness.Post(CMD_STOP);
  harness.NextFrame();
  EXPECT_EQ(0u, harness.machine.fullSpeedCalls.back());
  EXPECT_EQ(0u, Deck().autoPlayArmed.load());
  harness.Post(CMD_PLAY, 0);
  harness.NextFrame();
  EXPECT_EQ(0u, Deck().autoPlayArmed.load());
  harness.Post(CMD_STOP);
  harness.Post(CMD_PLAY, 1);
  harness.NextFrame();
  EXPECT_EQ(1u, Deck().autoPlayArmed.load());
}

TEST_F(TransportTest, OtherCommandsSetTheirOptions) {
  harness.Load(Marks(1));
  harness.Post(CMD_SET_LOADING_NOISE, 7);
  harness.Post(CMD_SET_AUTO_PLAY, 0);
  harness.Post(CMD_SET_FAST_LOAD, 0);
  harness.Post(99, 1);
  harness.NextFrame();
  EXPECT_EQ(1u, Deck().loadingNoise.load());
  EXPECT_EQ(0u, Deck().autoPlayStop.load());
  EXPECT_EQ(0u, Deck().autoPlayArmed.load());
  EXPECT_EQ(0u, Deck().fastLoading.load());
}

// ---- auto play and auto stop ----

// Bytes at PC (the instruction after the port read), the bytes from PC - 3, and
// whether they are a loader's edge-sampling loop.
TEST(AutoPlay, StartsOnlyForALoaderLoop) {
  const struct {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> before;
    bool loader;
  } cases[] = {
      {{0xA9, 0xE6, 0x20, 0x28}, {}, true},                           // XOR C; AND 0x20; JR Z
      {{0x00, 0xA9, 0xD8, 0xE6, 0x40, 0xCA}, {}, true},               // RET C between XOR and AND; JP Z
      {{0xA9, 0xE6, 0x20, 0xD8, 0x00, 0x28}, {}, true},               // RET C before JR Z
      {{0x00, 0x00, 0x00, 0xA9, 0xE6, 0x40, 0x28}, {}, true},         // XOR at the fourth byte
      {{0x00, 0x00, 0x00, 0x00, 0xA9, 0xE6, 0x20, 0x28}, {}, false},  // too far
      {{0xA9, 0xE6, 0x10, 0x28}, {}, false},                          // another bit
      {{0xA9, 0xE6, 0x20, 0x20}, {}, false},                          // no jump
      {{0xA4, 0xCA}, {0x2C}, true},                                   // INC L; AND H; JP Z
      {{0xA4, 0xC2}, {0x2C}, true},                                   // INC L; AND H; JP NZ
      {{0xA4, 0xCA}, {0x2D}, false},                                  // DEC L
      {{0xE6, 0x40, 0x77}, {}, true},                                 // AND 0x40; LD (HL),A
      {{0xE6, 0x40, 0xF6}, {}, true},                                 // AND 0x40; OR
      {{0x1F, 0xE6, 0x20, 0x4F}, {}, true},                           // RRA; AND 0x20; LD C,A
      {{0x1F, 0xE6, 0x20, 0x4E}, {}, false},                          // RRA; AND 0x20; LD C,(HL)
  };
  for (const auto& c : cases) {
    DeckHarness harness;
    harness.Load({StandardBlock(1000, RomData(0x00, Bytes(17, 0)))});
    harness.machine.memory.fill(0);
    harness.machine.Poke(0x9000 - 3, c.before);
    harness.machine.Poke(0x9000, c.bytes);
    harness.machine.registers[REG_PC] = 0x9000;
    harness.NextFrame();
    harness.ReadEar();
    EXPECT_EQ(c.loader ? DECK_PLAYING : DECK_STOPPED, harness.Deck().state) << &c - cases;
  }
}

// The data handler's first port read of a frame checks for a loader loop at PC.
TEST(AutoStop, StopsWhenTheLoaderHasGone) {
  for (const std::uint32_t autoStop : {1u, 0u}) {
    DeckHarness harness;
    harness.Load({PureData(855, 1710, 8, 1000, Bytes(2000, 0x55)), PureTone(300, 1)});
    harness.Deck().SetAutoPlayStop(autoStop);
    harness.Deck().Play();
    harness.NextFrame();
    harness.machine.clock = 1000;
    harness.ReadEar();
    EXPECT_EQ(DECK_PLAYING, harness.Deck().state);
    harness.NextFrame();
    harness.machine.registers[REG_PC] = 0x9000;
    harness.machine.clock = 1000;
    harness.ReadEar();
    EXPECT_EQ(autoStop ? DECK_STOPPED : DECK_PLAYING, harness.Deck().state) << autoStop;
  }
}

// ---- reset, port reads, attach ----

TEST(MachineReset, StopsAndRewindsAPlayingOrPausedTape) {
  for (const bool pause : {false, true}) {
    DeckHarness harness;
    harness.Load(Marks(5));
    harness.Deck().GoToBlock(3);
    harness.Deck().Play();
    if (pause) harness.Deck().Pause();
    harness.Events();
    harness.Device().Reset(0);
    EXPECT_EQ(DECK_STOPPED, harness.Deck().state);
    EXPECT_EQ(0, harness.Deck().blockIndex);
    const std::vector<TapeEvent> expected = {{TAPE_EVENT_STATE, DECK_STOPPED}, {TAPE_EVENT_BLOCK, 0}};
    EXPECT_EQ(expected, harness.Events());
  }
}

// ---- the save trap ----

// The ROM's save routine at 0x04D0 with flag, start and length in A, IX, DE.
TEST(SaveTrap, CapturesTheSavedBlockAndFinishesTheRoutine) {
  DeckHarness harness;
  ScriptedMachine& machine = harness.machine;
  machine.Poke(0x6000, {0x11, 0x22, 0x33});
  const std::uint16_t sp = machine.Register(REG_SP);
  harness.Events();
  machine.registers[REG_AF] = 0xFF44;
  machine.registers[REG_IX] = 0x6000;
  machine.registers[REG_DE] = 3;
  machine.PushWord(0x1234);
  harness.Device().ExecuteTrap(0x04D0);

  const TapeBlock* block = harness.Deck().recordedBlocks;
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(0x10, block->id);
  const Bytes expected = {0x10, 0xE8, 0x03, 0x05, 0x00, 0xFF, 0x11, 0x22, 0x33, 0xFF ^ 0x11 ^ 0x22 ^ 0x33};
  EXPECT_EQ(expected, Bytes(block->data, block->data + block->size));
  EXPECT_EQ(0xFF45, machine.Register(REG_AF));
  EXPECT_EQ(0x6003, machine.Register(REG_IX));
  EXPECT_EQ(0xFFFF, machine.Register(REG_DE));
  EXPECT_EQ(0x1234, machine.Register(REG_PC));
  EXPECT_EQ(sp, machine.Register(REG_SP));
  const std::vector<TapeEvent> events = {
      {TAPE_EVENT_RECORDED, reinterpret_cast<MessageLParam>(&harness.Deck().recordedBlocks)}};
  EXPECT_EQ(events, harness.Events());
}

}  // namespace
}  // namespace reelbox::test
