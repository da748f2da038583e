// The auto-load snapshots built into the native library (generated from
// src/resources/snapshots at build time).
#pragma once

#include <cstddef>
#include <cstdint>

namespace reelbox {

struct SnapshotBlob {
  std::uint32_t id;
  const std::uint8_t* data;
  std::size_t size;
};

extern const SnapshotBlob SNAPSHOT_BLOBS[];
extern const std::size_t SNAPSHOT_BLOB_COUNT;

}  // namespace reelbox
