#include "host/snapshot_handler.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace reelbox::host {
namespace {

constexpr const char* const EXTENSIONS[] = {".szx"};
constexpr std::uint32_t OPENS_LISTED_EXTENSIONS = 2;

}  // namespace

HResult SnapshotHandler::QueryInterface(const Guid& riid, void** out) {
  if (out == nullptr) return RESULT_FAIL;
  *out = nullptr;
  if (riid != IID_IUnknown && riid != IID_IMediaHandler) return RESULT_NOINTERFACE;
  AddRef();
  *out = static_cast<IMediaHandler*>(this);
  return RESULT_OK;
}

HResult SnapshotHandler::OpenMedia(const char* path, IMediaHost*, std::uint32_t) {
  if (path == nullptr) return RESULT_FAIL;
  std::ifstream file(path, std::ios::binary);
  if (!file) return ResultFromSystemError(2);  // file not found
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return OpenMediaFromMemory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), nullptr, 0);
}

HResult SnapshotHandler::OpenMediaFromMemory(const void* data, std::uint32_t size, IMediaHost*, std::uint32_t) {
  if (data == nullptr && size != 0) return RESULT_FAIL;
  ++opened_;
  return loader_(static_cast<const std::uint8_t*>(data), size);
}

HResult SnapshotHandler::GetCapabilities(std::uint32_t* flags) {
  if (flags == nullptr) return RESULT_FAIL;
  *flags = OPENS_LISTED_EXTENSIONS;
  return RESULT_OK;
}

HResult SnapshotHandler::GetFilterText(std::uint32_t, char* buffer, std::int32_t size) {
  static const char TEXT[] = "zx-state snapshots (*.szx)";
  if (buffer == nullptr || size < static_cast<std::int32_t>(sizeof TEXT)) return RESULT_FAIL;
  std::memcpy(buffer, TEXT, sizeof TEXT);
  return RESULT_OK;
}

HResult SnapshotHandler::GetExtensions(std::uint32_t kind, const char* const** list, std::uint32_t* count) {
  if (list == nullptr || count == nullptr || kind != 2) return RESULT_FAIL;
  *list = EXTENSIONS;
  *count = 1;
  return RESULT_OK;
}

}  // namespace reelbox::host
