// Byte patterns of tape loaders' leader and edge loops, looked for in
// emulated memory around a return address.
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

}  // namespace reelbox
