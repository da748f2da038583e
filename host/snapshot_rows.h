// The auto-load snapshots: for each resource id, the machine, the BASIC it
// was typed in, the command and the chunks it carries.
#pragma once

#include <cstdint>

#include "host/basic_entry.h"

namespace reelbox::host {

struct SnapshotRow {
  std::uint32_t id;
  std::uint32_t model;
  BasicMode mode;
  bool code;        // LOAD "" CODE rather than LOAD ""
  bool speechUnit;  // with the USPE chunk
  bool creator;     // with the CRTR chunk (and version 1.1)
};

extern const SnapshotRow SNAPSHOT_ROWS[20];

}  // namespace reelbox::host
