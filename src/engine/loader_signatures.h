// Byte patterns of tape loaders' leader, edge and byte loops, looked for in
// emulated memory around return addresses.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/machine_access.h"

namespace reelbox {

struct SignatureByte {
  std::int8_t offset;
  std::uint8_t value;
};

struct LoaderSignature {
  std::int32_t type;
  const SignatureByte* bytes;
  std::size_t count;
};

struct SignatureTable {
  const LoaderSignature* entries;
  std::size_t count;
};

// Tried at the return address of the routine that called the edge routine.
extern const SignatureTable LeaderSignatures;
// Tried at the edge routine's own return address.
extern const SignatureTable EdgeSignatures;

// The type of the first entry whose every byte matches memory at address +
// offset, or 0.
std::int32_t MatchLoaderSignature(const MachineAccess& machine, std::uint16_t address, const SignatureTable& table);

// The byte loop that called the edge routine now running, from the two words
// on top of the stack: 1-3 a loop calling a two-edge routine and testing its
// carry with RET NC, JR NC or JP NC; 4 and 5 a loop calling a one-edge routine
// twice in line (4: in the first call, 5: in the second); 0 none.
std::int32_t ClassifyDataLoader(const MachineAccess& machine);
// Types 4, 5 or 0 for an edge routine returning to returnAddress.
std::int32_t ClassifyInlineLoader(const MachineAccess& machine, std::uint16_t returnAddress);
// Distance from a byte loop's return address to the operand of its LD A,n,
// the bit threshold; 0 for an unknown type.
int ThresholdOffset(std::int32_t type);

}  // namespace reelbox
