// The whole of a tape file as one read-only view, for the readers that parse
// files in memory.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/file.h"

namespace reelbox {

// Opens path for reading (others may read it too), sets *size and maps all of
// it. An empty file cannot be mapped: it yields RESULT_OK, *size 0 and no view.
// Failures are system error results.
HResult MapWholeFile(const char* path, std::uint64_t* size, std::unique_ptr<platform::MappedView>* view);

}  // namespace reelbox
