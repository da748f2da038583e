#include "snapshot/auto_load_snapshots.h"

namespace reelbox {
namespace {

struct SnapshotRow {
  int ctrlUp;
  int ctrlHeld;
};

// Machine numbers 2 to 7: 128 BASIC with Ctrl up, 48 BASIC with Ctrl held.
constexpr SnapshotRow BASIC_128_MACHINES[] = {{115, 119}, {121, 120}, {132, 131}, {136, 135}, {137, 138}, {139, 140}};

// 16K and 48K: [machine][speech unit][code].
constexpr int SMALL_MACHINES[2][2][2] = {{{123, 122}, {125, 126}}, {{116, 117}, {127, 124}}};

}  // namespace

int AutoLoadSnapshotId(std::uint32_t machine, bool speechUnit, bool code, bool ctrlHeld) {
  if (machine < 2) return SMALL_MACHINES[machine][speechUnit ? 1 : 0][code ? 1 : 0];
  if (machine - 2 >= sizeof BASIC_128_MACHINES / sizeof BASIC_128_MACHINES[0]) return 0;
  const SnapshotRow& row = BASIC_128_MACHINES[machine - 2];
  return ctrlHeld ? row.ctrlHeld : row.ctrlUp;
}

}  // namespace reelbox
