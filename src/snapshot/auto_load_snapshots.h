// The built-in snapshots that auto-load hands to the host: which one fits the
// machine, and where its bytes are.
#pragma once

#include <cstdint>

namespace reelbox {

// The id of the "ZXSTATE" resource for the host's machine number (0 when it
// has none). speechUnit and code matter for the 16K and 48K machines only;
// ctrlHeld chooses 48 BASIC on the 128K-class machines.
int AutoLoadSnapshotId(std::uint32_t machine, bool speechUnit, bool code, bool ctrlHeld);

struct SnapshotBytes {
  const std::uint8_t* data;  // null when the resource is absent
  std::uint32_t size;
};

// The resource of type "ZXSTATE" with this id in the plug-in's own module
// (natively the same bytes built into the library).
SnapshotBytes FindAutoLoadSnapshot(int id);

}  // namespace reelbox
