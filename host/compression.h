// The host's zlib service: whole-buffer compression and decompression, and an
// inflating reader over the compressed bytes of an open file.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <vector>

#include "contract/host_interfaces.h"
#include "host/ref_count.h"

namespace reelbox::host {

class CompressionService final : public ICompressionService {
 public:
  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override { return refs_.Add(); }
  std::uint32_t RB_CALL Release() override { return refs_.Drop(); }
  HResult RB_CALL Decompress(const void* source, std::uint32_t sourceSize, void* destination,
                             std::uint32_t* destinationSize) override;
  HResult RB_CALL OpenInflateReader(NativeFileHandle file, std::uint32_t compressedBytes,
                                    IInflateReader** reader) override;
  HResult RB_CALL CompressionSlot5() override { return RESULT_NOTIMPL; }
  HResult RB_CALL CompressionSlot6() override { return RESULT_NOTIMPL; }
  HResult RB_CALL CompressionSlot7() override { return RESULT_NOTIMPL; }
  HResult RB_CALL Compress(const void* source, std::uint32_t sourceSize, void* destination,
                           std::uint32_t* destinationSize) override;

  std::uint32_t References() const { return refs_.Count(); }

 private:
  RefCount refs_;
};

// Inflates bytes read up front from a file; frees itself on its last Release.
class InflateReader final : public IInflateReader {
 public:
  explicit InflateReader(std::vector<std::uint8_t> compressed);
  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override { return refs_.Add(); }
  std::uint32_t RB_CALL Release() override;
  HResult RB_CALL Read(void* buffer, std::uint32_t size, std::uint32_t* produced) override;

 private:
  ~InflateReader();
  RefCount refs_;
  std::vector<std::uint8_t> compressed_;
  z_stream stream_{};
  bool ready_ = false;
  bool finished_ = false;
};

}  // namespace reelbox::host
