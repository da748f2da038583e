// The block sequencer: what each block does to the deck, the step from one
// phase of a data block to the next, the pause after a block, and the events
// posted to the recorder window.
#include "engine/block_fields.h"
#include "engine/tape_deck.h"
#include "platform/window_messages.h"

namespace reelbox {
namespace {

// Standard ROM timings, T-states.
constexpr std::uint32_t STANDARD_PILOT_PULSE = 2168;
constexpr std::uint32_t PILOT_PULSES_HEADER = 8064;  // flag byte other than 0xFF
constexpr std::uint32_t PILOT_PULSES_DATA = 3220;    // flag byte 0xFF
constexpr std::uint16_t STANDARD_SYNC_FIRST = 667;
constexpr std::uint16_t STANDARD_SYNC_SECOND = 735;
constexpr std::uint32_t STANDARD_ZERO_PULSE = 855;
constexpr std::uint32_t STANDARD_ONE_PULSE = 1710;

constexpr std::uint32_t TSTATES_PER_MS = 3500;
constexpr std::uint32_t LONGEST_PAUSE_MS = 30000;
constexpr std::uint32_t LAST_BLOCK_PAUSE_MS = 1000;
constexpr std::int32_t PAUSE_FLIP_PERIOD = 3500000;  // one second of T-states

enum class Walk { Continue, Stop };  // Stop: a block started, or the deck stopped on one

Walk Skip(TapeDeck& deck) {
  ++deck.blockIndex;
  return Walk::Continue;
}

// A jump, call or return that leaves the tape ends it.
void LeaveTape(TapeDeck& deck) { deck.blockIndex = deck.blockList->GetCount(); }

Walk MoveBy(TapeDeck& deck, std::int32_t offset) {
  deck.blockIndex += offset;
  if (deck.blockIndex < 0) LeaveTape(deck);
  return Walk::Continue;
}

// Call offsets that the block really holds, however many it claims.
std::uint32_t CallCount(const TapeBlock& call) { return WordsAvailable(call, 3, FieldU16(call, 1)); }

Walk StartStandardBlock(TapeDeck& deck, const TapeBlock& block) {
  deck.phase = 1;
  const std::uint32_t pulses = FieldU8(block, 5) == 0xFF ? PILOT_PULSES_DATA : PILOT_PULSES_HEADER;
  deck.StartTone(STANDARD_PILOT_PULSE, pulses, true);
  return Walk::Stop;
}

Walk StartTurboBlock(TapeDeck& deck, const TapeBlock& block) {
  deck.phase = 1;
  const std::uint16_t pulses = FieldU16(block, 11);
  if (pulses == 0) {
    deck.AdvancePhase();
  } else {
    deck.StartTone(FieldU16(block, 1), pulses, false);
  }
  return Walk::Stop;
}

Walk StartPureData(TapeDeck& deck, const TapeBlock& block) {
  deck.phase = 3;
  deck.StartData(FieldPointer(block, 11), BytesAvailable(block, 11, FieldU24(block, 8)), FieldU8(block, 5),
                 FieldU16(block, 3), FieldU16(block, 1));
  return Walk::Stop;
}

Walk PauseOrStop(TapeDeck& deck, const TapeBlock& block) {
  const std::uint16_t ms = FieldU16(block, 1);
  if (ms != 0) {
    deck.StartPause(ms);
  } else {
    deck.Halt();
  }
  return Walk::Stop;
}

Walk Jump(TapeDeck& deck, const TapeBlock& block) {
  const std::int16_t offset = FieldS16(block, 1);
  return offset == 0 ? Skip(deck) : MoveBy(deck, offset);
}

Walk LoopStart(TapeDeck& deck, const TapeBlock& block) {
  const std::uint16_t passes = FieldU16(block, 1);
  deck.loopCount = passes != 0 ? passes : 1;
  deck.loopStart = ++deck.blockIndex;
  return Walk::Continue;
}

// A loop end with no loop under way is stepped over.
Walk LoopEnd(TapeDeck& deck) {
  if (deck.loopCount <= 0 || --deck.loopCount == 0) return Skip(deck);
  deck.blockIndex = deck.loopStart;
  return Walk::Continue;
}

Walk CallSequence(TapeDeck& deck, const TapeBlock& block) {
  if (CallCount(block) == 0) return Skip(deck);
  deck.callNext = 1;
  deck.callBlock = deck.blockIndex;
  return MoveBy(deck, FieldS16(block, 3));
}

Walk ReturnFromSequence(TapeDeck& deck) {
  deck.blockIndex = deck.callBlock;
  const TapeBlock* call = deck.CurrentBlock();
  if (call == nullptr) {
    LeaveTape(deck);
    return Walk::Continue;
  }
  if (call->id != 0x26 || deck.callNext < 0 || static_cast<std::uint32_t>(deck.callNext) >= CallCount(*call)) {
    return Skip(deck);
  }
  const std::int16_t offset = FieldS16(*call, 3 + 2 * static_cast<std::uint32_t>(deck.callNext));
  ++deck.callNext;
  return MoveBy(deck, offset);
}

Walk SelectBlock(TapeDeck& deck) {
  deck.Halt();
  deck.autoPlayArmed = 0;
  deck.Notify(TAPE_EVENT_BLOCK, deck.blockIndex);
  deck.Notify(TAPE_EVENT_SELECT, deck.blockIndex);
  return Walk::Stop;
}

Walk StopIf48K(TapeDeck& deck) {
  if (deck.host == nullptr || deck.host->Is48KMode() == 0) return Skip(deck);
  deck.Halt();
  deck.Notify(TAPE_EVENT_BLOCK, deck.blockIndex);
  return Walk::Stop;
}

Walk Message(TapeDeck& deck) {
  deck.Notify(TAPE_EVENT_MESSAGE, deck.blockIndex);
  return Skip(deck);
}

// Blocks that make a signal, or pause it: each is announced as it starts.
Walk StartSignalBlock(TapeDeck& deck, const TapeBlock& block) {
  deck.Notify(TAPE_EVENT_BLOCK, deck.blockIndex);
  switch (block.id) {
    case 0x10:
      return StartStandardBlock(deck, block);
    case 0x11:
      return StartTurboBlock(deck, block);
    case 0x12:
      deck.StartTone(FieldU16(block, 1), FieldU16(block, 3), false);
      return Walk::Stop;
    case 0x13:
      deck.StartPulseList(FieldPointer(block, 2), WordsAvailable(block, 2, FieldU8(block, 1)));
      return Walk::Stop;
    case 0x14:
      return StartPureData(deck, block);
    case 0x15:
      deck.StartDirectRecording(block);
      return Walk::Stop;
    case 0x20:
      return PauseOrStop(deck, block);
    case BLOCK_CSW_PIECE:
      deck.StartCsw(block);
      return Walk::Stop;
    default:
      deck.StartSampledAudio(block);
      return Walk::Stop;
  }
}

Walk SequenceBlock(TapeDeck& deck, const TapeBlock& block) {
  switch (block.id) {
    case 0x10:
    case 0x11:
    case 0x12:
    case 0x13:
    case 0x14:
    case 0x15:
    case 0x20:
    case BLOCK_CSW_PIECE:
    case BLOCK_SAMPLED_PIECE:
      return StartSignalBlock(deck, block);
    case 0x23:
      return Jump(deck, block);
    case 0x24:
      return LoopStart(deck, block);
    case 0x25:
      return LoopEnd(deck);
    case 0x26:
      return CallSequence(deck, block);
    case 0x27:
      return ReturnFromSequence(deck);
    case 0x28:
      return SelectBlock(deck);
    case 0x2A:
      return StopIf48K(deck);
    case 0x31:
      return Message(deck);
    default:
      return Skip(deck);
  }
}

WalkPosition PositionOf(const TapeDeck& deck) {
  return WalkPosition{deck.blockIndex, deck.loopStart, deck.loopCount, deck.callBlock, deck.callNext};
}

// Walks from blockIndex until a block starts or the deck stops on one. False
// when the tape ran out, or goes round blocks that play nothing.
bool WalkBlocks(TapeDeck& deck) {
  const std::int32_t count = deck.blockList->GetCount();
  while (deck.blockIndex >= 0 && deck.blockIndex < count) {
    if (!deck.walkGuard.Step(PositionOf(deck), count)) return false;
    if (SequenceBlock(deck, *deck.blockList->GetBlock(deck.blockIndex)) == Walk::Stop) return true;
  }
  return false;
}

// Phase 1 tone, 2 sync, 3 data, 4 pause of a standard speed block.
void AdvanceStandardPhase(TapeDeck& deck, const TapeBlock& block) {
  switch (++deck.phase) {
    case 2:
      deck.StartSync(STANDARD_SYNC_FIRST, STANDARD_SYNC_SECOND);
      break;
    case 3:
      deck.StartData(FieldPointer(block, 5), BytesAvailable(block, 5, FieldU16(block, 3)), 8, STANDARD_ONE_PULSE,
                     STANDARD_ZERO_PULSE);
      break;
    case 4:
      deck.StartPause(FieldU16(block, 1));
      break;
    default:
      deck.AdvanceBlock();
  }
}

void AdvanceTurboPhase(TapeDeck& deck, const TapeBlock& block) {
  switch (++deck.phase) {
    case 2:
      deck.StartSync(FieldU16(block, 3), FieldU16(block, 5));
      break;
    case 3:
      deck.StartData(FieldPointer(block, 19), BytesAvailable(block, 19, FieldU24(block, 16)), FieldU8(block, 13),
                     FieldU16(block, 9), FieldU16(block, 7));
      break;
    case 4:
      deck.StartPause(FieldU16(block, 14));
      break;
    default:
      deck.AdvanceBlock();
  }
}

// Pure data and direct recording: the data phase (3), then the pause (4).
void AdvanceDataPhase(TapeDeck& deck, std::uint16_t pauseMs) {
  if (++deck.phase == 4) {
    deck.StartPause(pauseMs);
  } else {
    deck.AdvanceBlock();
  }
}

// A stop block, a select block or a 48K stop right after a block ends the
// play before that block's pause.
bool StopsBeforePause(const TapeBlock& block) {
  return (block.id == 0x20 && FieldU16(block, 1) == 0) || block.id == 0x28 || block.id == 0x2A;
}

}  // namespace

void TapeDeck::Notify(std::uint32_t code, MessageLParam value) {
  if (notifyWindow != nullptr) platform::PostWindowMessage(notifyWindow, WM_TAPE_EVENT, code, value);
}

const TapeBlock* TapeDeck::CurrentBlock() const {
  if (blockIndex < 0 || blockIndex >= blockList->GetCount()) return nullptr;
  return blockList->GetBlock(blockIndex);
}

// A block that played nothing moves on from inside the walk; the walk then
// goes round again instead of nesting, however many such blocks follow.
void TapeDeck::NextBlock() {
  edgeHandler = nullptr;
  if (sequencing) {
    sequenceAgain = 1;
    return;
  }
  sequencing = 1;
  do {
    sequenceAgain = 0;
    if (!WalkBlocks(*this)) EndOfTape();
  } while (sequenceAgain);
  sequencing = 0;
  if (handlerDue) CallHandler();
}

void TapeDeck::EndOfTape() {
  Halt();
  blockIndex = 0;
  tapeEnded = 1;
  walkGuard.Restart();
  Notify(TAPE_EVENT_BLOCK, 0);
}

void TapeDeck::AdvanceBlock() {
  ++blockIndex;
  NextBlock();
}

void TapeDeck::AdvancePhase() {
  const TapeBlock* block = CurrentBlock();
  const std::int32_t id = block != nullptr ? block->id : -1;
  switch (id) {
    case 0x10:
      AdvanceStandardPhase(*this, *block);
      break;
    case 0x11:
      AdvanceTurboPhase(*this, *block);
      break;
    case 0x14:
      AdvanceDataPhase(*this, FieldU16(*block, 6));
      break;
    case 0x15:
      AdvanceDataPhase(*this, FieldU16(*block, 3));
      break;
    default:
      AdvanceBlock();
  }
}

void TapeDeck::StartPause(std::uint32_t ms) {
  const std::int32_t count = blockList->GetCount();
  std::int32_t next = blockIndex + 1;
  if (next < count && blockList->GetBlock(next)->id == 0x22) ++next;
  if (next >= count) {
    RequestFullSpeed(0);
    ms = LAST_BLOCK_PAUSE_MS;
  } else if (StopsBeforePause(*blockList->GetBlock(next))) {
    Halt();
    blockIndex = next;
    Notify(TAPE_EVENT_BLOCK, next);
    edgeHandler = nullptr;
    return;
  } else if (ms == 0) {
    AdvancePhase();
    return;
  } else if (ms > LONGEST_PAUSE_MS) {
    ms = LONGEST_PAUSE_MS;
  }
  pilotTrapDone = 0;
  QueuePulse(ms * TSTATES_PER_MS);
  pauseToggleTimer = PAUSE_FLIP_PERIOD;
  edgeHandler = &TapeDeck::PlayPause;
  CallHandler();
}

}  // namespace reelbox
