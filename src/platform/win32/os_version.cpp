#include "platform/os_version.h"

#include <windows.h>

namespace reelbox::platform {

// GetVersionExA is deprecated because, without a manifest, it reports Windows 8
// at most; the version is only used to tell the NT family and old releases
// apart, which it still does.
OsVersion GetOsVersion() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const BOOL known = GetVersionExA(&info);
#pragma GCC diagnostic pop
  if (!known) return OsVersion{0, 0, 0};
  return OsVersion{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

}  // namespace reelbox::platform
