// The reference host's compression service: zlib behind ICompressionService.
#pragma once

#include "contract/host_interfaces.h"

namespace reelbox::host {

// A new service holding one reference, or null when out of memory.
ICompressionService* CreateCompressionService();

}  // namespace reelbox::host
