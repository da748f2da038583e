// The native RIFF walk, giving what the multimedia file services give on
// Windows: chunk searches bounded by the parent, data offsets after the
// 8-byte header, odd-sized chunks followed by one pad byte.
#include "platform/riff_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "platform/posix/errno_error.h"

namespace reelbox::platform {
namespace {

constexpr std::uint32_t RIFF_ID = FourCc('R', 'I', 'F', 'F');
constexpr std::uint32_t LIST_ID = FourCc('L', 'I', 'S', 'T');
constexpr std::uint64_t NO_LIMIT = ~std::uint64_t{0};

std::FILE* Stream(void* handle) { return static_cast<std::FILE*>(handle); }

std::uint32_t LittleEndian32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool ReadExactly(std::FILE* stream, void* buffer, std::size_t count) {
  return std::fread(buffer, 1, count, stream) == count;
}

bool Tell(std::FILE* stream, std::uint64_t* position) {
  off_t at = ftello(stream);
  if (at < 0) return false;
  *position = static_cast<std::uint64_t>(at);
  return true;
}

// Reads the chunk header at the current position; "RIFF" and "LIST" chunks
// also give their form type.
bool ReadChunkHeader(std::FILE* stream, std::uint64_t limit, RiffChunk* chunk) {
  std::uint64_t start = 0;
  std::uint8_t header[8];
  if (!Tell(stream, &start) || start + 8 > limit || !ReadExactly(stream, header, 8)) return false;
  chunk->id = LittleEndian32(header);
  chunk->size = LittleEndian32(header + 4);
  chunk->formType = 0;
  chunk->dataOffset = static_cast<std::uint32_t>(start + 8);
  if (chunk->id == RIFF_ID || chunk->id == LIST_ID) {
    std::uint8_t form[4];
    if (!ReadExactly(stream, form, 4)) return false;
    chunk->formType = LittleEndian32(form);
  }
  return true;
}

bool SeekTo(std::FILE* stream, std::uint64_t position) {
  return fseeko(stream, static_cast<off_t>(position), SEEK_SET) == 0;
}

std::uint64_t EndOf(const RiffChunk& chunk) { return std::uint64_t{chunk.dataOffset} + chunk.size + (chunk.size & 1u); }

// Steps through the chunks from the current position up to limit until one
// satisfies found.
template <typename Predicate>
bool FindChunk(std::FILE* stream, std::uint64_t limit, RiffChunk* chunk, Predicate found) {
  for (;;) {
    if (!ReadChunkHeader(stream, limit, chunk)) return false;
    if (found(*chunk)) return true;
    if (!SeekTo(stream, EndOf(*chunk))) return false;
  }
}

}  // namespace

RiffFile::~RiffFile() { Close(); }

HResult RiffFile::Open(const char* path) {
  Close();
  std::FILE* stream = std::fopen(path, "rbe");
  if (stream == nullptr) return FailFromErrno();
  struct stat info;
  if (fstat(fileno(stream), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(stream);
    errno = EISDIR;
    return FailFromErrno();
  }
  handle_ = stream;
  return RESULT_OK;
}

void RiffFile::Close() {
  if (handle_ != nullptr) std::fclose(Stream(handle_));
  handle_ = nullptr;
}

bool RiffFile::DescendIntoForm(std::uint32_t formType, RiffChunk* chunk) {
  return FindChunk(Stream(handle_), NO_LIMIT, chunk,
                   [formType](const RiffChunk& c) { return c.id == RIFF_ID && c.formType == formType; });
}

bool RiffFile::DescendIntoChunk(std::uint32_t id, const RiffChunk& parent, RiffChunk* chunk) {
  const std::uint64_t limit = std::uint64_t{parent.dataOffset} + parent.size;
  return FindChunk(Stream(handle_), limit, chunk, [id](const RiffChunk& c) { return c.id == id; });
}

bool RiffFile::Ascend(const RiffChunk& chunk) { return SeekTo(Stream(handle_), EndOf(chunk)); }

bool RiffFile::Read(void* buffer, std::uint32_t count, std::uint32_t* bytesRead) {
  std::FILE* stream = Stream(handle_);
  *bytesRead = static_cast<std::uint32_t>(std::fread(buffer, 1, count, stream));
  return !std::ferror(stream);
}

bool RiffFile::Position(std::uint32_t* position) {
  std::uint64_t at = 0;
  if (!Tell(Stream(handle_), &at)) return false;
  *position = static_cast<std::uint32_t>(at);
  return true;
}

bool RiffFile::Size(std::uint64_t* size) {
  struct stat info;
  if (fstat(fileno(Stream(handle_)), &info) != 0) return false;
  *size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

}  // namespace reelbox::platform
