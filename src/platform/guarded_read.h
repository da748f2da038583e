// Reads of mapped file memory that turn a read fault (the file shrank, or its
// medium failed) into a result code instead of ending the process.
#pragma once

#include "contract/com.h"

namespace reelbox::platform {

using GuardedFunction = HResult (*)(void* context);

// Runs function(context). If it faults reading mapped memory, the call ends and
// the result is the one made from the system's last error.
HResult RunGuarded(GuardedFunction function, void* context);

template <typename Callable>
HResult RunGuarded(Callable& callable) {
  return RunGuarded([](void* context) -> HResult { return (*static_cast<Callable*>(context))(); }, &callable);
}

}  // namespace reelbox::platform
