#include "platform/os_version.h"

namespace reelbox::platform {

// The native stand-in reports what Wine reports: Windows 7 (NT 6.1).
OsVersion GetOsVersion() { return OsVersion{2, 6, 1}; }

}  // namespace reelbox::platform
