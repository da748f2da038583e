// RIFF files (WAV) read chunk by chunk, the walk the multimedia file services
// offer: descend into a chunk, read its data, ascend out of it.
#pragma once

#include <cstdint>

#include "contract/com.h"

namespace reelbox::platform {

// A four-character code as RIFF stores it: the first character in the low byte.
constexpr std::uint32_t FourCc(char a, char b, char c, char d) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(a)) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(b)) << 8) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(c)) << 16) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(d)) << 24);
}

struct RiffChunk {
  std::uint32_t id = 0;
  std::uint32_t size = 0;        // data bytes, without the 8-byte header and the pad byte
  std::uint32_t formType = 0;    // "RIFF" and "LIST" chunks only
  std::uint32_t dataOffset = 0;  // file offset of the data (for "RIFF", of its form type)
};

class RiffFile {
 public:
  RiffFile() = default;
  ~RiffFile();
  RiffFile(const RiffFile&) = delete;
  RiffFile& operator=(const RiffFile&) = delete;

  // Opens an existing file for buffered reading.
  HResult Open(const char* path);
  void Close();

  // Finds the next "RIFF" chunk of the given form from the current position;
  // leaves the file after its form type.
  bool DescendIntoForm(std::uint32_t formType, RiffChunk* chunk);
  // Finds the next chunk with the id inside parent from the current position;
  // leaves the file at the start of its data.
  bool DescendIntoChunk(std::uint32_t id, const RiffChunk& parent, RiffChunk* chunk);
  // Moves to the end of the chunk, past the pad byte that keeps chunks word-aligned.
  bool Ascend(const RiffChunk& chunk);
  // Reads up to count bytes from the current position; false on a read failure.
  bool Read(void* buffer, std::uint32_t count, std::uint32_t* bytesRead);
  bool Position(std::uint32_t* position);
  bool Size(std::uint64_t* size);

 private:
  void* handle_ = nullptr;  // HMMIO on Windows, FILE* natively
};

}  // namespace reelbox::platform
