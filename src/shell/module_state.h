// The only module-wide state: the module handle and the live-object count.
#pragma once

#include <atomic>
#include <cstdint>

#include "contract/com.h"

namespace reelbox {

// The library's module handle, stored when the process attaches the library.
extern ModuleHandle moduleInstance;
// Plug-in objects alive in this process.
extern std::atomic<std::int32_t> liveObjectCount;

}  // namespace reelbox
