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

bool Matches(const MachineAccess& machine, std::uint16_t address, const LoaderSignature& signature) {
  for (std::size_t i = 0; i < signature.count; ++i) {
    const SignatureByte& expected = signature.bytes[i];
    if (machine.Byte(Offset(address, expected.offset)) != expected.value) return false;
  }
  return true;
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

}  // namespace reelbox
