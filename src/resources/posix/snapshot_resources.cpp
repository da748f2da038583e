#include "resources/snapshot_resources.h"

#include "resources/snapshot_blobs.h"

namespace reelbox {

bool FindSnapshotResource(ModuleHandle /*module*/, std::uint32_t id, const void** data, std::uint32_t* size) {
  for (std::size_t i = 0; i < SNAPSHOT_BLOB_COUNT; ++i) {
    if (SNAPSHOT_BLOBS[i].id != id) continue;
    *data = SNAPSHOT_BLOBS[i].data;
    *size = static_cast<std::uint32_t>(SNAPSHOT_BLOBS[i].size);
    return true;
  }
  return false;
}

}  // namespace reelbox
