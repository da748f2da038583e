// CSW files: the cut of run-length data from memory, and the whole reader on
// the input as a file. Version 2 data goes through a stand-in for the host's
// service that passes the "compressed" bytes through unchanged, so the
// temporary file and memory section are exercised without zlib.
#include <unistd.h>

#include "host/ref_count.h"
#include "sampled_fuzz_input.h"
#include "tape/csw_reader.h"

namespace reelbox::fuzz {
namespace {

class PassThroughReader final : public host::Counted<IInflateReader> {
 public:
  bool IsOwnInterface(const Guid&) const override { return false; }
  PassThroughReader(int fd, std::uint32_t bytes) : fd_(fd), left_(bytes) {}
  HResult RB_CALL Read(void* buffer, std::uint32_t size, std::uint32_t* produced) override {
    const ssize_t got = left_ == 0 ? 0 : ::read(fd_, buffer, size < left_ ? size : left_);
    if (got < 0) return RESULT_FAIL;
    left_ -= static_cast<std::uint32_t>(got);
    *produced = static_cast<std::uint32_t>(got);
    return RESULT_OK;
  }

 private:
  int fd_;
  std::uint32_t left_;
};

class PassThroughService final : public host::Counted<ICompressionService> {
 public:
  bool IsOwnInterface(const Guid&) const override { return false; }
  HResult RB_CALL Decompress(const void*, std::uint32_t, void*, std::uint32_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL OpenInflateReader(NativeFileHandle file, std::uint32_t bytes, IInflateReader** reader) override {
    *reader = new PassThroughReader(static_cast<int>(file), bytes);
    return RESULT_OK;
  }
  HResult RB_CALL CompressionSlot5() override { return RESULT_NOTIMPL; }
  HResult RB_CALL CompressionSlot6() override { return RESULT_NOTIMPL; }
  HResult RB_CALL CompressionSlot7() override { return RESULT_NOTIMPL; }
  HResult RB_CALL Compress(const void*, std::uint32_t, void*, std::uint32_t*) override { return RESULT_NOTIMPL; }
};

}  // namespace
}  // namespace reelbox::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  reelbox::TapeBlockList list;
  const std::uint32_t rate = size >= 2 ? static_cast<std::uint32_t>(data[0] | (data[1] << 8)) : 44100;
  reelbox::CutCswPieces(list, data, size, rate, 1);

  const std::string& path = reelbox::fuzz::WriteInput(data, size, ".csw");
  auto* service = new reelbox::fuzz::PassThroughService;
  reelbox::ReadCswFile(list, path.c_str(), service);
  service->Release();
  return 0;
}
