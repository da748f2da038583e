// The loop shapes the deck recognises, read from code in scripted memory: the
// 48K ROM's own loader, and each assembled test loader, which must have the
// leader or edge loop and the byte loop it is named after.
#include <gtest/gtest.h>

#include "engine/loader_signatures.h"
#include "loader_scene.h"

namespace reelbox::test {
namespace {

constexpr std::uint8_t ROM_BIT_THRESHOLD = 0xCB;  // every loader here uses the ROM's LD A,0xCB

struct ShapeCase {
  const char* loader;
  std::int32_t leaderType;      // LeaderSignatures at the leader loop's return address
  std::int32_t edgeType;        // EdgeSignatures there
  std::int32_t firstCallType;   // ClassifyDataLoader in the byte loop's (first) edge call
  std::int32_t secondCallType;  // in its second edge call; 0: the loop has one call
};

class LoaderShapeTest : public ::testing::TestWithParam<ShapeCase> {
 protected:
  void SetUp() override {
    if (!ReadAssembledLoader(GetParam().loader, &loader_)) {
      GTEST_SKIP() << "no assembled test loaders: z80asm was not found when the build was configured";
    }
    PutLoader(memory_, loader_);
  }

  AssembledLoader loader_;
  ScriptedMachine memory_;
};

TEST_P(LoaderShapeTest, LeaderLoopMatchesItsSignature) {
  const std::uint16_t leaderReturn = AfterCall(loader_, loader_.Label("ld_leader"));
  const MachineAccess machine(&memory_);
  EXPECT_EQ(GetParam().leaderType, MatchLoaderSignature(machine, leaderReturn, LeaderSignatures));
  EXPECT_EQ(GetParam().edgeType, MatchLoaderSignature(machine, leaderReturn, EdgeSignatures));
}

INSTANTIATE_TEST_SUITE_P(
    Loaders, LoaderShapeTest,
    ::testing::Values(ShapeCase{"loader_leader_inc_h", 1, 0, 1, 0}, ShapeCase{"loader_leader_dec_h", 3, 0, 2, 0},
                      ShapeCase{"loader_leader_no_test", 2, 0, 3, 0}, ShapeCase{"loader_leader_delay_a", 5, 0, 4, 5},
                      ShapeCase{"loader_edge_compare", 0, 4, 4, 5}, ShapeCase{"loader_edge_delay_a", 0, 6, 1, 0}),
    [](const ::testing::TestParamInfo<ShapeCase>& info) { return std::string(info.param.loader); });

}  // namespace
}  // namespace reelbox::test
