#include "host/compression.h"

#include <unistd.h>

#include <new>

#include "host/host_objects.h"

namespace reelbox::host {
namespace {

constexpr HResult RESULT_BADDATA = static_cast<HResult>(0x8007000Du);  // ERROR_INVALID_DATA

HResult ResultFromZlib(int status) {
  switch (status) {
    case Z_OK:
    case Z_STREAM_END:
      return RESULT_OK;
    case Z_MEM_ERROR:
      return RESULT_OUTOFMEMORY;
    case Z_BUF_ERROR:
      return static_cast<HResult>(0x8007007Au);  // ERROR_INSUFFICIENT_BUFFER
    default:
      return RESULT_BADDATA;
  }
}

// Reads exactly count bytes from the file's current position.
bool ReadAll(NativeFileHandle file, std::uint8_t* data, std::size_t count) {
  while (count > 0) {
    const ssize_t got = ::read(static_cast<int>(file), data, count);
    if (got <= 0) return false;
    data += got;
    count -= static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace

HResult CompressionService::QueryInterface(const Guid& riid, void** out) {
  return QueryWithRegistry(this, nullptr, riid, out);
}

HResult CompressionService::Decompress(const void* source, std::uint32_t sourceSize, void* destination,
                                       std::uint32_t* destinationSize) {
  if (source == nullptr || destination == nullptr || destinationSize == nullptr) return RESULT_FAIL;
  uLongf produced = *destinationSize;
  const int status =
      uncompress(static_cast<Bytef*>(destination), &produced, static_cast<const Bytef*>(source), sourceSize);
  if (status != Z_OK) return ResultFromZlib(status);
  *destinationSize = static_cast<std::uint32_t>(produced);
  return RESULT_OK;
}

HResult CompressionService::Compress(const void* source, std::uint32_t sourceSize, void* destination,
                                     std::uint32_t* destinationSize) {
  if (source == nullptr || destination == nullptr || destinationSize == nullptr) return RESULT_FAIL;
  uLongf produced = *destinationSize;
  const int status = compress2(static_cast<Bytef*>(destination), &produced, static_cast<const Bytef*>(source),
                               sourceSize, Z_BEST_COMPRESSION);
  if (status != Z_OK) return ResultFromZlib(status);
  *destinationSize = static_cast<std::uint32_t>(produced);
  return RESULT_OK;
}

HResult CompressionService::OpenInflateReader(NativeFileHandle file, std::uint32_t compressedBytes,
                                              IInflateReader** reader) {
  if (reader == nullptr) return RESULT_FAIL;
  *reader = nullptr;
  std::vector<std::uint8_t> compressed(compressedBytes);
  if (!ReadAll(file, compressed.data(), compressed.size()))
    return static_cast<HResult>(0x8007001Eu);  // ERROR_READ_FAULT
  auto* made = new (std::nothrow) InflateReader(std::move(compressed));
  if (made == nullptr) return RESULT_OUTOFMEMORY;
  *reader = made;
  return RESULT_OK;
}

InflateReader::InflateReader(std::vector<std::uint8_t> compressed) : compressed_(std::move(compressed)) {
  stream_.next_in = compressed_.data();
  stream_.avail_in = static_cast<uInt>(compressed_.size());
  ready_ = inflateInit(&stream_) == Z_OK;
}

InflateReader::~InflateReader() {
  if (ready_) inflateEnd(&stream_);
}

HResult InflateReader::QueryInterface(const Guid& riid, void** out) {
  return QueryWithRegistry(this, nullptr, riid, out);
}

std::uint32_t InflateReader::Release() {
  const std::uint32_t left = refs_.Drop();
  if (left == 0) delete this;
  return left;
}

HResult InflateReader::Read(void* buffer, std::uint32_t size, std::uint32_t* produced) {
  if (buffer == nullptr || produced == nullptr) return RESULT_FAIL;
  *produced = 0;
  if (!ready_) return RESULT_OUTOFMEMORY;
  if (finished_ || size == 0) return RESULT_OK;
  stream_.next_out = static_cast<Bytef*>(buffer);
  stream_.avail_out = size;
  const int status = inflate(&stream_, Z_NO_FLUSH);
  *produced = size - stream_.avail_out;
  if (status == Z_STREAM_END) {
    finished_ = true;
    return RESULT_OK;
  }
  // With room to write, no progress means the input ended inside the stream.
  if (status == Z_BUF_ERROR) return RESULT_BADDATA;
  return ResultFromZlib(status);
}

}  // namespace reelbox::host
