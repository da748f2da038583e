#include "shell/module_state.h"

namespace reelbox {

ModuleHandle moduleInstance = nullptr;
std::atomic<std::int32_t> liveObjectCount{0};

}  // namespace reelbox
