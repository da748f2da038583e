#include "engine/command_queue.h"

#include <cstdint>

#include "engine/tape_deck.h"

namespace reelbox {

void CommandQueue::LockQueue() {
  queueLock.lock();
  queueLocked = 1;
}

void CommandQueue::UnlockQueue() {
  queueLocked = 0;
  queueLock.unlock();
}

std::uint32_t CommandQueue::CommandCount() {
  std::lock_guard<std::mutex> guard(queueLock);
  return commandCount;
}

bool CommandQueue::PostCommand(std::uint32_t code, std::uint32_t arg1, std::uint32_t arg2) {
  Hold hold(*this);
  if (commandCount >= COMMAND_QUEUE_LENGTH) return false;
  commands[commandCount++] = DeckCommand{code, arg1, arg2};
  return true;
}

// The commands run under the lock; the deck only posts to the window and calls
// the host from them, so the window thread is never waited for.
void CommandQueue::DrainCommands(TapeDeck& deck) {
  Hold hold(*this);
  for (std::uint32_t i = 0; i < commandCount; ++i) RunCommand(deck, commands[i]);
  commandCount = 0;
}

namespace {

// blockIndex plus a signed offset, held within 32 bits; the deck clamps it to the tape.
std::int32_t SkipTarget(std::int32_t from, std::uint32_t offset) {
  const std::int64_t target = static_cast<std::int64_t>(from) + static_cast<std::int32_t>(offset);
  if (target > INT32_MAX) return INT32_MAX;
  if (target < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(target);
}

}  // namespace

void CommandQueue::RunCommand(TapeDeck& deck, const DeckCommand& command) {
  switch (command.code) {
    case CMD_PLAY:
      if (command.arg1 != 0) {
        deck.SetAutoPlayStop(deck.autoPlayStop);
        deck.SetFastLoading(deck.fastLoading);
      }
      deck.Play();
      break;
    case CMD_STOP:
      deck.Stop();
      break;
    case CMD_PAUSE:
      deck.Pause();
      break;
    case CMD_GOTO_BLOCK:
      deck.GoToBlock(static_cast<std::int32_t>(command.arg1));
      break;
    case CMD_SET_LOADING_NOISE:
      deck.loadingNoise = command.arg1 != 0 ? 1 : 0;
      break;
    case CMD_SKIP_BLOCKS:
      deck.GoToBlock(SkipTarget(deck.blockIndex, command.arg1));
      break;
    case CMD_PLAY_STOP:
      if (deck.state == DECK_PLAYING || deck.state == DECK_RECORDING) {
        deck.Stop();
      } else {
        deck.Play();
      }
      break;
    case CMD_SET_FAST_LOAD:
      deck.SetFastLoading(command.arg1);
      break;
    case CMD_SET_AUTO_PLAY:
      deck.SetAutoPlayStop(command.arg1);
      break;
    case CMD_RECORD:
      deck.Record();
      break;
    default:
      break;
  }
}

}  // namespace reelbox
