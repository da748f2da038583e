// The whole of a tape file as one read-only view, for the readers that parse
// files in memory; nothing done to the file once it is open reaches the view.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/file.h"

namespace reelbox {

// Opens path for reading (others may read it too), sets *size and makes a view
// of all of it (platform::ViewReadOnly). An empty file yields RESULT_OK, *size
// 0 and no view. Failures are system error results.
HResult ViewWholeFile(const char* path, std::uint64_t* size, std::unique_ptr<platform::MappedView>* view);

// The same with a plain mapping (platform::MapReadOnly), for a parse that
// reads the file once under platform::RunGuarded and keeps nothing that
// points into it: cheaper than a copy for files of which it reads little.
HResult MapWholeFile(const char* path, std::uint64_t* size, std::unique_ptr<platform::MappedView>* view);

}  // namespace reelbox
