// The virtual cassette deck: which block plays, which phase of it, the EAR
// level and the T-states until the next edge. All times are Z80 T-states.
#pragma once

#include <atomic>
#include <cstdint>

#include "contract/plugin_interfaces.h"
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
  void Notify(std::uint32_t code, std::int32_t value);
  void SyncClock();
  void RecordEdge();
  void NextBlock();
  void AdvanceBlock();
  void AdvancePhase();
  void StartPause(std::uint32_t ms);

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

  // --- loading noise (loading_noise.cpp) ---
  HResult StopNoise();
  void RenderNoiseFrame(std::int16_t* destination, std::int32_t amplitude);
  // The noise steps of BeginFrame and EndFrame; EndFrame returns the result.
  void NoiseFrameStart(std::uint32_t flag);
  HResult NoiseFrameEnd();

  // --- transport (transport.cpp) ---
  bool Play();
  bool Pause();
  bool Stop();
  void Record();
  void GoToBlock(std::int32_t index);

  // --- the save trap (save_trap.cpp) ---
  void SetSaveTrap(bool on);
  void OnTrap(std::uint16_t address);

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
};

}  // namespace reelbox
