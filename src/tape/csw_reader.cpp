#include "tape/csw_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/guarded_read.h"
#include "platform/memory_section.h"
#include "platform/temp_file.h"
#include "tape/byte_cursor.h"
#include "tape/sampled_blocks.h"

namespace reelbox {
namespace {

constexpr char SIGNATURE[] = "Compressed Square Wave\x1A";
constexpr std::size_t SIGNATURE_SIZE = 23;
constexpr std::size_t V1_HEADER_SIZE = 32;
constexpr std::size_t V2_HEADER_SIZE = 52;
constexpr std::uint8_t COMPRESSION_RLE = 1;
constexpr std::uint8_t COMPRESSION_ZRLE = 2;
constexpr std::uint32_t INFLATE_CHUNK = 4096;
constexpr std::int32_t ERROR_HANDLE_EOF = 38;
// A piece's byte count must fit the deck's signed 32-bit counter, even with a
// long pulse's four bytes after the limit is reached.
constexpr std::size_t PIECE_BYTES_LIMIT = INT32_MAX - 4;

// Header fields (offsets from the start of the file).
constexpr std::size_t MAJOR_VERSION = 23;
constexpr std::size_t RATE = 25;
constexpr std::size_t V1_COMPRESSION = 27;
constexpr std::size_t V1_FLAGS = 28;
constexpr std::size_t V2_COMPRESSION = 33;
constexpr std::size_t V2_EXTENSION_LENGTH = 35;

bool HasSignature(const std::uint8_t* data, std::size_t size) {
  return size >= SIGNATURE_SIZE && std::memcmp(data, SIGNATURE, SIGNATURE_SIZE) == 0;
}

// Moves past one pulse and adds its length to total; false when a long pulse
// is cut short.
bool TakePulse(ByteCursor& cursor, std::uint64_t* total) {
  std::uint8_t length = 0;
  cursor.U8(&length);
  if (length != 0) {
    *total += length;
    return true;
  }
  std::uint32_t longLength = 0;
  if (!cursor.U32(&longLength)) return false;
  *total += longLength;
  return true;
}

HResult CutPieces(TapeBlockList& list, const std::uint8_t* data, std::size_t size, std::uint32_t sampleRate,
                  std::uint8_t initialLevel) {
  if (sampleRate == 0) return TAPE_E_BADFORMAT;
  const std::uint64_t pieceLimit = 2 * std::uint64_t{sampleRate};  // samples in two seconds
  ByteCursor cursor(data, size);
  while (!cursor.AtEnd()) {
    const std::size_t start = cursor.Position();
    std::uint64_t total = 0;
    while (!cursor.AtEnd() && total < pieceLimit && cursor.Position() - start < PIECE_BYTES_LIMIT) {
      if (!TakePulse(cursor, &total)) return TAPE_E_BADFORMAT;
    }
    CswPiece piece;
    piece.sampleRate = sampleRate;
    piece.pulseData = data + start;
    piece.pulseDataLength = static_cast<std::uint32_t>(cursor.Position() - start);
    piece.initialLevel = initialLevel;
    const HResult result = AppendPieceBlock(list, NewCswPieceBlock(piece));
    if (Failed(result)) return result;
  }
  return list.GetCount() == 0 ? TAPE_E_BADFORMAT : RESULT_OK;
}

// The cut, run so that a read fault on a file view ends it with a result code.
HResult CutGuarded(TapeBlockList& list, const std::uint8_t* data, std::size_t size, std::uint32_t sampleRate,
                   std::uint8_t initialLevel) {
  auto cut = [&]() { return CutCswPieces(list, data, size, sampleRate, initialLevel); };
  const HResult result = platform::RunGuarded(cut);
  if (Failed(result)) list.Clear();
  return result;
}

// Version 1: the pulses are read in place from a view of the whole file.
HResult ReadVersion1(TapeBlockList& list, const platform::File& file) {
  std::uint64_t size = 0;
  std::unique_ptr<platform::MappedView> view;
  HResult result = file.GetSize(&size);
  if (Succeeded(result)) result = platform::ViewReadOnly(file, size, &view);
  if (Failed(result)) return result;
  const std::uint8_t* data = view->Data();
  if (!HasSignature(data, view->Size()) || view->Size() < V1_HEADER_SIZE) return TAPE_E_BADFORMAT;
  if (data[MAJOR_VERSION] != 1 || data[V1_COMPRESSION] != COMPRESSION_RLE) return TAPE_E_UNSUPPORTED;
  result =
      CutGuarded(list, data + V1_HEADER_SIZE, view->Size() - V1_HEADER_SIZE, ReadU16(data + RATE), data[V1_FLAGS] & 1);
  if (Succeeded(result)) list.SetMappedView(std::move(view));
  return result;
}

// Appends every byte the inflating reader produces to the file.
HResult InflateInto(IInflateReader& reader, const platform::File& file) {
  std::uint8_t chunk[INFLATE_CHUNK];
  for (;;) {
    std::uint32_t produced = 0;
    HResult result = reader.Read(chunk, sizeof chunk, &produced);
    if (Failed(result)) return result;
    if (produced == 0) return RESULT_OK;
    result = file.Write(chunk, std::min<std::uint32_t>(produced, sizeof chunk));
    if (Failed(result)) return result;
  }
}

HResult InflateToTemporaryFile(ICompressionService& compression, const platform::File& file, platform::File* inflated) {
  std::uint64_t size = 0;
  std::uint64_t position = 0;
  HResult result = file.GetSize(&size);
  if (Succeeded(result)) result = file.Tell(&position);
  if (Failed(result)) return result;
  const auto compressedBytes = static_cast<std::uint32_t>(std::min<std::uint64_t>(size - position, UINT32_MAX));
  IInflateReader* reader = nullptr;
  result = compression.OpenInflateReader(file.Handle(), compressedBytes, &reader);
  if (Failed(result)) return result;
  result = platform::CreateTemporaryFile("csw", inflated);
  if (Succeeded(result)) result = InflateInto(*reader, *inflated);
  reader->Release();
  return result;
}

// Reads the whole file, from its start, into a new memory section.
HResult LoadIntoSection(const platform::File& file, std::unique_ptr<platform::MemorySection>* section) {
  std::uint64_t size = 0;
  HResult result = file.GetSize(&size);
  if (Succeeded(result) && size > SIZE_MAX) result = RESULT_OUTOFMEMORY;
  if (Succeeded(result)) result = file.Seek(0);
  if (Succeeded(result)) result = platform::CreateMemorySection(static_cast<std::size_t>(size), section);
  for (std::uint64_t done = 0; Succeeded(result) && done < size;) {
    const auto want = static_cast<std::uint32_t>(std::min<std::uint64_t>(size - done, 1u << 30));
    std::uint32_t got = 0;
    result = file.Read((*section)->WritableData() + done, want, &got);
    if (Succeeded(result) && got == 0) result = ResultFromSystemError(ERROR_HANDLE_EOF);  // it shrank under us
    done += got;
  }
  return result;
}

// Version 2: the pulses are inflated into a temporary file, then into a memory
// section that stands in for the file view.
HResult ReadVersion2(TapeBlockList& list, platform::File& file, const std::uint8_t* header, std::size_t headerSize,
                     ICompressionService* compression) {
  if (header[MAJOR_VERSION] > 2 || header[V2_COMPRESSION] != COMPRESSION_ZRLE) return TAPE_E_UNSUPPORTED;
  if (headerSize < V2_HEADER_SIZE) return TAPE_E_BADFORMAT;
  if (compression == nullptr) return CSW_E_NO_COMPRESSION;
  std::uint64_t size = 0;
  HResult result = file.GetSize(&size);
  if (Failed(result)) return result;
  const std::uint64_t dataStart = V2_HEADER_SIZE + header[V2_EXTENSION_LENGTH];
  if (size < dataStart) return TAPE_E_BADFORMAT;
  result = file.Seek(dataStart);
  platform::File inflated;
  if (Succeeded(result)) result = InflateToTemporaryFile(*compression, file, &inflated);
  std::uint64_t inflatedSize = 0;
  if (Succeeded(result)) result = inflated.GetSize(&inflatedSize);
  if (Failed(result)) return result;
  if (inflatedSize == 0) return CutCswPieces(list, nullptr, 0, ReadU32(header + RATE), 0);  // no pulses
  std::unique_ptr<platform::MemorySection> section;
  result = LoadIntoSection(inflated, &section);
  if (Failed(result)) return result;
  result = CutGuarded(list, section->Data(), section->Size(), ReadU32(header + RATE), 0);
  if (Succeeded(result)) list.SetMappedView(std::move(section));
  return result;
}

}  // namespace

HResult CutCswPieces(TapeBlockList& list, const std::uint8_t* data, std::size_t size, std::uint32_t sampleRate,
                     std::uint8_t initialLevel) {
  list.Clear();
  const HResult result = CutPieces(list, data, size, sampleRate, initialLevel);
  if (Failed(result)) list.Clear();
  return result;
}

HResult ReadCswFile(TapeBlockList& list, const char* path, ICompressionService* compression) {
  platform::File file;
  HResult result = file.OpenForSharedRead(path);
  if (Failed(result)) return result;
  std::uint8_t header[V2_HEADER_SIZE] = {};
  std::uint32_t headerSize = 0;
  result = file.Read(header, sizeof header, &headerSize);
  if (Failed(result)) return result;
  if (!HasSignature(header, headerSize)) return TAPE_E_BADFORMAT;
  if (header[MAJOR_VERSION] == 1) return ReadVersion1(list, file);
  return ReadVersion2(list, file, header, headerSize, compression);
}

}  // namespace reelbox
