#include "platform/file.h"

#include <windows.h>

#include <utility>

#include "platform/system_error.h"

namespace reelbox::platform {
namespace {

HANDLE Win32Handle(NativeFileHandle handle) { return reinterpret_cast<HANDLE>(handle); }
NativeFileHandle Native(HANDLE handle) { return reinterpret_cast<NativeFileHandle>(handle); }

constexpr NativeFileHandle NO_FILE = -1;  // INVALID_HANDLE_VALUE
static_assert(sizeof(NativeFileHandle) == sizeof(HANDLE), "a HANDLE fits the native file handle");

class Win32MappedView final : public MappedView {
 public:
  Win32MappedView(const void* address, std::size_t size) : address_(address), size_(size) {}
  ~Win32MappedView() override { UnmapViewOfFile(address_); }
  const std::uint8_t* Data() const override { return static_cast<const std::uint8_t*>(address_); }
  std::size_t Size() const override { return size_; }

 private:
  const void* address_;
  std::size_t size_;
};

HResult Open(NativeFileHandle* handle, const char* path, DWORD access, DWORD disposition, DWORD flags,
             DWORD share = FILE_SHARE_READ) {
  HANDLE file = CreateFileA(path, access, share, nullptr, disposition, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastErrorResult();
  *handle = Native(file);
  return RESULT_OK;
}

}  // namespace

File::~File() { Close(); }

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, NO_FILE)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, NO_FILE);
  }
  return *this;
}

HResult File::OpenForSharedRead(const char* path) {
  Close();
  return Open(&handle_, path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
}

HResult File::OpenForSequentialRead(const char* path) {
  Close();
  return Open(&handle_, path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
}

HResult File::OpenForReadWrite(const char* path, bool truncate) {
  Close();
  return Open(&handle_, path, GENERIC_READ | GENERIC_WRITE, truncate ? CREATE_ALWAYS : OPEN_ALWAYS,
              FILE_ATTRIBUTE_NORMAL);
}

HResult File::CreateExclusive(const char* path) {
  Close();
  return Open(&handle_, path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
}

HResult File::OpenExistingForWrite(const char* path) {
  Close();
  return Open(&handle_, path, GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
}

bool File::IsOpen() const { return handle_ != NO_FILE; }

void File::Close() {
  if (handle_ != NO_FILE) CloseHandle(Win32Handle(handle_));
  handle_ = NO_FILE;
}

HResult File::GetSize(std::uint64_t* size) const {
  LARGE_INTEGER length;
  if (!GetFileSizeEx(Win32Handle(handle_), &length)) return LastErrorResult();
  *size = static_cast<std::uint64_t>(length.QuadPart);
  return RESULT_OK;
}

HResult File::GetStamp(FileStamp* stamp) const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(Win32Handle(handle_), &info)) return LastErrorResult();
  stamp->volume = info.dwVolumeSerialNumber;
  stamp->index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  stamp->size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  stamp->written = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                             info.ftLastWriteTime.dwLowDateTime);
  return RESULT_OK;
}

HResult File::Seek(std::uint64_t position) const {
  LARGE_INTEGER distance;
  distance.QuadPart = static_cast<LONGLONG>(position);
  if (!SetFilePointerEx(Win32Handle(handle_), distance, nullptr, FILE_BEGIN)) return LastErrorResult();
  return RESULT_OK;
}

HResult File::Tell(std::uint64_t* position) const {
  LARGE_INTEGER zero = {};
  LARGE_INTEGER at;
  if (!SetFilePointerEx(Win32Handle(handle_), zero, &at, FILE_CURRENT)) return LastErrorResult();
  *position = static_cast<std::uint64_t>(at.QuadPart);
  return RESULT_OK;
}

HResult File::Read(void* buffer, std::uint32_t count, std::uint32_t* bytesRead) const {
  std::uint32_t total = 0;
  while (total < count) {
    DWORD got = 0;
    if (!ReadFile(Win32Handle(handle_), static_cast<std::uint8_t*>(buffer) + total, count - total, &got, nullptr)) {
      *bytesRead = total;
      return LastErrorResult();
    }
    if (got == 0) break;
    total += got;
  }
  *bytesRead = total;
  return RESULT_OK;
}

HResult File::Write(const void* buffer, std::uint32_t count) const {
  std::uint32_t total = 0;
  while (total < count) {
    DWORD put = 0;
    if (!WriteFile(Win32Handle(handle_), static_cast<const std::uint8_t*>(buffer) + total, count - total, &put,
                   nullptr)) {
      return LastErrorResult();
    }
    total += put;
  }
  return RESULT_OK;
}

HResult File::SeekToEnd(std::uint64_t* position) const {
  LARGE_INTEGER zero = {};
  LARGE_INTEGER at;
  if (!SetFilePointerEx(Win32Handle(handle_), zero, &at, FILE_END)) return LastErrorResult();
  *position = static_cast<std::uint64_t>(at.QuadPart);
  return RESULT_OK;
}

HResult File::Truncate(std::uint64_t size) const {
  HResult result = Seek(size);
  if (Failed(result)) return result;
  if (!SetEndOfFile(Win32Handle(handle_))) return LastErrorResult();
  return RESULT_OK;
}

HResult DeleteFileAt(const char* path) {
  if (!DeleteFileA(path)) return LastErrorResult();
  return RESULT_OK;
}

// The view holds its own reference to the section: it stays valid after the
// mapping handle and the file are closed.
HResult MapReadOnly(const File& file, std::uint64_t size, std::unique_ptr<MappedView>* view) {
  if (size == 0 || size > SIZE_MAX) {
    SetLastSystemError(ERROR_INVALID_PARAMETER);
    return LastErrorResult();
  }
  HANDLE mapping = CreateFileMappingA(Win32Handle(file.Handle()), nullptr, PAGE_READONLY,
                                      static_cast<DWORD>(size >> 32), static_cast<DWORD>(size), nullptr);
  if (mapping == nullptr) return LastErrorResult();
  const void* address = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(size));
  const DWORD error = GetLastError();
  CloseHandle(mapping);
  if (address == nullptr) {
    SetLastError(error);
    return LastErrorResult();
  }
  view->reset(new Win32MappedView(address, static_cast<std::size_t>(size)));
  return RESULT_OK;
}

// While the view exists the system keeps the file whole: truncating it fails
// with ERROR_USER_MAPPED_FILE and deleting or replacing it with
// ERROR_ACCESS_DENIED.
HResult ViewReadOnly(const File& file, std::uint64_t size, std::unique_ptr<MappedView>* view) {
  return MapReadOnly(file, size, view);
}

}  // namespace reelbox::platform
