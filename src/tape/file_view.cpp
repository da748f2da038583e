#include "tape/file_view.h"

namespace reelbox {

// The view stays valid once the file is closed.
HResult MapWholeFile(const char* path, std::uint64_t* size, std::unique_ptr<platform::MappedView>* view) {
  platform::File file;
  HResult result = file.OpenForSharedRead(path);
  if (Failed(result)) return result;
  result = file.GetSize(size);
  if (Failed(result) || *size == 0) return result;
  return platform::MapReadOnly(file, *size, view);
}

}  // namespace reelbox
