// Byte flash loading: a recognised loader's byte loop receives a whole byte at
// each call of its edge routine, its registers set as if it had read the first
// seven bits, so that its own last step reads bit 0.
#include "engine/machine_access.h"
#include "engine/tape_deck.h"

namespace reelbox {
namespace {

constexpr std::uint8_t OPCODE_IN_A_N = 0xDB;
constexpr std::uint8_t PORT_ULA = 0xFE;
constexpr std::uint8_t OPCODE_RET_NC = 0xD0;
constexpr std::uint8_t OPCODE_JR_NC = 0x30;
constexpr std::uint8_t OPCODE_JP_NC = 0xD2;
constexpr std::uint8_t OPCODE_CALL = 0xCD;
constexpr std::uint8_t OPCODE_LD_A_N = 0x3E;
constexpr std::uint8_t OPCODE_CP_B = 0xB8;
constexpr std::uint8_t OPCODE_PREFIX_CB = 0xCB;
constexpr std::uint8_t OPCODE_RL_L = 0x15;

// Memory reads of recognition must cost the emulated CPU no time: the host's
// frame clock is put back afterwards.
class FrameClockKeeper {
 public:
  explicit FrameClockKeeper(IEmulatedMachine* host) : host_(host), clock_(host->GetFrameClock()) {}
  ~FrameClockKeeper() { host_->SetFrameClock(clock_); }
  FrameClockKeeper(const FrameClockKeeper&) = delete;
  FrameClockKeeper& operator=(const FrameClockKeeper&) = delete;

 private:
  IEmulatedMachine* host_;
  std::uint32_t clock_;
};

bool IsByteLoopType(std::int32_t type) { return type >= 1 && type <= 3; }

// Distance from the loader's return address to the operand of its LD A,n
// (the bit threshold).
int ThresholdOffset(std::int32_t type) {
  switch (type) {
    case 1:
      return 2;
    case 2:
      return 3;
    case 3:
    case 4:
    case 5:
      return 4;
    default:
      return 0;
  }
}

// LD A,n; CP B; RL L; LD B,n; JP NC after the return.
bool HasByteLoopTail(const MachineAccess& machine, std::uint16_t base) {
  return machine.Byte(Offset(base, 1)) == OPCODE_LD_A_N && machine.Byte(Offset(base, 3)) == OPCODE_CP_B &&
         machine.Byte(Offset(base, 4)) == OPCODE_PREFIX_CB && machine.Byte(Offset(base, 5)) == OPCODE_RL_L &&
         machine.Byte(Offset(base, 8)) == OPCODE_JP_NC;
}

// Two calls of the edge routine in line: LD A,n; LD A,n; CP B; RL L; JP NC.
bool HasInlineTail(const MachineAccess& machine, std::uint16_t base) {
  return machine.Byte(Offset(base, 1)) == OPCODE_LD_A_N && machine.Byte(Offset(base, 3)) == OPCODE_LD_A_N &&
         machine.Byte(Offset(base, 5)) == OPCODE_CP_B && machine.Byte(Offset(base, 6)) == OPCODE_PREFIX_CB &&
         machine.Byte(Offset(base, 7)) == OPCODE_RL_L && machine.Byte(Offset(base, 10)) == OPCODE_JP_NC;
}

bool IsRetNcCall(const MachineAccess& machine, std::uint16_t retAt, int callOffset, int secondRetOffset) {
  return machine.Byte(retAt) == OPCODE_RET_NC && machine.Byte(Offset(retAt, callOffset)) == OPCODE_CALL &&
         machine.Byte(Offset(retAt, secondRetOffset)) == OPCODE_RET_NC;
}

std::int32_t ClassifyInlineLoader(const MachineAccess& machine, std::uint16_t r1) {
  std::int32_t type = 0;
  std::uint16_t base = r1;
  if (IsRetNcCall(machine, r1, 1, 4)) {
    type = 4;  // in the first of the two calls
    base = Offset(r1, 4);
  } else if (IsRetNcCall(machine, r1, -3, -4)) {
    type = 5;  // in the second call
  } else if (IsRetNcCall(machine, r1, 5, 8)) {
    type = 4;
    base = Offset(r1, 8);
  } else if (IsRetNcCall(machine, r1, -3, -8)) {
    type = 5;
  }
  return type != 0 && HasInlineTail(machine, base) ? type : 0;
}

std::int32_t ClassifyDataLoader(IEmulatedMachine* host) {
  const FrameClockKeeper clock(host);
  const MachineAccess machine(host);
  const std::uint16_t sp = machine.Register(REG_SP);
  const std::uint16_t r1 = machine.Word(sp);
  const std::uint16_t r2 = machine.Word(Offset(sp, 2));
  std::int32_t type = 0;
  std::uint16_t base = r2;
  switch (machine.Byte(r2)) {
    case OPCODE_RET_NC:
      type = 1;
      break;
    case OPCODE_JR_NC:
      type = 2;
      base = Offset(r2, 1);
      break;
    case OPCODE_JP_NC:
      type = 3;
      base = Offset(r2, 2);
      break;
    default:
      break;
  }
  if (type != 0 && HasByteLoopTail(machine, base)) return type;
  return ClassifyInlineLoader(machine, r1);
}

std::uint8_t PlusBit(std::uint8_t value, bool bit) { return static_cast<std::uint8_t>(value + (bit ? 1 : 0)); }

}  // namespace

bool TapeDeck::WatchForFlashLoad() {
  if (!flashLoadWatch || untilEdge > 0 || hostRealTime || host == nullptr) return false;
  const MachineAccess machine(host);
  if (machine.Byte(Offset(machine.Register(REG_PC), -2)) != OPCODE_IN_A_N) return false;

  flashLoadWatch = 0;
  const std::int32_t type = ClassifyDataLoader(host);
  // Both kinds of byte flash load need the option and no input recording.
  if (!flashLoading || inputRecording) return false;
  if (IsByteLoopType(type)) {
    edgeHandler = &TapeDeck::FlashLoadBytes;
  } else if (type == 4 && bytesLeft > 4) {
    inlineFirstByte = 1;
    edgeHandler = &TapeDeck::FlashLoadInlineBytes;
  } else {
    return false;
  }
  CallHandler();
  return true;
}

// Steps shared by both byte handlers: the auto-stop test, and standing still
// while the CPU is not at an IN A,(0xFE).
bool TapeDeck::FlashLoadMayAct() {
  if (loaderCheckDue && AutoStopTest()) return false;
  const MachineAccess machine(host);
  const std::uint16_t pc = machine.Register(REG_PC);
  if (machine.Byte(Offset(pc, -2)) != OPCODE_IN_A_N || machine.Byte(Offset(pc, -1)) != PORT_ULA) {
    SyncClock();
    return false;
  }
  return true;
}

void TapeDeck::HandBackToSound() {
  edgeHandler = &TapeDeck::PlayDataBytes;
  CallHandler();
}

// The wait for the next pulse restarts now, on the bit now current.
void TapeDeck::RestartBitWait(std::uint8_t mask) {
  SyncClock();
  halfBit = 0;
  currentBit = *dataCursor & mask;
  currentPulse = currentBit ? onePulse : zeroPulse;
  untilEdge = static_cast<std::int32_t>(currentPulse);
}

void TapeDeck::ToggleBorder() {
  if (displayObject == nullptr) return;
  displayObject->WritePort(PORT_ULA, borderToggle);
  borderToggle ^= 1;
}

void TapeDeck::FlashLoadBytes() {
  if (!FlashLoadMayAct()) return;
  if (bytesLeft <= 3) return HandBackToSound();  // the last bytes play as sound
  const std::int32_t type = ClassifyDataLoader(host);
  if (hostRealTime || !IsByteLoopType(type)) {
    flashLoadWatch = 1;
    return HandBackToSound();
  }

  const MachineAccess machine(host);
  std::uint16_t hl = machine.Register(REG_HL);
  std::uint16_t bc = machine.Register(REG_BC);
  const std::uint16_t af = machine.Register(REG_AF);
  machine.Pop();
  const std::uint16_t loop = machine.Pop();

  // Seven bits under the marker in L; B decides bit 0 against the threshold.
  const std::uint8_t byte = *dataCursor++;
  hl = WithLowByte(hl, static_cast<std::uint8_t>((byte >> 1) | 0x80));
  bc = WithHighByte(bc, PlusBit(machine.Byte(Offset(loop, ThresholdOffset(type))), byte & 1));
  bitMask = 0x80;
  --bytesLeft;
  RestartBitWait(0x80);

  machine.SetRegister(REG_AF, WithCarry(af, true));
  machine.SetRegister(REG_HL, hl);
  machine.SetRegister(REG_BC, bc);
  machine.SetRegister(REG_PC, loop);
  ToggleBorder();
}

void TapeDeck::FlashLoadInlineBytes() {
  if (!FlashLoadMayAct()) return;
  if (bytesLeft <= 4) return HandBackToSound();
  const std::int32_t type = ClassifyDataLoader(host);
  if (hostRealTime || (type != 4 && type != 5)) return HandBackToSound();

  const MachineAccess machine(host);
  if (type == 4) {
    // First of the two edge calls: only the bit's timing count.
    const std::uint16_t bc = machine.Register(REG_BC);
    const std::uint16_t af = machine.Register(REG_AF);
    const std::uint16_t loop = machine.Pop();
    machine.SetRegister(REG_AF, WithCarry(af, true));
    machine.SetRegister(REG_BC, WithHighByte(bc, (*dataCursor & bitMask) ? 0xF0 : 0x00));
    machine.SetRegister(REG_PC, loop);
    return;
  }

  std::uint16_t hl = machine.Register(REG_HL);
  std::uint16_t bc = machine.Register(REG_BC);
  const std::uint16_t af = machine.Register(REG_AF);
  const std::uint16_t loop = machine.Pop();
  std::uint8_t l = LowByte(hl);
  std::uint8_t b = machine.Byte(Offset(loop, 4));
  DeliverInlineByte(&l, &b);
  RestartBitWait(bitMask);

  machine.SetRegister(REG_AF, WithCarry(af, true));
  machine.SetRegister(REG_HL, WithLowByte(hl, l));
  machine.SetRegister(REG_BC, WithHighByte(bc, b));
  machine.SetRegister(REG_PC, loop);
  ToggleBorder();
}

// The loader may have been caught mid-byte: it keeps its own byte boundary,
// and each byte it receives is the tail of one tape byte and the head of the next.
void TapeDeck::DeliverInlineByte(std::uint8_t* l, std::uint8_t* b) {
  const std::uint8_t current = *dataCursor;
  if (inlineFirstByte) {
    bitMask = 0x80;
    inlineRightShift = 8;
    while ((*l & bitMask) == 0 && inlineRightShift > 1) {
      bitMask >>= 1;
      --inlineRightShift;
    }
    inlineLeftShift = 8 - inlineRightShift;
    *l = static_cast<std::uint8_t>((*l << inlineLeftShift) | (current >> inlineRightShift));
    *b = PlusBit(*b, current & bitMask);
    bitMask >>= 1;
    inlineFirstByte = 0;
    if (bitMask == 0) {
      ++dataCursor;
      bitMask = 0x80;
      inlineRightShift = 0;
      --bytesLeft;
    }
  } else if (inlineRightShift == 0) {
    *l = static_cast<std::uint8_t>((current >> 1) | 0x80);
    *b = PlusBit(*b, current & 1);
    bitMask = 0x80;
    ++dataCursor;
    --bytesLeft;
  } else {
    const std::uint8_t following = dataCursor[1];
    ++dataCursor;
    *l = static_cast<std::uint8_t>((current << inlineLeftShift) | (following >> inlineRightShift) | 0x80);
    *b = PlusBit(*b, following & (bitMask << 1));
    --bytesLeft;
  }
}

}  // namespace reelbox
