#include "snapshot/tape_chunk.h"

#include <cstring>

namespace reelbox {
namespace {

// zlib cannot inflate to more than about 1032 times its input: a larger
// stated size is not the size of this data.
constexpr std::uint64_t MAX_INFLATE_RATIO = 1032;
constexpr std::uint64_t SMALLEST_STREAM_OUTPUT = 64;

// Characters an extension may hold: no separators, dots, wildcards or
// controls, so that it can only ever name a file in the private folder.
bool IsExtensionCharacter(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u > 0x20 && u < 0x7F && std::strchr("\\/:*?\"<>|.", c) == nullptr;
}

bool ReadExtension(const std::uint8_t* field, char (&extension)[TAPE_EXTENSION_FIELD]) {
  std::memcpy(extension, field, TAPE_EXTENSION_FIELD);
  if (std::memchr(extension, '\0', TAPE_EXTENSION_FIELD) == nullptr) return false;
  for (const char* c = extension; *c != '\0'; ++c) {
    if (!IsExtensionCharacter(*c)) return false;
  }
  return true;
}

bool LinkedPathFits(const TapeChunk& fields) {
  if (fields.storedLength < 2 || fields.storedLength > TAPE_LINKED_PATH_MAX + 1) return false;
  return std::memchr(fields.data, '\0', fields.storedLength) == fields.data + fields.storedLength - 1;
}

bool EmbeddedSizesFit(const TapeChunk& fields) {
  if (!fields.Compressed()) return fields.storedLength == fields.uncompressedSize;
  const std::uint64_t most = fields.storedLength * MAX_INFLATE_RATIO + SMALLEST_STREAM_OUTPUT;
  return fields.storedLength > 0 && fields.uncompressedSize <= most;
}

}  // namespace

void PutU16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::uint8_t* at, std::uint32_t value) {
  PutU16(at, static_cast<std::uint16_t>(value));
  PutU16(at + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint16_t GetU16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | (at[1] << 8)); }

std::uint32_t GetU32(const std::uint8_t* at) { return GetU16(at) | (static_cast<std::uint32_t>(GetU16(at + 2)) << 16); }

bool IsTapeChunk(const std::uint8_t* chunk) { return GetU32(chunk) == TAPE_CHUNK_ID; }

HResult ParseTapeChunk(const std::uint8_t* chunk, TapeChunk* fields) {
  const std::uint32_t size = GetU32(chunk + TAPE_AT_SIZE);
  fields->currentBlock = GetU16(chunk + TAPE_AT_BLOCK);
  fields->flags = GetU16(chunk + TAPE_AT_FLAGS);
  fields->uncompressedSize = GetU32(chunk + TAPE_AT_UNCOMPRESSED);
  fields->storedLength = GetU32(chunk + TAPE_AT_STORED);
  fields->data = chunk + TAPE_CHUNK_HEADER;
  if (size < TAPE_CHUNK_FIXED || fields->storedLength != size - TAPE_CHUNK_FIXED) return TAPE_E_BADFORMAT;
  if (!ReadExtension(chunk + TAPE_AT_EXTENSION, fields->extension)) return TAPE_E_BADFORMAT;
  const bool fits = fields->Embedded() ? EmbeddedSizesFit(*fields) : LinkedPathFits(*fields);
  return fits ? RESULT_OK : TAPE_E_BADFORMAT;
}

const char* FileNamePart(const char* path) {
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') name = p + 1;
  }
  return name;
}

void ExtensionForChunk(const char* path, char (&field)[TAPE_EXTENSION_FIELD]) {
  std::memset(field, 0, sizeof field);
  const char* dot = std::strrchr(FileNamePart(path), '.');
  if (dot == nullptr) return;
  std::size_t length = 0;
  while (length < TAPE_EXTENSION_FIELD - 1 && dot[1 + length] != '\0') ++length;
  std::memcpy(field, dot + 1, length);
}

void StartTapeChunk(std::uint8_t* chunk) {
  std::memset(chunk, 0, TAPE_CHUNK_HEADER);
  PutU32(chunk, TAPE_CHUNK_ID);
  PutU32(chunk + TAPE_AT_SIZE, TAPE_CHUNK_FIXED);
}

}  // namespace reelbox
