// Whole-block flash loading through the ROM loader: the CPU is caught in the
// ROM's edge sampler during the tone of a standard block of a standard-only
// tape, and the block goes straight into memory.
#include <gtest/gtest.h>

#include "deck_harness.h"
#include "loader_scene.h"

namespace reelbox::test {
namespace {

constexpr std::uint16_t DESTINATION = 0x6000;
constexpr std::uint32_t TSTATES_PER_MS = 3500;

// One list: GCC 12 at -O2 takes an insert into this vector for a write past its end.
Bytes HeaderBody() {
  return {0x03, 'R', 'E', 'E', 'L', 'B', 'O', 'X', ' ', ' ', ' ', 0x06, 0x00, 0x00, 0x80, 0x00, 0x80};
}

struct RomRequest {
  std::uint8_t flag = 0x00;
  bool load = true;  // carry of AF': load, not verify
  std::uint16_t length = 17;
  bool twoEdges = false;  // caught in LD-EDGE-2's first call
};

class RomFlashLoadTest : public ::testing::Test {
 protected:
  // The tape as a TAP file makes it: standard blocks only.
  void LoadTape(const std::vector<Bytes>& blocks) {
    harness.Load(blocks);
    harness.Tape().standardOnly = 1;
  }

  void CallLdBytes(const RomRequest& request) {
    PutRomLoader(harness.machine);
    if (request.twoEdges) {
      EnterEdgeRoutine(harness.machine, ROM_AFTER_IN, {ROM_LD_RETURN, ROM_LEADER_RETURN, ROM_TWO_EDGES_RETURN});
    } else {
      EnterEdgeRoutine(harness.machine, ROM_AFTER_IN, {ROM_LD_RETURN, ROM_START_RETURN});
    }
    harness.machine.registers[REG_AF_ALT] = Pair(request.flag, request.load ? 0x01 : 0x00);
    harness.machine.registers[REG_AF] = 0x1234;
    harness.machine.registers[REG_DE] = request.length;
    harness.machine.registers[REG_IX] = DESTINATION;
  }

  Bytes Memory(std::size_t count) const {
    const auto& memory = harness.machine.memory;
    return Bytes(memory.begin() + DESTINATION, memory.begin() + DESTINATION + count);
  }

  std::uint16_t Register(std::uint32_t number) const { return harness.machine.Register(number); }
  TapeDeck& Deck() { return harness.Deck(); }

  DeckHarness harness;
};

struct HeaderCase {
  const char* name;
  bool twoEdges;
  std::uint16_t requested;
  bool badChecksum;
  std::size_t written;
  bool carry;
  std::uint16_t deAfter;
};

class RomHeaderLoadTest : public RomFlashLoadTest, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(RomHeaderLoadTest, WritesTheBytesAndReturnsThroughTheRom) {
  const HeaderCase& param = GetParam();
  Bytes header = RomData(0x00, HeaderBody());
  if (param.badChecksum) header.back() ^= 0x01;
  const Bytes data = RomData(0xFF, Bytes(6, 0x55));
  LoadTape({StandardBlock(0, header), StandardBlock(1000, data)});
  CallLdBytes(RomRequest{0x00, true, param.requested, param.twoEdges});
  Deck().Play();

  EXPECT_EQ(Bytes(header.begin() + 1, header.begin() + 1 + param.written), Memory(param.written));
  EXPECT_EQ(0, harness.machine.memory[DESTINATION + param.written]);
  EXPECT_EQ(DESTINATION + param.written, Register(REG_IX));
  EXPECT_EQ(param.deAfter, Register(REG_DE));
  EXPECT_EQ(param.carry ? 0x0001 : 0x0000, Register(REG_AF)) << "AF is AF' with the carry of the result";
  EXPECT_EQ(ROM_LD_RETURN, Register(REG_PC));
  EXPECT_EQ(STACK_TOP, Register(REG_SP));
  // A header is followed at once by the next block's tone.
  EXPECT_EQ(1, Deck().blockIndex);
  EXPECT_EQ(1, Deck().phase);
  EXPECT_TRUE(Deck().edgeHandler == &TapeDeck::PlayTone);
  EXPECT_EQ(1u, Deck().noiseRestart);
}

// The header's 17 bytes: the byte after a shorter request is a header byte,
// which does not happen to equal the check so far.
INSTANTIATE_TEST_SUITE_P(Requests, RomHeaderLoadTest,
                         ::testing::Values(HeaderCase{"whole_block_one_edge", false, 17, false, 17, true, 0},
                                           HeaderCase{"whole_block_two_edges", true, 17, false, 17, true, 0},
                                           HeaderCase{"shorter_request", false, 10, false, 10, false, 0},
                                           HeaderCase{"longer_request", false, 20, false, 17, false, 3},
                                           HeaderCase{"bad_checksum", false, 17, true, 17, false, 0}),
                         [](const ::testing::TestParamInfo<HeaderCase>& info) { return info.param.name; });

}  // namespace
}  // namespace reelbox::test
