// A plug-in made through CreateInstance and attached, through its own IDevice,
// to a scripted machine; the deck's events go to a message window of the
// harness, delivered as the host's message loop would. The test drives
// frames and port reads by hand, or lets Run read the port at the very T-state
// each edge falls due and note every change of the EAR level it sees.
#pragma once

#include <cstdint>
#include <limits>
#include <ostream>
#include <vector>

#include "contract/com.h"
#include "scripted_machine.h"
#include "shell/tape_plugin.h"
#include "tape_builder.h"

namespace reelbox::test {

constexpr std::uint16_t LOADER_LOOP_ADDRESS = 0x8000;  // XOR C; AND 0x20; JR Z: a loader samples the EAR bit

struct TapeEvent {
  std::uint32_t code;
  MessageLParam value;
  bool operator==(const TapeEvent& other) const { return code == other.code && value == other.value; }
};

struct Transition {
  std::int64_t time;   // T-states since the first frame began
  std::uint8_t level;  // 0x40 or 0
  bool operator==(const Transition& other) const { return time == other.time && level == other.level; }
};
inline void PrintTo(const Transition& t, std::ostream* out) { *out << "{" << t.time << ", " << int{t.level} << "}"; }

class DeckHarness {
 public:
  DeckHarness();
  ~DeckHarness();
  DeckHarness(const DeckHarness&) = delete;
  DeckHarness& operator=(const DeckHarness&) = delete;

  IDevice& Device() { return *device_; }
  TapeDeck& Deck() { return plugin_->Deck(); }
  TapeBlockList& Tape() { return plugin_->BlockList(); }

  // Puts the blocks on the tape and rewinds the deck, as opening a file does.
  void Load(const std::vector<Bytes>& blocks);
  // Creates the recorder window, which drains the command queue at frame start.
  void OpenRecorder();
  bool Post(std::uint32_t code, std::uint32_t arg1 = 0);

  // ReadPort(0xFE) at the machine's clock; the EAR bit of the answer.
  std::uint8_t ReadEar();
  void BeginFrame();
  // Ends the frame at its length and begins the next.
  void NextFrame();
  std::int64_t Now() const { return frameStart_ + machine.clock; }

  std::vector<Transition> Run(std::size_t maxTransitions = std::numeric_limits<std::size_t>::max(),
                              std::int64_t maxTime = std::numeric_limits<std::int64_t>::max());
  // Delivers what was posted and hands over the deck's events since last asked.
  std::vector<TapeEvent> Events();

  ScriptedMachine machine;

 private:
  static MessageResult OnMessage(void* context, WindowHandle window, std::uint32_t message, MessageWParam wParam,
                                 MessageLParam lParam);

  WindowHandle eventWindow_ = nullptr;
  std::vector<TapeEvent> events_;
  IDevice* device_ = nullptr;
  TapePlugin* plugin_ = nullptr;
  std::int64_t frameStart_ = 0;
};

// Durations between consecutive transitions, the first counted from start.
std::vector<std::int64_t> PulseLengths(const std::vector<Transition>& transitions, std::int64_t start);

// The pulses of a ROM-timed block: pilot, syncs, two pulses per data bit.
std::vector<std::int64_t> StandardPulses(const Bytes& data);
// Two pulses per bit, the last byte sending usedBits from bit 7 down.
std::vector<std::int64_t> DataPulses(const Bytes& data, std::uint32_t usedBits, std::int64_t zero, std::int64_t one);

}  // namespace reelbox::test
