// The operating system's version, as GetVersionEx reports it.
#pragma once

#include <cstdint>

namespace reelbox::platform {

struct OsVersion {
  std::uint32_t platformId;  // 2: Windows NT family
  std::uint32_t major;
  std::uint32_t minor;
};

OsVersion GetOsVersion();

}  // namespace reelbox::platform
