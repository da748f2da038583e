// The snapshot writer's side of a device's SaveState: keeps the chunks.
#pragma once

#include <vector>

#include "contract/host_interfaces.h"
#include "host/szx_format.h"

namespace reelbox::host {

// Collects the chunks a device writes. A chunk may come whole (its id and
// size first) or as its body alone.
class ChunkCollector final : public ISnapshotWriter {
 public:
  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override {
    if (out == nullptr) return RESULT_FAIL;
    *out = riid == IID_IUnknown ? this : nullptr;
    return *out != nullptr ? RESULT_OK : RESULT_NOINTERFACE;
  }
  std::uint32_t RB_CALL AddRef() override { return 2; }
  std::uint32_t RB_CALL Release() override { return 1; }
  HResult RB_CALL WriteChunk(std::uint32_t chunkId, const void* data, std::uint32_t size) override {
    if (data == nullptr && size != 0) return RESULT_FAIL;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    SzxChunk chunk{chunkId, {}};
    const bool whole = size >= 8 && ReadLe32(bytes) == chunkId && ReadLe32(bytes + 4) == size - 8;
    chunk.data.assign(bytes + (whole ? 8 : 0), bytes + size);
    chunks.push_back(std::move(chunk));
    return RESULT_OK;
  }
  std::vector<SzxChunk> chunks;

 private:
  static std::uint32_t ReadLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<std::uint32_t>(p[3]) << 24;
  }
};

}  // namespace reelbox::host
