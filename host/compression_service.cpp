#include "host/compression_service.h"

#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <new>

#include "host/ref_count.h"

namespace reelbox::host {
namespace {

constexpr std::int32_t ERROR_INVALID_DATA = 13;
constexpr std::uint32_t INPUT_CHUNK = 16384;

HResult ResultFromZlib(int status) {
  switch (status) {
    case Z_OK:
    case Z_STREAM_END:
      return RESULT_OK;
    case Z_MEM_ERROR:
      return RESULT_OUTOFMEMORY;
    case Z_DATA_ERROR:
    case Z_NEED_DICT:
      return ResultFromSystemError(ERROR_INVALID_DATA);
    default:
      return RESULT_FAIL;
  }
}

// Inflates a zlib stream of a known compressed size read from a file
// descriptor, starting at its current position. The input ending before the
// stream does ends the output: a cut-short file gives what it holds.
class InflateReader final : public Counted<IInflateReader> {
 public:
  InflateReader(int fd, std::uint32_t compressedBytes) : fd_(fd), inputLeft_(compressedBytes) {}
  ~InflateReader() override {
    if (started_) inflateEnd(&stream_);
  }

  HResult Start() {
    started_ = inflateInit(&stream_) == Z_OK;
    return started_ ? RESULT_OK : RESULT_OUTOFMEMORY;
  }

  HResult RB_CALL Read(void* buffer, std::uint32_t size, std::uint32_t* produced) override {
    if (produced == nullptr || (buffer == nullptr && size != 0)) return RESULT_FAIL;
    stream_.next_out = static_cast<Bytef*>(buffer);
    stream_.avail_out = size;
    HResult result = RESULT_OK;
    while (stream_.avail_out > 0 && !finished_ && Succeeded(result)) result = Step();
    *produced = size - stream_.avail_out;
    return *produced > 0 ? RESULT_OK : result;
  }

 private:
  bool IsOwnInterface(const Guid&) const override { return false; }

  HResult Refill() {
    const std::uint32_t want = inputLeft_ < INPUT_CHUNK ? inputLeft_ : INPUT_CHUNK;
    ssize_t got;
    do {
      got = want == 0 ? 0 : ::read(fd_, input_, want);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return RESULT_FAIL;
    inputLeft_ -= static_cast<std::uint32_t>(got);
    stream_.next_in = input_;
    stream_.avail_in = static_cast<uInt>(got);
    if (got == 0) finished_ = true;
    return RESULT_OK;
  }

  HResult Step() {
    if (stream_.avail_in == 0) {
      const HResult result = Refill();
      if (Failed(result) || finished_) return result;
    }
    const int status = inflate(&stream_, Z_NO_FLUSH);
    if (status == Z_STREAM_END) finished_ = true;
    if (status == Z_BUF_ERROR && stream_.avail_in == 0) return RESULT_OK;  // waits for more input
    return ResultFromZlib(status);
  }

  int fd_;
  std::uint32_t inputLeft_;
  z_stream stream_ = {};
  bool started_ = false;
  bool finished_ = false;
  Bytef input_[INPUT_CHUNK];
};

class CompressionService final : public Counted<ICompressionService> {
 public:
  HResult RB_CALL Decompress(const void* source, std::uint32_t sourceSize, void* destination,
                             std::uint32_t* destinationSize) override {
    if (destinationSize == nullptr) return RESULT_FAIL;
    uLongf size = *destinationSize;
    const int status =
        uncompress(static_cast<Bytef*>(destination), &size, static_cast<const Bytef*>(source), sourceSize);
    *destinationSize = status == Z_OK ? static_cast<std::uint32_t>(size) : 0;
    return ResultFromZlib(status);
  }

  HResult RB_CALL OpenInflateReader(NativeFileHandle file, std::uint32_t compressedBytes,
                                    IInflateReader** reader) override {
    if (reader == nullptr) return RESULT_FAIL;
    *reader = nullptr;
    auto* made = new (std::nothrow) InflateReader(static_cast<int>(file), compressedBytes);
    if (made == nullptr) return RESULT_OUTOFMEMORY;
    const HResult result = made->Start();
    if (Failed(result)) {
      made->Release();
      return result;
    }
    *reader = made;
    return RESULT_OK;
  }

  HResult RB_CALL CompressionSlot5() override { return RESULT_NOTIMPL; }
  HResult RB_CALL CompressionSlot6() override { return RESULT_NOTIMPL; }
  HResult RB_CALL CompressionSlot7() override { return RESULT_NOTIMPL; }

  HResult RB_CALL Compress(const void* source, std::uint32_t sourceSize, void* destination,
                           std::uint32_t* destinationSize) override {
    if (destinationSize == nullptr) return RESULT_FAIL;
    uLongf size = *destinationSize;
    const int status = compress2(static_cast<Bytef*>(destination), &size, static_cast<const Bytef*>(source), sourceSize,
                                 Z_BEST_COMPRESSION);
    *destinationSize = status == Z_OK ? static_cast<std::uint32_t>(size) : 0;
    return ResultFromZlib(status);
  }

 private:
  bool IsOwnInterface(const Guid& riid) const override { return riid == IID_ICompressionService; }
};

}  // namespace

ICompressionService* CreateCompressionService() { return new (std::nothrow) CompressionService; }

}  // namespace reelbox::host
