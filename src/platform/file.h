// Files and read-only views of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "contract/com.h"

namespace reelbox::platform {

// What tells one state of a file from another without reading it: which file
// it is, its size and when its contents were last written.
struct FileStamp {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  std::uint64_t size = 0;
  std::int64_t written = 0;  // in the system's own units

  bool operator==(const FileStamp& other) const {
    return volume == other.volume && index == other.index && size == other.size && written == other.written;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// An open file; closed when destroyed.
class File {
 public:
  File() = default;
  // Takes ownership of a handle that is already open.
  explicit File(NativeFileHandle handle) : handle_(handle) {}
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;

  // Opens an existing file for reading, letting others read it too.
  HResult OpenForSharedRead(const char* path);
  // Opens an existing file for reading, hinting that it is read from start to end.
  HResult OpenForSequentialRead(const char* path);
  // Opens (creating when absent) a file for reading and writing.
  HResult OpenForReadWrite(const char* path, bool truncate);
  // Creates the file, replacing any existing one, for reading and writing by
  // this handle alone.
  HResult CreateExclusive(const char* path);
  // Opens an existing file for writing by this handle alone.
  HResult OpenExistingForWrite(const char* path);

  bool IsOpen() const;
  void Close();

  HResult GetSize(std::uint64_t* size) const;
  HResult GetStamp(FileStamp* stamp) const;
  HResult Seek(std::uint64_t position) const;
  HResult Tell(std::uint64_t* position) const;
  // Reads up to count bytes; *bytesRead is 0 at the end of the file.
  HResult Read(void* buffer, std::uint32_t count, std::uint32_t* bytesRead) const;
  HResult Write(const void* buffer, std::uint32_t count) const;
  // Moves to the end of the file and reports where that is.
  HResult SeekToEnd(std::uint64_t* position) const;
  // Cuts the file to size bytes.
  HResult Truncate(std::uint64_t size) const;

  NativeFileHandle Handle() const { return handle_; }

 private:
  NativeFileHandle handle_ = -1;
};

// Deletes the file at path.
HResult DeleteFileAt(const char* path);

// A read-only view of a whole file (or of memory that stands in for one);
// unmapped when destroyed.
class MappedView {
 public:
  virtual ~MappedView() = default;
  virtual const std::uint8_t* Data() const = 0;
  virtual std::size_t Size() const = 0;
};

// Maps all size bytes of file read-only. The view stays valid after the file is
// closed. Mapping an empty file fails.
HResult MapReadOnly(const File& file, std::uint64_t size, std::unique_ptr<MappedView>* view);

// A read-only view of all size bytes of file that nothing done to the file
// later can disturb, valid after the file is closed. On Windows it is a
// mapping: the system refuses to shrink, replace or delete a mapped file.
// Elsewhere nothing holds a file, so the bytes are copied into private memory
// at once; a file that no longer holds exactly size bytes by then (it was cut
// or grown since its size was taken) fails with ERROR_FILE_INVALID, never
// giving part of it. An empty file fails.
HResult ViewReadOnly(const File& file, std::uint64_t size, std::unique_ptr<MappedView>* view);

}  // namespace reelbox::platform
