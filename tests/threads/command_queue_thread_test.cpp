// The window thread posts commands while the emulation thread drains them at
// frame starts. Built with -DREELBOX_SANITIZE=thread, these runs also check
// that the queue is the only state the two threads share.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "engine/command_queue.h"
#include "engine/tape_deck.h"

namespace reelbox {
namespace {

// A tape of text blocks: the stopped deck only moves blockIndex, one block per
// CMD_SKIP_BLOCKS, so blockIndex counts the commands that ran.
void FillTape(TapeBlockList& tape, int blocks) {
  const std::uint8_t text[] = {0x30, 0};
  for (int i = 0; i < blocks; ++i) tape.Append(NewOwnedBlock(text, sizeof text));
}

void WaitFor(const std::atomic<int>& value, int wanted) {
  while (value.load() < wanted) std::this_thread::yield();
}

TEST(CommandQueueThreads, AHundredCommandsBetweenTwoDrainsAreAllRun) {
  constexpr int BURSTS = 200;
  TapeBlockList tape;
  FillTape(tape, BURSTS * static_cast<int>(COMMAND_QUEUE_LENGTH) + 1);
  TapeDeck deck(&tape);
  CommandQueue queue;
  std::atomic<int> posted{0};
  std::atomic<int> drained{0};
  std::atomic<int> refused{0};

  std::thread window([&] {
    for (int burst = 0; burst < BURSTS; ++burst) {
      WaitFor(drained, burst);
      for (std::uint32_t i = 0; i < COMMAND_QUEUE_LENGTH; ++i) {
        if (!queue.PostCommand(CMD_SKIP_BLOCKS, 1, 0)) ++refused;
      }
      posted = burst + 1;
    }
  });
  for (int burst = 0; burst < BURSTS; ++burst) {
    WaitFor(posted, burst + 1);
    queue.DrainCommands(deck);
    deck.BeginFrame(0);
    deck.EndFrame();
    drained = burst + 1;
  }
  window.join();

  EXPECT_EQ(0, refused.load());
  EXPECT_EQ(BURSTS * static_cast<int>(COMMAND_QUEUE_LENGTH), deck.blockIndex);
}

// Free running: whatever the queue accepted runs exactly once.
TEST(CommandQueueThreads, EveryAcceptedCommandRunsOnce) {
  constexpr int COMMANDS = 50000;
  TapeBlockList tape;
  FillTape(tape, COMMANDS + 1);
  TapeDeck deck(&tape);
  CommandQueue queue;
  std::atomic<bool> done{false};
  int accepted = 0;

  std::thread window([&] {
    for (int i = 0; i < COMMANDS; ++i) accepted += queue.PostCommand(CMD_SKIP_BLOCKS, 1, 0) ? 1 : 0;
    done = true;
  });
  while (!done.load() || queue.CommandCount() != 0) {
    queue.DrainCommands(deck);
    deck.BeginFrame(0);
    deck.EndFrame();
  }
  window.join();

  EXPECT_GT(accepted, 0);
  EXPECT_EQ(accepted, deck.blockIndex);
}

}  // namespace
}  // namespace reelbox
