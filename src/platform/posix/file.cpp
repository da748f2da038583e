#include "platform/file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/memory_section.h"
#include "platform/posix/errno_error.h"
#include "platform/system_error.h"

namespace reelbox::platform {
namespace {

constexpr std::int32_t ERROR_FILE_INVALID = 1006;

int Fd(NativeFileHandle handle) { return static_cast<int>(handle); }

class PosixMappedView final : public MappedView {
 public:
  PosixMappedView(void* address, std::size_t size) : address_(address), size_(size) {}
  ~PosixMappedView() override { munmap(address_, size_); }
  const std::uint8_t* Data() const override { return static_cast<const std::uint8_t*>(address_); }
  std::size_t Size() const override { return size_; }

 private:
  void* address_;
  std::size_t size_;
};

// Reads up to count bytes at offset; *got falls short only at the end of the file.
HResult ReadAt(int fd, std::uint8_t* buffer, std::size_t count, std::uint64_t offset, std::size_t* got) {
  *got = 0;
  while (*got < count) {
    const ssize_t read = pread(fd, buffer + *got, count - *got, static_cast<off_t>(offset + *got));
    if (read < 0 && errno == EINTR) continue;
    if (read < 0) return FailFromErrno();
    if (read == 0) break;
    *got += static_cast<std::size_t>(read);
  }
  return RESULT_OK;
}

HResult OpenWithFlags(NativeFileHandle* handle, const char* path, int flags) {
  int fd = ::open(path, flags | O_CLOEXEC, 0644);
  if (fd < 0) return FailFromErrno();
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return FailFromErrno();
  }
  *handle = fd;
  return RESULT_OK;
}

}  // namespace

File::~File() { Close(); }

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, -1);
  }
  return *this;
}

HResult File::OpenForSharedRead(const char* path) {
  Close();
  return OpenWithFlags(&handle_, path, O_RDONLY);
}

HResult File::OpenForSequentialRead(const char* path) {
  HResult result = OpenForSharedRead(path);
  if (Succeeded(result)) posix_fadvise(Fd(handle_), 0, 0, POSIX_FADV_SEQUENTIAL);
  return result;
}

HResult File::OpenForReadWrite(const char* path, bool truncate) {
  Close();
  return OpenWithFlags(&handle_, path, O_RDWR | O_CREAT | (truncate ? O_TRUNC : 0));
}

// Nothing on this system keeps other processes out of a file: these are
// plain opens.
HResult File::CreateExclusive(const char* path) {
  Close();
  return OpenWithFlags(&handle_, path, O_RDWR | O_CREAT | O_TRUNC);
}

HResult File::OpenExistingForWrite(const char* path) {
  Close();
  return OpenWithFlags(&handle_, path, O_WRONLY);
}

bool File::IsOpen() const { return handle_ >= 0; }

void File::Close() {
  if (handle_ >= 0) ::close(Fd(handle_));
  handle_ = -1;
}

HResult File::GetSize(std::uint64_t* size) const {
  struct stat info;
  if (fstat(Fd(handle_), &info) != 0) return FailFromErrno();
  *size = static_cast<std::uint64_t>(info.st_size);
  return RESULT_OK;
}

HResult File::GetStamp(FileStamp* stamp) const {
  struct stat info;
  if (fstat(Fd(handle_), &info) != 0) return FailFromErrno();
  stamp->volume = static_cast<std::uint64_t>(info.st_dev);
  stamp->index = static_cast<std::uint64_t>(info.st_ino);
  stamp->size = static_cast<std::uint64_t>(info.st_size);
  stamp->written = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return RESULT_OK;
}

HResult File::Seek(std::uint64_t position) const {
  if (lseek(Fd(handle_), static_cast<off_t>(position), SEEK_SET) < 0) return FailFromErrno();
  return RESULT_OK;
}

HResult File::Tell(std::uint64_t* position) const {
  off_t at = lseek(Fd(handle_), 0, SEEK_CUR);
  if (at < 0) return FailFromErrno();
  *position = static_cast<std::uint64_t>(at);
  return RESULT_OK;
}

HResult File::Read(void* buffer, std::uint32_t count, std::uint32_t* bytesRead) const {
  std::uint32_t total = 0;
  while (total < count) {
    ssize_t got = ::read(Fd(handle_), static_cast<std::uint8_t*>(buffer) + total, count - total);
    if (got < 0) {
      if (errno == EINTR) continue;
      *bytesRead = total;
      return FailFromErrno();
    }
    if (got == 0) break;
    total += static_cast<std::uint32_t>(got);
  }
  *bytesRead = total;
  return RESULT_OK;
}

HResult File::Write(const void* buffer, std::uint32_t count) const {
  std::uint32_t total = 0;
  while (total < count) {
    ssize_t put = ::write(Fd(handle_), static_cast<const std::uint8_t*>(buffer) + total, count - total);
    if (put < 0) {
      if (errno == EINTR) continue;
      return FailFromErrno();
    }
    total += static_cast<std::uint32_t>(put);
  }
  return RESULT_OK;
}

HResult File::SeekToEnd(std::uint64_t* position) const {
  off_t at = lseek(Fd(handle_), 0, SEEK_END);
  if (at < 0) return FailFromErrno();
  *position = static_cast<std::uint64_t>(at);
  return RESULT_OK;
}

HResult File::Truncate(std::uint64_t size) const {
  if (ftruncate(Fd(handle_), static_cast<off_t>(size)) != 0) return FailFromErrno();
  return RESULT_OK;
}

HResult DeleteFileAt(const char* path) {
  if (::unlink(path) != 0) return FailFromErrno();
  return RESULT_OK;
}

HResult MapReadOnly(const File& file, std::uint64_t size, std::unique_ptr<MappedView>* view) {
  if (size == 0 || size > SIZE_MAX) {
    errno = EINVAL;
    return FailFromErrno();
  }
  void* address = mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_SHARED, Fd(file.Handle()), 0);
  if (address == MAP_FAILED) return FailFromErrno();
  view->reset(new PosixMappedView(address, static_cast<std::size_t>(size)));
  return RESULT_OK;
}

namespace {

// Copies exactly size bytes of the file; fails when the file was not size
// bytes long, or was written, while it was read.
HResult CopyWholeFile(const File& file, std::size_t size, std::uint8_t* copy) {
  FileStamp before;
  FileStamp after;
  HResult result = file.GetStamp(&before);
  std::size_t got = 0;
  if (Succeeded(result)) result = ReadAt(Fd(file.Handle()), copy, size, 0, &got);
  std::uint8_t beyond = 0;
  std::size_t extra = 0;
  if (Succeeded(result) && got == size) result = ReadAt(Fd(file.Handle()), &beyond, 1, size, &extra);
  if (Succeeded(result)) result = file.GetStamp(&after);
  if (Failed(result)) return result;
  if (got != size || extra != 0 || before != after) {
    SetLastSystemError(ERROR_FILE_INVALID);
    return LastErrorResult();
  }
  return RESULT_OK;
}

}  // namespace

// A mapping would share the file's pages: a file cut short under it faults on
// the lost ones, and one rewritten in place changes under the reader. A copy
// is the file as it was when it was read, whatever happens to it afterwards.
HResult ViewReadOnly(const File& file, std::uint64_t size, std::unique_ptr<MappedView>* view) {
  if (size == 0 || size > SIZE_MAX) {
    errno = EINVAL;
    return FailFromErrno();
  }
  std::unique_ptr<MemorySection> copy;
  HResult result = CreateMemorySection(static_cast<std::size_t>(size), &copy);
  if (Succeeded(result)) result = CopyWholeFile(file, static_cast<std::size_t>(size), copy->WritableData());
  if (Succeeded(result)) *view = std::move(copy);
  return result;
}

}  // namespace reelbox::platform
