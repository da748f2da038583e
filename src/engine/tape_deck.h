// The virtual cassette deck: which block plays, which phase of it, the EAR
// level and the T-states until the next edge. All times are Z80 T-states.
#pragma once

#include <atomic>
#include <cstdint>

#include "contract/plugin_interfaces.h"
#include "engine/walk_guard.h"
#include "tape/tape_block_list.h"

namespace reelbox {

// Deck states.
constexpr std::int32_t DECK_STOPPED = 1;
constexpr std::int32_t DECK_PAUSED = 2;
constexpr std::int32_t DECK_PLAYING = 3;
constexpr std::int32_t DECK_RECORDING = 4;

// The deck's notifications to the recorder window: WM_USER + 0x100.
constexpr std::uint32_t WM_TAPE_EVENT = 0x500;
constexpr std::uint32_t TAPE_EVENT_BLOCK = 0;
constexpr std::uint32_t TAPE_EVENT_STATE = 1;
constexpr std::uint32_t TAPE_EVENT_MESSAGE = 3;
constexpr std::uint32_t TAPE_EVENT_SELECT = 4;
constexpr std::uint32_t TAPE_EVENT_RECORDED = 5;

constexpr std::int32_t EDGE_LOG_ENTRIES = 7000;
constexpr std::int32_t SAMPLE_BUFFER_BYTES = 4096;

// A setting that the options page writes from the window thread while the
// emulation thread reads it: one 32-bit value, no lock.
using OptionFlag = std::atomic<std::uint32_t>;

class TapeDeck {
 public:
  using PhaseHandler = void (TapeDeck::*)();

  explicit TapeDeck(TapeBlockList* blockList);
  ~TapeDeck();
  TapeDeck(const TapeDeck&) = delete;
  TapeDeck& operator=(const TapeDeck&) = delete;

  // --- sequencer (sequencer.cpp) ---
  void Notify(std::uint32_t code, MessageLParam value);
  void SyncClock();
  void RecordEdge();
  void NextBlock();
  void AdvanceBlock();
  void AdvancePhase();
  void StartPause(std::uint32_t ms);
  // Runs edgeHandler now, or, when a handler or the sequencer is already
  // running, once that returns: phase changes iterate instead of nesting.
  void CallHandler();
  // The block at blockIndex; null when blockIndex is outside the tape.
  const TapeBlock* CurrentBlock() const;
  // The tape ran out: stop, rewind to block 0 and say so.
  void EndOfTape();

  // --- edges (inline below: every handler's inner loop) ---
  // Adds a pulse to the countdown; lateness carries over into it.
  void QueuePulse(std::uint32_t length);
  // One logged transition of the EAR level.
  void Edge();
  void PlaySampleAt(std::uint8_t level);

  // --- pulse generation (pulses.cpp) ---
  void StartTone(std::uint32_t pulseLength, std::uint32_t pulseCount, bool standard);
  void StartSync(std::uint16_t first, std::uint16_t second);
  void StartPulseList(const std::uint8_t* list, std::uint32_t count);
  void StartData(const std::uint8_t* data, std::uint32_t length, std::uint32_t usedBits, std::uint32_t onePulseLength,
                 std::uint32_t zeroPulseLength);
  void StartDirectRecording(const TapeBlock& block);
  void PlayTone();
  void PlayPulseList();
  void PlayDataBytes();
  void PlayLastByte();
  void PlayDirectBits();
  void PlayDirectLastByte();
  void PlayPause();

  // --- sampled audio (sampled_playback.cpp) ---
  void StartCsw(const TapeBlock& block);
  void StartSampledAudio(const TapeBlock& block);
  void PlayCswRuns();
  void PlaySampledAudio();

  // --- fast loading (fast_loading.cpp, byte_flash_loading.cpp) ---
  void TryPilotSkip();
  void FlashLoadRomBlock();
  void DetectEdge(std::uint16_t pc, std::uint8_t b, std::uint16_t bc);
  bool WatchForFlashLoad();  // true when it handed the phase to a flash-load handler
  void FlashLoadBytes();
  void FlashLoadInlineBytes();
  void ContinueAfterFlashLoad(const TapeBlock& block, std::uint8_t flag);
  bool FlashLoadMayAct();
  void HandBackToSound();
  void RestartBitWait(std::uint8_t mask);
  void ToggleBorder();
  void DeliverInlineByte(std::uint8_t* l, std::uint8_t* b);

  // --- emulation loop (emulation_loop.cpp) ---
  HResult Attach(IEmulatedMachine* machine, IDevice* owner);
  HResult Detach();
  HResult BeginFrame(std::uint32_t flag);
  HResult EndFrame();
  HResult ReadPort(std::uint8_t* value);
  void MachineReset();
  void ResetDeck();
  void Halt();
  void SetFastLoading(std::uint32_t on);
  void SetAutoPlayStop(std::uint32_t on);
  void SetFlashLoading(std::uint32_t on);
  bool IsLoaderAt(std::uint16_t address);
  bool AutoStopTest();
  // Host access that tolerates an unattached deck (no host: clock 0, registers
  // and memory read 0, requests dropped). Inline below.
  std::uint32_t FrameClock() const;
  void RequestFullSpeed(std::uint32_t on) const;
  std::uint16_t Register(std::uint32_t number) const;
  std::uint8_t MemoryByte(std::uint16_t address) const;

  // --- loading noise (loading_noise.cpp) ---
  HResult StopNoise();
  void RenderNoiseFrame(std::int16_t* destination, std::int32_t amplitude);
  // The noise steps of BeginFrame and EndFrame; EndFrame returns the result.
  void NoiseFrameStart(std::uint32_t flag);
  HResult NoiseFrameEnd();

  // --- settings (deck_settings.cpp) ---
  // Keeps a reference to store and reads the deck's settings from it.
  void UseSettingsStore(IHostShell* store);
  // Writes the deck's settings back and lets the store go.
  void SaveSettings();

  // --- transport (transport.cpp) ---
  bool Play();
  bool Pause();
  bool Stop();
  void Record();
  void GoToBlock(std::int32_t index);

  // --- the save trap (save_trap.cpp) ---
  void SetSaveTrap(bool on);
  void OnTrap(std::uint16_t address);
  void CaptureSavedBlock(std::uint16_t start, std::uint16_t length, std::uint8_t flag);

  // --- the fields; other rooms use them by name ---
  TapeBlockList* blockList;
  IEmulatedMachine* host = nullptr;
  IHostShell* settingsStore = nullptr;
  IDevice* trapOwner = nullptr;
  IHostObject* displayObject = nullptr;
  std::int32_t state = DECK_STOPPED;
  std::int32_t phase = 0;
  std::int32_t blockIndex = 0;
  WindowHandle notifyWindow = nullptr;
  OptionFlag fastLoading{1};
  std::uint32_t noiseRestart = 0;
  OptionFlag flashLoading{1};
  OptionFlag autoPlayStop{1};
  OptionFlag autoPlayArmed{1};
  std::uint32_t loaderCheckDue = 0;
  OptionFlag stopAtEndOfTape{1};
  std::uint32_t tapeEnded = 0;
  std::uint32_t pilotPulse = 0;
  std::uint32_t romLoadable = 0;
  std::int32_t pulsesLeft = 0;
  const std::uint8_t* pulseCursor = nullptr;  // little-endian u16 entries, read unaligned
  std::uint16_t syncPulses[2] = {0, 0};
  std::uint32_t halfBit = 0;
  std::uint32_t zeroPulse = 0;
  std::uint32_t onePulse = 0;
  std::uint8_t bitMask = 0;
  const std::uint8_t* dataCursor = nullptr;
  std::int32_t bytesLeft = 0;
  std::int32_t lastByteBits = 0;
  std::uint32_t samplePeriod = 0;
  std::int32_t loopStart = 0;
  std::int32_t loopCount = 0;
  std::int32_t pauseToggleTimer = 0;
  std::int32_t callBlock = 0;
  std::int32_t callNext = 0;
  std::uint32_t runLeft = 0;
  const std::uint8_t* sampleSource = nullptr;  // data of the 0xF1 block being played
  std::int8_t sampleBuffer[SAMPLE_BUFFER_BYTES] = {};
  std::int32_t samplesBuffered = 0;
  const std::int8_t* sampleCursor = nullptr;
  std::uint8_t earLevel = 0x40;
  std::uint32_t lastClock = 0;
  std::int32_t untilEdge = 0;
  std::uint8_t frameStartLevel = 0x40;
  std::uint32_t* edgeLog = nullptr;
  std::int32_t edgeCount = 0;
  PhaseHandler edgeHandler = nullptr;
  OptionFlag loadingNoise{0};
  OptionFlag loudNoise{0};
  IDirectSound* soundDevice = nullptr;
  IDirectSoundBuffer* noiseBuffer = nullptr;
  std::uint32_t noisePlaying = 0;
  std::uint32_t noiseWritePos = 0;
  std::uint32_t noiseFrameBytes = 1764;
  std::uint32_t noiseBufferBytes = 88200;
  std::uint32_t noiseLeadFrames = 4;
  std::uint32_t noiseCountdown = 4;
  std::uint32_t hostRealTime = 0;
  std::uint32_t currentPulse = 0;
  std::int32_t lastEdgeTime = 0;
  TapeBlock* recordedBlocks = nullptr;
  std::uint32_t currentBit = 0;
  std::int32_t sampleLoopCount = 0;
  std::uint16_t lastPC = 0;
  std::uint8_t lastB = 0;
  std::uint32_t edgeDetectNow = 0;
  OptionFlag edgeDetection{1};
  std::uint32_t flashLoadWatch = 0;
  std::uint32_t inlineFirstByte = 0;
  std::int32_t inlineLeftShift = 0;
  std::int32_t inlineRightShift = 0;
  std::uint8_t borderToggle = 0;
  std::uint32_t pilotTrapDone = 0;
  std::uint32_t pilotTrapArmed = 0;
  std::uint32_t inputRecording = 0;

  // Walk guards: no tape may keep the emulation thread in the deck.
  std::uint32_t dispatching = 0;    // CallHandler's loop is running
  std::uint32_t handlerDue = 0;     // a start operation asked for its handler to run
  std::uint32_t sequencing = 0;     // NextBlock's loop is running
  std::uint32_t sequenceAgain = 0;  // a block that played nothing moved on while sequencing
  WalkGuard walkGuard;              // ends walks that go round blocks that play nothing
};

// Host access, the clock and the handler call are on every port read's path:
// defined here so they inline.
inline std::uint32_t TapeDeck::FrameClock() const { return host != nullptr ? host->GetFrameClock() : 0; }

inline void TapeDeck::RequestFullSpeed(std::uint32_t on) const {
  if (host != nullptr) host->SetFullSpeed(on);
}

inline std::uint16_t TapeDeck::Register(std::uint32_t number) const {
  std::uint32_t value = 0;
  if (host != nullptr) host->GetRegister(number, &value);
  return static_cast<std::uint16_t>(value);
}

inline std::uint8_t TapeDeck::MemoryByte(std::uint16_t address) const {
  std::uint8_t value = 0;
  if (host != nullptr) host->ReadMemory(address, &value);
  return value;
}

inline void TapeDeck::SyncClock() {
  const std::uint32_t clock = FrameClock();
  untilEdge -= static_cast<std::int32_t>(clock - lastClock);
  lastClock = clock;
}

inline void TapeDeck::CallHandler() {
  handlerDue = 1;
  if (dispatching || sequencing) return;
  dispatching = 1;
  while (handlerDue && edgeHandler != nullptr) {
    handlerDue = 0;
    (this->*edgeHandler)();
  }
  handlerDue = 0;
  dispatching = 0;
}

inline void TapeDeck::QueuePulse(std::uint32_t length) {
  untilEdge += static_cast<std::int32_t>(length);
  currentPulse = length;
  walkGuard.Pulse(length);
}

inline void TapeDeck::RecordEdge() {
  lastEdgeTime += static_cast<std::int32_t>(currentPulse);
  if (edgeLog != nullptr && edgeCount < EDGE_LOG_ENTRIES)
    edgeLog[edgeCount++] = static_cast<std::uint32_t>(lastEdgeTime);
}

// One sample period at level: an edge is logged only where the level changes;
// otherwise time just passes.
inline void TapeDeck::PlaySampleAt(std::uint8_t level) {
  if (level != earLevel) {
    RecordEdge();
  } else {
    lastEdgeTime += static_cast<std::int32_t>(currentPulse);
  }
  QueuePulse(samplePeriod);
  earLevel = level;
}

inline void TapeDeck::Edge() {
  RecordEdge();
  earLevel ^= 0x40;
}

}  // namespace reelbox
