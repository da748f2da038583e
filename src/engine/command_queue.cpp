#include "engine/command_queue.h"

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
  LockQueue();
  bool queued = commandCount < COMMAND_QUEUE_LENGTH;
  if (queued) commands[commandCount++] = DeckCommand{code, arg1, arg2};
  UnlockQueue();
  return queued;
}

void CommandQueue::DrainCommands(TapeDeck& deck) {
  LockQueue();
  for (std::uint32_t i = 0; i < commandCount; ++i) RunCommand(deck, commands[i]);
  commandCount = 0;
  UnlockQueue();
}

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
      deck.GoToBlock(deck.blockIndex + static_cast<std::int32_t>(command.arg1));
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
