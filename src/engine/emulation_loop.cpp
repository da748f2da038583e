// The deck's face towards the host's emulation loop: attach and detach, frame
// start and end, reads of the ULA port, auto play / auto stop, machine reset,
// and the deck's own stop.
#include <cctype>
#include <new>

#include "engine/tape_deck.h"

namespace reelbox {
namespace {

constexpr std::uint8_t EAR_BIT = 0x40;
constexpr const char* INPUT_PLAYING_PROPERTY = "replix.dll\\RZX_PLAYING";
constexpr const char* INPUT_RECORDING_PROPERTY = "replix.dll\\RZX_RECORDING";
constexpr const char* DISPLAY_OBJECT_NAME = "vistor.obj";

// The loading-noise buffer: one second of 16-bit mono at 44100 Hz, written a
// fiftieth of a second (one frame) at a time.
constexpr std::uint32_t NOISE_FRAME_BYTES = 1764;
constexpr std::uint32_t NOISE_BUFFER_BYTES = 88200;

bool EqualsIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
  }
  return *a == *b;
}

// True while the input-recording plug-in plays a recording back; notes on the
// way whether it records one.
bool InputPlaybackRunning(TapeDeck& deck, IHostRegistry& registry) {
  deck.inputRecording = 0;
  std::uint32_t playing = 0;
  if (Failed(registry.GetProperty(INPUT_PLAYING_PROPERTY, &playing, sizeof playing))) return false;
  std::uint32_t recording = 0;
  if (Succeeded(registry.GetProperty(INPUT_RECORDING_PROPERTY, &recording, sizeof recording))) {
    deck.inputRecording = recording != 0 ? 1 : 0;
  }
  return playing != 0;
}

void OpenNoiseBuffer(TapeDeck& deck) {
  if (Failed(deck.host->GetSoundDevice(&deck.soundDevice)) || deck.soundDevice == nullptr) {
    deck.soundDevice = nullptr;
    return;
  }
  deck.noiseFrameBytes = NOISE_FRAME_BYTES;
  deck.noiseBufferBytes = NOISE_BUFFER_BYTES;
  WaveFormat format{1, 1, 44100, 88200, 2, 16, 0};  // PCM, mono, 16-bit
  SoundBufferDesc description{sizeof(SoundBufferDesc), DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2,
                              NOISE_BUFFER_BYTES, 0, &format};
  if (Failed(deck.soundDevice->CreateSoundBuffer(&description, &deck.noiseBuffer, nullptr)) ||
      deck.noiseBuffer == nullptr) {
    deck.noiseBuffer = nullptr;
    SafeRelease(deck.soundDevice);
  }
}

void CloseNoiseBuffer(TapeDeck& deck) {
  if (deck.noiseBuffer != nullptr && deck.noisePlaying) deck.noiseBuffer->Stop();
  SafeRelease(deck.noiseBuffer);
  deck.noisePlaying = 0;
}

// The display object receives the border colour during byte flash loading.
void FindDisplayObject(TapeDeck& deck, IHostRegistry& registry) {
  std::uint32_t count = 0;
  if (Failed(registry.GetObjectCount(HOST_OBJECT_DEVICE, &count))) return;
  for (std::uint32_t i = 0; i < count; ++i) {
    IHostObject* object = nullptr;
    const char* name = nullptr;
    if (Failed(registry.GetObjectAt(HOST_OBJECT_DEVICE, i, &object)) || object == nullptr) continue;
    if (Failed(object->GetName(&name)) || name == nullptr || !EqualsIgnoringCase(name, DISPLAY_OBJECT_NAME)) continue;
    object->AddRef();
    deck.displayObject = object;
    return;
  }
}

std::uint8_t ByteAt(const TapeDeck& deck, std::uint16_t address, int offset) {
  return deck.MemoryByte(static_cast<std::uint16_t>(address + offset));
}

// XOR C; [RET C]; AND 0x20 or 0x40; then JR Z or JP Z, possibly behind a
// RET C and one more byte. The XOR lies within the four bytes after the IN.
bool IsXorSamplingLoop(const TapeDeck& deck, std::uint16_t address) {
  for (int i = 0; i < 4; ++i) {
    if (ByteAt(deck, address, i) != 0xA9) continue;
    const auto x = static_cast<std::uint16_t>(address + i);
    const auto p = static_cast<std::uint16_t>(ByteAt(deck, x, 1) == 0xD8 ? x + 1 : x);
    const std::uint8_t mask = ByteAt(deck, p, 2);
    std::uint8_t jump = ByteAt(deck, p, 3);
    if (jump == 0xD8) jump = ByteAt(deck, p, 5);
    return ByteAt(deck, p, 1) == 0xE6 && (mask == 0x20 || mask == 0x40) && (jump == 0x28 || jump == 0xCA);
  }
  return false;
}

// Three more loop shapes, each recognised by its bytes around the address.
bool IsOtherSamplingLoop(const TapeDeck& deck, std::uint16_t address) {
  auto at = [&](int offset) { return ByteAt(deck, address, offset); };
  const bool incLAndH = at(-3) == 0x2C && at(0) == 0xA4 && (at(1) == 0xCA || at(1) == 0xC2);
  const bool andEarStore = at(0) == 0xE6 && at(1) == 0x40 && (at(2) == 0x77 || at(2) == 0xF6);
  const bool rotateAndMask = at(0) == 0x1F && at(1) == 0xE6 && at(2) == 0x20 && at(3) == 0x4F;
  return incLAndH || andEarStore || rotateAndMask;
}

}  // namespace

// The display object is looked up, and the save trap put back, whether or not
// a sound buffer could be made: neither depends on the loading noise.
HResult TapeDeck::Attach(IEmulatedMachine* machine, IDevice* owner) {
  if (machine == nullptr) return RESULT_FAIL;
  if (host != nullptr) Detach();
  noisePlaying = 0;
  noiseCountdown = noiseLeadFrames;
  edgeCount = 0;
  void* found = nullptr;
  const HResult query = machine->QueryInterface(IID_IHostRegistry, &found);
  if (Failed(query)) return query;
  if (found == nullptr) return RESULT_FAIL;
  auto* registry = static_cast<IHostRegistry*>(found);
  HResult result = RESULT_OK;
  if (InputPlaybackRunning(*this, *registry)) {
    result = RESULT_FALSE;
  } else if ((edgeLog = new (std::nothrow) std::uint32_t[EDGE_LOG_ENTRIES]) == nullptr) {
    result = RESULT_OUTOFMEMORY;
  } else {
    host = machine;
    host->AddRef();
    OpenNoiseBuffer(*this);
    trapOwner = owner;
    FindDisplayObject(*this, *registry);
    if (state == DECK_RECORDING) SetSaveTrap(true);
  }
  registry->Release();
  return result;
}

// The save trap is left in place; Attach adds it again while recording.
HResult TapeDeck::Detach() {
  delete[] edgeLog;
  edgeLog = nullptr;
  edgeCount = 0;
  CloseNoiseBuffer(*this);
  SafeRelease(displayObject);
  SafeRelease(soundDevice);
  SafeRelease(host);
  trapOwner = nullptr;
  inputRecording = 0;
  return RESULT_OK;
}

// The host's frame clock restarts at 0 with every frame; untilEdge runs on.
HResult TapeDeck::BeginFrame(std::uint32_t flag) {
  lastClock = 0;
  lastEdgeTime = 0;
  noiseRestart = 0;
  loaderCheckDue = 1;
  pilotTrapArmed = fastLoading && flashLoading && !inputRecording ? 1 : 0;
  frameStartLevel = earLevel;
  edgeCount = 0;
  NoiseFrameStart(flag);
  return RESULT_OK;
}

HResult TapeDeck::EndFrame() {
  loaderCheckDue = 0;
  if (state == DECK_PLAYING) CallHandler();
  return NoiseFrameEnd();
}

HResult TapeDeck::ReadPort(std::uint8_t* value) {
  if (state != DECK_PLAYING) {
    if (!autoPlayArmed || !blockList->hasSignalBlocks || state != DECK_STOPPED || !loaderCheckDue) return RESULT_OK;
    loaderCheckDue = 0;  // at most one test a frame
    // A tape that ran off its end stays stopped.
    if (blockIndex <= 0 && tapeEnded && stopAtEndOfTape) return RESULT_OK;
    if (!IsLoaderAt(Register(REG_PC))) return RESULT_OK;
    Play();
    if (state != DECK_PLAYING) return RESULT_OK;
  }
  CallHandler();
  *value = static_cast<std::uint8_t>((*value & ~EAR_BIT) | earLevel);
  return RESULT_OK;
}

bool TapeDeck::IsLoaderAt(std::uint16_t address) {
  loaderCheckDue = 0;
  return IsXorSamplingLoop(*this, address) || IsOtherSamplingLoop(*this, address);
}

bool TapeDeck::AutoStopTest() {
  const std::uint16_t pc = Register(REG_PC);
  if (!loaderCheckDue || !autoPlayStop || IsLoaderAt(pc)) return false;
  Halt();
  return true;
}

void TapeDeck::MachineReset() {
  if (state == DECK_PLAYING || state == DECK_PAUSED) {
    Halt();
    blockIndex = 0;
    Notify(TAPE_EVENT_BLOCK, 0);
  } else {
    SetAutoPlayStop(autoPlayStop);
    SetFastLoading(fastLoading);
    RequestFullSpeed(0);
  }
  tapeEnded = 0;
}

void TapeDeck::ResetDeck() {
  SetAutoPlayStop(autoPlayStop);
  SetFastLoading(fastLoading);
  blockIndex = 0;
  edgeHandler = nullptr;
  tapeEnded = 0;
  walkGuard.Restart();
  state = DECK_STOPPED;
  Notify(TAPE_EVENT_STATE, DECK_STOPPED);
}

// A pending walk or handler call dies with the stop.
void TapeDeck::Halt() {
  edgeHandler = nullptr;
  sequenceAgain = 0;
  handlerDue = 0;
  state = DECK_STOPPED;
  Notify(TAPE_EVENT_STATE, DECK_STOPPED);
  SetAutoPlayStop(autoPlayStop);
  SetFastLoading(fastLoading);
  RequestFullSpeed(0);
  RecordEdge();
}

void TapeDeck::SetFastLoading(std::uint32_t on) {
  if (host != nullptr) {
    if (on == 0) {
      host->SetFullSpeed(0);
    } else if (state == DECK_PLAYING && edgeHandler == &TapeDeck::PlayDataBytes) {
      host->SetFullSpeed(1);
    }
  }
  fastLoading = on != 0 ? 1 : 0;
}

void TapeDeck::SetAutoPlayStop(std::uint32_t on) {
  autoPlayStop = on != 0 ? 1 : 0;
  autoPlayArmed = on != 0 ? 1 : 0;
}

void TapeDeck::SetFlashLoading(std::uint32_t on) { flashLoading = on != 0 ? 1 : 0; }

}  // namespace reelbox
