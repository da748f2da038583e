// The "ZXSTATE" resources: the auto-load snapshots, zx-state files by
// resource id (115 to 140).
#pragma once

#include <cstdint>

#include "contract/com.h"

namespace reelbox {

// The snapshot of resource id in module; false (and nothing set) when there
// is none. The bytes live as long as the module.
bool FindSnapshotResource(ModuleHandle module, std::uint32_t id, const void** data, std::uint32_t* size);

}  // namespace reelbox
