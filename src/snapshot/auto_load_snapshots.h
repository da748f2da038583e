// The built-in snapshots that auto-load hands to the host: which one fits the
// machine, and where its bytes are.
#pragma once

#include <cstdint>

namespace reelbox {

// The id of the "ZXSTATE" resource for the host's machine number (0 when it
// has none). speechUnit and code matter for the 16K and 48K machines only;
// ctrlHeld chooses 48 BASIC on the 128K-class machines.
int AutoLoadSnapshotId(std::uint32_t machine, bool speechUnit, bool code, bool ctrlHeld);

}  // namespace reelbox
