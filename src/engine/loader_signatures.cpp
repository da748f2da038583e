#include "engine/loader_signatures.h"

namespace reelbox {
namespace {

// LD B,n; CALL edge; JR NC; LD A,n; CP B; JR NC; INC H; JR NZ (the ROM's leader loop).
constexpr SignatureByte LEADER_INC_H[] = {{0, 0x30}, {2, 0x3E}, {4, 0xB8},  {5, 0x30},
                                          {7, 0x24}, {8, 0x20}, {-3, 0xCD}, {-5, 0x06}};
// The same counting down with DEC H.
constexpr SignatureByte LEADER_DEC_H[] = {{0, 0x30}, {2, 0x3E}, {4, 0xB8},  {5, 0x30},
                                          {7, 0x25}, {8, 0x20}, {-3, 0xCD}, {-5, 0x06}};
// No JR NC after the call.
constexpr SignatureByte LEADER_NO_TEST[] = {{0, 0x3E}, {2, 0xB8},  {3, 0x30}, {5, 0x24},
                                            {6, 0x20}, {-3, 0xCD}, {-5, 0x06}};
// A leader loop with LD A,n before the LD B,n and a second call after it.
constexpr SignatureByte LEADER_TWO_CALLS[] = {{0, 0x30},  {2, 0x3E},  {4, 0xB8},  {5, 0x30},  {7, 0x24}, {8, 0x20},
                                              {10, 0x06}, {12, 0xCD}, {-3, 0xCD}, {-5, 0x3E}, {-7, 0x06}};

constexpr SignatureByte EDGE_COMPARE_B[] = {{0, 0x30},  {2, 0x78},  {3, 0xFE},  {5, 0x30}, {7, 0xCD},
                                            {10, 0x30}, {12, 0x1E}, {-3, 0xCD}, {-5, 0x06}};
constexpr SignatureByte EDGE_TWO_CALLS[] = {{0, 0x30},  {2, 0x3E},  {4, 0xB8},  {5, 0x30},  {7, 0x24}, {8, 0x20},
                                            {10, 0x06}, {12, 0x3E}, {-3, 0xCD}, {-5, 0x3E}, {-7, 0x06}};

template <std::size_t N>
constexpr LoaderSignature Signature(std::int32_t type, const SignatureByte (&bytes)[N]) {
  return LoaderSignature{type, bytes, N};
}

// Order matters: the first match wins.
constexpr LoaderSignature LEADER_ENTRIES[] = {Signature(1, LEADER_INC_H), Signature(3, LEADER_DEC_H),
                                              Signature(2, LEADER_NO_TEST), Signature(5, LEADER_TWO_CALLS)};
constexpr LoaderSignature EDGE_ENTRIES[] = {Signature(4, EDGE_COMPARE_B), Signature(6, EDGE_TWO_CALLS)};

constexpr std::uint8_t OPCODE_RET_NC = 0xD0;
constexpr std::uint8_t OPCODE_JR_NC = 0x30;
constexpr std::uint8_t OPCODE_JP_NC = 0xD2;
constexpr std::uint8_t OPCODE_CALL = 0xCD;
constexpr std::uint8_t OPCODE_LD_A_N = 0x3E;
constexpr std::uint8_t OPCODE_CP_B = 0xB8;
constexpr std::uint8_t OPCODE_PREFIX_CB = 0xCB;
constexpr std::uint8_t OPCODE_RL_L = 0x15;

bool Matches(const MachineAccess& machine, std::uint16_t address, const LoaderSignature& signature) {
  for (std::size_t i = 0; i < signature.count; ++i) {
    const SignatureByte& expected = signature.bytes[i];
    if (machine.Byte(Offset(address, expected.offset)) != expected.value) return false;
  }
  return true;
}

// LD A,n; CP B; RL L; LD B,n; JP NC after the return.
bool HasByteLoopTail(const MachineAccess& machine, std::uint16_t base) {
  return machine.Byte(Offset(base, 1)) == OPCODE_LD_A_N && machine.Byte(Offset(base, 3)) == OPCODE_CP_B &&
         machine.Byte(Offset(base, 4)) == OPCODE_PREFIX_CB && machine.Byte(Offset(base, 5)) == OPCODE_RL_L &&
         machine.Byte(Offset(base, 8)) == OPCODE_JP_NC;
}

// After the second edge call: LD A,n; LD A,n; CP B; RL L; LD B,n; JP NC.
bool HasInlineTail(const MachineAccess& machine, std::uint16_t base) {
  return machine.Byte(Offset(base, 1)) == OPCODE_LD_A_N && machine.Byte(Offset(base, 3)) == OPCODE_LD_A_N &&
         machine.Byte(Offset(base, 5)) == OPCODE_CP_B && machine.Byte(Offset(base, 6)) == OPCODE_PREFIX_CB &&
         machine.Byte(Offset(base, 7)) == OPCODE_RL_L && machine.Byte(Offset(base, 10)) == OPCODE_JP_NC;
}

// RET NC at retAt, a CALL at retAt + callOffset and another RET NC at retAt +
// otherRetOffset: one of two edge calls in line.
bool IsRetNcCall(const MachineAccess& machine, std::uint16_t retAt, int callOffset, int otherRetOffset) {
  return machine.Byte(retAt) == OPCODE_RET_NC && machine.Byte(Offset(retAt, callOffset)) == OPCODE_CALL &&
         machine.Byte(Offset(retAt, otherRetOffset)) == OPCODE_RET_NC;
}

}  // namespace

const SignatureTable LeaderSignatures = {LEADER_ENTRIES, sizeof LEADER_ENTRIES / sizeof LEADER_ENTRIES[0]};
const SignatureTable EdgeSignatures = {EDGE_ENTRIES, sizeof EDGE_ENTRIES / sizeof EDGE_ENTRIES[0]};

std::int32_t MatchLoaderSignature(const MachineAccess& machine, std::uint16_t address, const SignatureTable& table) {
  for (std::size_t i = 0; i < table.count; ++i) {
    if (Matches(machine, address, table.entries[i])) return table.entries[i].type;
  }
  return 0;
}

// The calls lie next to each other or four bytes apart.
std::int32_t ClassifyInlineLoader(const MachineAccess& machine, std::uint16_t returnAddress) {
  std::int32_t type = 0;
  std::uint16_t base = returnAddress;
  if (IsRetNcCall(machine, returnAddress, 1, 4)) {
    type = 4;
    base = Offset(returnAddress, 4);
  } else if (IsRetNcCall(machine, returnAddress, -3, -4)) {
    type = 5;
  } else if (IsRetNcCall(machine, returnAddress, 5, 8)) {
    type = 4;
    base = Offset(returnAddress, 8);
  } else if (IsRetNcCall(machine, returnAddress, -3, -8)) {
    type = 5;
  }
  return type != 0 && HasInlineTail(machine, base) ? type : 0;
}

// The word on top of the stack is the edge routine's return address; for a
// two-edge routine the word below it returns into the byte loop.
std::int32_t ClassifyDataLoader(const MachineAccess& machine) {
  const std::uint16_t sp = machine.Register(REG_SP);
  const std::uint16_t edgeReturn = machine.Word(sp);
  const std::uint16_t loopReturn = machine.Word(Offset(sp, 2));
  std::int32_t type = 0;
  std::uint16_t base = loopReturn;
  switch (machine.Byte(loopReturn)) {
    case OPCODE_RET_NC:
      type = 1;
      break;
    case OPCODE_JR_NC:
      type = 2;
      base = Offset(loopReturn, 1);
      break;
    case OPCODE_JP_NC:
      type = 3;
      base = Offset(loopReturn, 2);
      break;
    default:
      break;
  }
  if (type != 0 && HasByteLoopTail(machine, base)) return type;
  return ClassifyInlineLoader(machine, edgeReturn);
}

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

}  // namespace reelbox
