// Pulse generation: tones, pulse lists, data bits, direct-recording samples
// and pauses. Each start operation sets up its phase and runs its handler; each
// handler catches up on every edge due by the host's clock, so lateness carries
// into the next pulse and the edge times never drift. Counts of 0 play nothing.
#include "engine/block_fields.h"
#include "engine/tape_deck.h"

namespace reelbox {
namespace {

constexpr std::uint8_t EAR_HIGH = 0x40;
constexpr std::uint8_t FIRST_BIT = 0x80;
constexpr std::uint32_t BITS_PER_BYTE = 8;
constexpr std::int32_t PAUSE_FLIP_PERIOD = 3500000;  // one second of T-states
// No flips in the last 1.5 s of a pause.
constexpr std::int32_t PAUSE_FLIP_END = 5250000;

// More than 8 used bits would run the mask past bit 0; they play as 8.
std::uint32_t UsedBits(std::uint32_t usedBits) { return usedBits < BITS_PER_BYTE ? usedBits : BITS_PER_BYTE; }

// Nothing to play: no bytes, or a single byte of which no bit is used.
bool PlaysNothing(std::uint32_t length, std::uint32_t usedBits) {
  return length == 0 || (length == 1 && usedBits == 0);
}

std::uint8_t LevelOf(std::uint8_t byte, std::uint8_t mask) { return (byte & mask) != 0 ? EAR_HIGH : 0; }

}  // namespace

void TapeDeck::StartTone(std::uint32_t pulseLength, std::uint32_t pulseCount, bool standard) {
  if (pulseCount == 0) {
    AdvancePhase();
    return;
  }
  QueuePulse(pulseLength);
  pilotPulse = pulseLength;
  pulsesLeft = static_cast<std::int32_t>(pulseCount - 1);
  edgeHandler = &TapeDeck::PlayTone;
  romLoadable = standard ? blockList->IsRomLoadable(blockIndex) : 0;
  pilotTrapDone = 0;
  pilotTrapArmed = inputRecording ? 0 : (fastLoading && flashLoading ? 1 : 0);
  if (fastLoading) RequestFullSpeed(1);
  CallHandler();
}

void TapeDeck::PlayTone() {
  SyncClock();
  if (pilotTrapArmed && !pilotTrapDone && untilEdge <= 0 && !hostRealTime) TryPilotSkip();
  while (untilEdge <= 0) {
    Edge();
    if (pulsesLeft-- == 0) {
      AdvancePhase();
      return;
    }
    QueuePulse(pilotPulse);
  }
  if (fastLoading && flashLoading && romLoadable && !inputRecording) FlashLoadRomBlock();
}

// The second sync pulse is read from syncPulses through pulseCursor, which
// reads little-endian words (both builds run on little-endian x86).
void TapeDeck::StartSync(std::uint16_t first, std::uint16_t second) {
  syncPulses[0] = first;
  syncPulses[1] = second;
  pulseCursor = reinterpret_cast<const std::uint8_t*>(&syncPulses[1]);
  pulsesLeft = 1;
  QueuePulse(first);
  edgeHandler = &TapeDeck::PlayPulseList;
  CallHandler();
}

void TapeDeck::StartPulseList(const std::uint8_t* list, std::uint32_t count) {
  if (count == 0) {
    AdvancePhase();
    return;
  }
  QueuePulse(ReadU16(list));
  pulseCursor = list + 2;
  pulsesLeft = static_cast<std::int32_t>(count - 1);
  edgeHandler = &TapeDeck::PlayPulseList;
  CallHandler();
}

void TapeDeck::PlayPulseList() {
  SyncClock();
  while (untilEdge <= 0) {
    Edge();
    if (pulsesLeft-- == 0) {
      AdvancePhase();
      return;
    }
    QueuePulse(ReadU16(pulseCursor));
    pulseCursor += 2;
  }
}

void TapeDeck::StartData(const std::uint8_t* data, std::uint32_t length, std::uint32_t usedBits,
                         std::uint32_t onePulseLength, std::uint32_t zeroPulseLength) {
  usedBits = UsedBits(usedBits);
  if (PlaysNothing(length, usedBits)) {
    AdvancePhase();
    return;
  }
  lastByteBits = static_cast<std::int32_t>(usedBits);
  dataCursor = data;
  bytesLeft = static_cast<std::int32_t>(length);
  onePulse = onePulseLength;
  zeroPulse = zeroPulseLength;
  lastPC = 0;
  lastB = 0;
  sampleLoopCount = 2;
  loaderCheckDue = 0;  // the auto-stop test waits for the next frame
  bitMask = FIRST_BIT;
  halfBit = 0;
  currentBit = data[0] & FIRST_BIT;
  QueuePulse(currentBit ? onePulse : zeroPulse);
  if (length > 1) {
    edgeHandler = &TapeDeck::PlayDataBytes;
  } else {
    edgeHandler = &TapeDeck::PlayLastByte;
    --lastByteBits;  // bit 7 is already under way
  }
  edgeDetectNow = edgeDetection && blockList->edgeDetectionAllowed ? 1 : 0;
  flashLoadWatch = fastLoading ? 1 : 0;
  if (inputRecording) {
    edgeDetectNow = 0;
    flashLoadWatch = 0;
  }
  CallHandler();
}

// PC and B are read only while the flash-load watch or edge detection may use
// them; lastPC and lastB matter to nothing else.
void TapeDeck::PlayDataBytes() {
  SyncClock();
  if (loaderCheckDue && AutoStopTest()) return;
  if (flashLoadWatch || edgeDetectNow) {
    const std::uint16_t bc = Register(REG_BC);
    const std::uint16_t pc = Register(REG_PC);
    const auto b = static_cast<std::uint8_t>(bc >> 8);
    if (flashLoadWatch && WatchForFlashLoad()) return;
    if (!flashLoadWatch && edgeDetectNow && !hostRealTime) DetectEdge(pc, b, bc);
    lastPC = pc;
    lastB = b;
  }
  while (untilEdge <= 0) {
    if (bitMask == 0) {
      ++dataCursor;
      --bytesLeft;
      bitMask = FIRST_BIT;
      if (bytesLeft == 1) {
        edgeHandler = &TapeDeck::PlayLastByte;
        CallHandler();
        return;
      }
    }
    Edge();
    currentBit = *dataCursor & bitMask;
    QueuePulse(currentBit ? onePulse : zeroPulse);
    halfBit ^= 1;
    if (halfBit) bitMask >>= 1;
  }
}

// The last byte sends lastByteBits bits from bit 7 down; the edge that ends
// its last pulse hands on to the pause or the next block.
void TapeDeck::PlayLastByte() {
  SyncClock();
  while (untilEdge <= 0) {
    Edge();
    if (halfBit && lastByteBits-- == 0) {
      AdvancePhase();
      return;
    }
    currentBit = *dataCursor & bitMask;
    QueuePulse(currentBit ? onePulse : zeroPulse);
    halfBit ^= 1;
    if (halfBit) bitMask >>= 1;
  }
}

void TapeDeck::StartDirectRecording(const TapeBlock& block) {
  phase = 3;
  const std::uint32_t length = BytesAvailable(block, 9, FieldU24(block, 6));
  const std::uint32_t usedBits = UsedBits(FieldU8(block, 5));
  if (PlaysNothing(length, usedBits)) {
    AdvancePhase();
    return;
  }
  dataCursor = FieldPointer(block, 9);
  bytesLeft = static_cast<std::int32_t>(length);
  lastByteBits = static_cast<std::int32_t>(usedBits);
  samplePeriod = FieldU16(block, 1);
  bitMask = FIRST_BIT;
  QueuePulse(samplePeriod);
  earLevel = LevelOf(dataCursor[0], FIRST_BIT);  // the first sample sets the level without an edge
  if (length > 1) {
    edgeHandler = &TapeDeck::PlayDirectBits;
  } else {
    edgeHandler = &TapeDeck::PlayDirectLastByte;
    --lastByteBits;
    bitMask >>= 1;
  }
  CallHandler();
}

// One sample per bit: an edge is logged only where the level changes.
void TapeDeck::PlayDirectBits() {
  SyncClock();
  while (untilEdge <= 0) {
    bitMask >>= 1;
    if (bitMask == 0) {
      ++dataCursor;
      --bytesLeft;
      bitMask = FIRST_BIT;
      if (bytesLeft == 1) {
        edgeHandler = &TapeDeck::PlayDirectLastByte;
        CallHandler();
        return;
      }
    }
    const std::uint8_t level = LevelOf(*dataCursor, bitMask);
    PlaySampleAt(level);
  }
}

void TapeDeck::PlayDirectLastByte() {
  SyncClock();
  while (untilEdge <= 0) {
    if (lastByteBits-- == 0) {
      AdvancePhase();
      return;
    }
    const std::uint8_t level = LevelOf(*dataCursor, bitMask);
    bitMask >>= 1;
    PlaySampleAt(level);
  }
}

// The whole pause is one pulse. While more than 1.5 s of it remain, the level
// flips (unlogged) once every emulated second.
void TapeDeck::PlayPause() {
  const std::uint32_t before = lastClock;
  SyncClock();
  pauseToggleTimer -= static_cast<std::int32_t>(lastClock - before);
  if (untilEdge <= 0) {
    Edge();
    AdvancePhase();
    return;
  }
  if (untilEdge < PAUSE_FLIP_END) return;
  while (pauseToggleTimer <= 0) {
    earLevel ^= EAR_HIGH;
    pauseToggleTimer += PAUSE_FLIP_PERIOD;
  }
}

}  // namespace reelbox
