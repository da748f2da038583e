// Commands from the window thread to the deck, drained at every frame start on
// the emulation thread. Guarded by the plug-in's only lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace reelbox {

class TapeDeck;

constexpr std::uint32_t CMD_PLAY = 1;
constexpr std::uint32_t CMD_STOP = 2;
constexpr std::uint32_t CMD_PAUSE = 3;
constexpr std::uint32_t CMD_GOTO_BLOCK = 4;
constexpr std::uint32_t CMD_SET_LOADING_NOISE = 5;
constexpr std::uint32_t CMD_SKIP_BLOCKS = 6;
constexpr std::uint32_t CMD_PLAY_STOP = 7;
constexpr std::uint32_t CMD_SET_FAST_LOAD = 8;
constexpr std::uint32_t CMD_SET_AUTO_PLAY = 9;
constexpr std::uint32_t CMD_RECORD = 10;

constexpr std::uint32_t COMMAND_QUEUE_LENGTH = 100;

struct DeckCommand {
  std::uint32_t code;
  std::uint32_t arg1;
  std::uint32_t arg2;
};

class CommandQueue {
 public:
  // Any thread. False when the queue is full and the command was dropped.
  bool PostCommand(std::uint32_t code, std::uint32_t arg1, std::uint32_t arg2);
  // Emulation thread: runs every queued command on the deck, in posting order.
  void DrainCommands(TapeDeck& deck);

  void LockQueue();
  void UnlockQueue();
  std::uint32_t QueueLocked() const { return queueLocked; }
  std::uint32_t CommandCount();

 private:
  // Holds the queue from construction to destruction, also when left early.
  class Hold {
   public:
    explicit Hold(CommandQueue& queue) : queue_(queue) { queue_.LockQueue(); }
    ~Hold() { queue_.UnlockQueue(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    CommandQueue& queue_;
  };

  static void RunCommand(TapeDeck& deck, const DeckCommand& command);

  std::mutex queueLock;
  std::atomic<std::uint32_t> queueLocked{0};  // written only while queueLock is held
  DeckCommand commands[COMMAND_QUEUE_LENGTH] = {};
  std::uint32_t commandCount = 0;
};

}  // namespace reelbox
