// Pilot skip, whole-block flash loading through the ROM loader, and edge
// detection: short cuts that read and set the emulated Z80 through the host.
#include "engine/loader_signatures.h"
#include "engine/machine_access.h"
#include "engine/tape_deck.h"
#include "tape/byte_cursor.h"

namespace reelbox {
namespace {

constexpr std::uint8_t OPCODE_IN_A_N = 0xDB;
constexpr std::uint16_t ROM_EDGE_SAMPLER = 0x05F3;  // just after LD-EDGE-1's IN
constexpr std::uint16_t ROM_TWO_EDGES = 0x05E6;     // LD-EDGE-2's return from its first LD-EDGE-1
constexpr std::uint16_t ROM_VERIFY_REQUEST = 963;   // never flash-loaded: a loader that checks its own timing

// Pause after a flash-loaded data block, ms: the ROM has no use for a long one.
std::uint32_t FlashLoadedPause(std::uint32_t pauseMs) { return (pauseMs > 500 && pauseMs <= 1500) ? 500 : pauseMs; }

}  // namespace

void TapeDeck::TryPilotSkip() {
  if (!pilotTrapArmed || pilotTrapDone || untilEdge > 0 || hostRealTime || host == nullptr) return;
  const MachineAccess machine(host);
  const std::uint16_t pc = machine.Register(REG_PC);
  if (machine.Byte(Offset(pc, -2)) != OPCODE_IN_A_N) return;

  pilotTrapArmed = 0;
  const std::uint16_t sp = machine.Register(REG_SP);
  std::uint16_t loop = machine.Word(Offset(sp, 2));
  std::int32_t type = MatchLoaderSignature(machine, loop, LeaderSignatures);
  if (type == 0) {
    loop = machine.Word(sp);
    type = MatchLoaderSignature(machine, loop, EdgeSignatures);
  }
  if (type == 0) return;

  pilotTrapDone = 1;
  std::uint16_t hl = machine.Register(REG_HL);
  std::uint16_t bc = machine.Register(REG_BC);
  pulsesLeft = 2;
  // The leader counter one step from done, the timing count above its threshold.
  switch (type) {
    case 1:
    case 5:
      hl = WithHighByte(hl, 0xFF);
      bc = WithHighByte(bc, static_cast<std::uint8_t>(machine.Byte(Offset(loop, 3)) + 1));
      break;
    case 2:
      hl = WithHighByte(hl, 0xFF);
      bc = WithHighByte(bc, static_cast<std::uint8_t>(machine.Byte(Offset(loop, 1)) + 1));
      break;
    case 3:
      hl = WithHighByte(hl, 0x01);
      bc = WithHighByte(bc, static_cast<std::uint8_t>(machine.Byte(Offset(loop, 3)) + 1));
      break;
    case 6:
      hl = WithHighByte(hl, 0xFE);
      bc = WithHighByte(bc, static_cast<std::uint8_t>(machine.Byte(Offset(loop, 3)) + 1));
      pulsesLeft = 1;
      pilotTrapDone = 0;  // this loop may be caught again in a later frame
      break;
    default:
      break;
  }
  machine.SetRegister(REG_HL, hl);
  machine.SetRegister(REG_BC, bc);
}

void TapeDeck::FlashLoadRomBlock() {
  if (!fastLoading || !flashLoading || !romLoadable || inputRecording || host == nullptr) return;
  const TapeBlock* block = blockList->GetBlock(blockIndex);
  if (block == nullptr || block->id != 0x10 || block->size < 6) return;
  const MachineAccess machine(host);
  if (machine.Register(REG_PC) != ROM_EDGE_SAMPLER) return;

  const std::uint16_t sp = machine.Register(REG_SP);
  const int pops = machine.Word(sp) == ROM_TWO_EDGES ? 3 : 2;
  const std::uint16_t afAlt = machine.Register(REG_AF_ALT);
  if ((afAlt & 1) == 0) return;  // carry clear: the ROM verifies, it does not load

  const std::uint8_t flag = block->data[5];
  if (flag != 0x00 && flag != 0xFF) return;
  if (HighByte(afAlt) != flag) {
    AdvanceBlock();  // not the block the ROM asks for: it keeps searching
    return;
  }
  std::uint16_t ix = machine.Register(REG_IX);
  const std::uint16_t de = machine.Register(REG_DE);
  if (de == ROM_VERIFY_REQUEST) {
    romLoadable = 0;
    return;
  }

  // The bytes between the flag and the checksum, or as many as the ROM asked for.
  const std::uint32_t length = ReadU16(block->data + 3);
  const std::uint32_t available = block->size - 6;
  std::uint32_t count = length >= 2 ? length - 2 : 0;
  if (count > available) count = available;
  if (de < count) count = de;
  std::uint8_t check = flag;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t byte = block->data[6 + i];
    machine.SetByte(ix, byte);
    ix = Offset(ix, 1);
    check ^= byte;
  }
  const bool checksumThere = 6 + count < block->size;
  const bool loaded = checksumThere && block->data[6 + count] == check && de == count;

  machine.SetRegister(REG_DE, static_cast<std::uint16_t>(de - count));
  machine.SetRegister(REG_AF, WithCarry(afAlt, loaded));
  machine.SetRegister(REG_IX, ix);
  std::uint16_t returnAddress = 0;
  for (int i = 0; i < pops; ++i) returnAddress = machine.Pop();
  machine.SetRegister(REG_PC, returnAddress);

  ContinueAfterFlashLoad(*block, flag);
  earLevel ^= 0x40;
  noiseRestart = 1;
}

// A header is followed at once by its data; after a data block the tape pauses,
// or stops when auto play will start it again at the next load.
void TapeDeck::ContinueAfterFlashLoad(const TapeBlock& block, std::uint8_t flag) {
  if (flag == 0x00) {
    AdvanceBlock();
    return;
  }
  phase = 4;
  const std::uint32_t pauseMs = FlashLoadedPause(ReadU16(block.data + 1));
  if (blockIndex + 1 >= blockList->GetCount()) {
    AdvanceBlock();
  } else if (autoPlayStop) {
    AdvanceBlock();
    Halt();
  } else {
    StartPause(pauseMs);
  }
}

// A loader that has read the port from the same loop three times running, its
// count B rising by one each time, gets the next edge at once.
void TapeDeck::DetectEdge(std::uint16_t pc, std::uint8_t b, std::uint16_t bc) {
  if (flashLoadWatch || !edgeDetectNow || hostRealTime || host == nullptr) return;
  if (pc == lastPC && b == static_cast<std::uint8_t>(lastB + 1)) {
    --sampleLoopCount;
  } else {
    sampleLoopCount = 2;
  }
  if (sampleLoopCount <= 0) {
    untilEdge = 0;
    if (currentBit) host->SetRegister(REG_BC, WithHighByte(bc, 0xF0));
  }
}

}  // namespace reelbox
