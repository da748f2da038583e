// The TAPE chunk of SZX snapshots: the current tape, linked by its path or
// embedded whole, and the block the deck was at.
#pragma once

#include <cstddef>
#include <cstdint>

#include "contract/com.h"

namespace reelbox {

constexpr std::uint32_t TAPE_CHUNK_ID = 0x45504154;  // "TAPE", little-endian
constexpr std::uint32_t TAPE_CHUNK_HEADER = 36;      // bytes before the stored data
constexpr std::uint32_t TAPE_CHUNK_FIXED = 28;       // counted by the size field besides the data
constexpr std::uint16_t TAPE_FLAG_EMBEDDED = 1;
constexpr std::uint16_t TAPE_FLAG_COMPRESSED = 2;
constexpr std::uint32_t TAPE_EXTENSION_FIELD = 16;
constexpr std::uint32_t TAPE_LINKED_PATH_MAX = 259;  // characters, without the NUL

// Field offsets from the start of the chunk.
constexpr std::size_t TAPE_AT_SIZE = 4;
constexpr std::size_t TAPE_AT_BLOCK = 8;
constexpr std::size_t TAPE_AT_FLAGS = 10;
constexpr std::size_t TAPE_AT_UNCOMPRESSED = 12;
constexpr std::size_t TAPE_AT_STORED = 16;
constexpr std::size_t TAPE_AT_EXTENSION = 20;

// A TAPE chunk's fields, checked against each other.
struct TapeChunk {
  std::uint16_t currentBlock;
  std::uint16_t flags;
  std::uint32_t uncompressedSize;
  std::uint32_t storedLength;
  char extension[TAPE_EXTENSION_FIELD];  // NUL-terminated, no dot
  const std::uint8_t* data;              // storedLength bytes

  bool Embedded() const { return (flags & TAPE_FLAG_EMBEDDED) != 0; }
  bool Compressed() const { return (flags & TAPE_FLAG_COMPRESSED) != 0; }
  const char* LinkedPath() const { return reinterpret_cast<const char*>(data); }
};

// True when the chunk's identifier is "TAPE".
bool IsTapeChunk(const std::uint8_t* chunk);

// Reads the fields of a TAPE chunk whose size field tells how many bytes
// follow it. TAPE_E_BADFORMAT when they disagree: a stored length that is not
// the size less 28, an extension without its NUL or with characters a file
// name cannot carry, a linked path that is empty, too long or not ended by
// its NUL, plain data whose length is not the file's size, or a stated size
// that compressed data of this length cannot inflate to.
HResult ParseTapeChunk(const std::uint8_t* chunk, TapeChunk* fields);

// The file-name part of path: the text after its last separator.
const char* FileNamePart(const char* path);

// The extension of path's file-name part (the text after its last "."), at
// most 15 characters, into field; all zero when there is none.
void ExtensionForChunk(const char* path, char (&field)[TAPE_EXTENSION_FIELD]);

// Writes the 36-byte header of a chunk with no data yet: identifier, size 28,
// everything else zero.
void StartTapeChunk(std::uint8_t* chunk);

void PutU16(std::uint8_t* at, std::uint16_t value);
void PutU32(std::uint8_t* at, std::uint32_t value);
std::uint16_t GetU16(const std::uint8_t* at);
std::uint32_t GetU32(const std::uint8_t* at);

}  // namespace reelbox
