// The "ZXSTATE" resources in either build: each auto-load id finds a
// zx-state file of the machine its row names; other ids find nothing.
#include "resources/snapshot_resources.h"

#include <gtest/gtest.h>

#include <cstring>

namespace reelbox {
namespace {

TEST(SnapshotResources, EachIdHoldsASnapshotOfItsMachine) {
  struct Row {
    std::uint32_t id;
    std::uint8_t machineId;  // zx-state machine id
  };
  const Row rows[] = {{115, 2}, {116, 1}, {117, 1}, {119, 2}, {120, 3},  {121, 3}, {122, 0},
                      {123, 0}, {124, 1}, {125, 0}, {126, 0}, {127, 1},  {131, 4}, {132, 4},
                      {135, 5}, {136, 5}, {137, 6}, {138, 6}, {139, 10}, {140, 10}};
  for (const Row& row : rows) {
    const void* data = nullptr;
    std::uint32_t size = 0;
    ASSERT_TRUE(FindSnapshotResource(nullptr, row.id, &data, &size)) << row.id;
    ASSERT_GT(size, 8u);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    EXPECT_EQ(std::memcmp(bytes, "ZXST", 4), 0) << row.id;
    EXPECT_EQ(bytes[6], row.machineId) << row.id;
  }
  for (std::uint32_t id : {0u, 118u, 141u}) {
    const void* data = nullptr;
    std::uint32_t size = 0;
    EXPECT_FALSE(FindSnapshotResource(nullptr, id, &data, &size)) << id;
    EXPECT_EQ(data, nullptr);
  }
}

}  // namespace
}  // namespace reelbox
