// The plug-in linked into the program (the core library) instead of opened
// from its shared library, so that a test or benchmark can reach its objects.
#pragma once

#include "host/reference_host.h"

extern "C" reelbox::HResult RB_CALL CreateInstance(reelbox::IUnknown* outer, const reelbox::Guid& riid, void** out);

namespace reelbox::host {

inline HostOptions InProcessPluginOptions() {
  HostOptions options;
  options.createInstance = &CreateInstance;
  return options;
}

}  // namespace reelbox::host
