#include "tape/file_view.h"

namespace reelbox {
namespace {

using MakeView = HResult (*)(const platform::File&, std::uint64_t, std::unique_ptr<platform::MappedView>*);

// Either view stays valid once the file is closed.
HResult OpenWholeFile(const char* path, std::uint64_t* size, std::unique_ptr<platform::MappedView>* view,
                      MakeView make) {
  platform::File file;
  HResult result = file.OpenForSharedRead(path);
  if (Failed(result)) return result;
  result = file.GetSize(size);
  if (Failed(result) || *size == 0) return result;
  return make(file, *size, view);
}

}  // namespace

HResult ViewWholeFile(const char* path, std::uint64_t* size, std::unique_ptr<platform::MappedView>* view) {
  return OpenWholeFile(path, size, view, platform::ViewReadOnly);
}

HResult MapWholeFile(const char* path, std::uint64_t* size, std::unique_ptr<platform::MappedView>* view) {
  return OpenWholeFile(path, size, view, platform::MapReadOnly);
}

}  // namespace reelbox
