// Byte flash loading on the scripted machine: the CPU is put in a loader's
// edge routine just after its IN, and every port read there receives a byte.
#include <gtest/gtest.h>

#include "deck_harness.h"
#include "loader_scene.h"

namespace reelbox::test {
namespace {

constexpr std::uint16_t LOOP = 0x9000;

// CALL LD-EDGE-1 twice in line, then LD A,0; LD A,0xCB; CP B; RL L; LD B,0xB0; JP NC.
const Bytes INLINE_LOOP{0xCD, 0xE7, 0x05, 0xD0, 0xCD, 0xE7, 0x05, 0xD0, 0x3E, 0x00,
                        0x3E, 0xCB, 0xB8, 0xCB, 0x15, 0x06, 0xB0, 0xD2, 0x00, 0x90};
constexpr std::uint16_t INLINE_FIRST_RETURN = LOOP + 3;
constexpr std::uint16_t INLINE_SECOND_RETURN = LOOP + 7;

class ByteFlashLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    harness.Device().Detach();
    harness.machine.registry.AddObject(HOST_OBJECT_DEVICE, &display);
    harness.Device().Attach(&harness.machine);
    harness.BeginFrame();
    PutRomLoader(harness.machine);
  }

  void PlayData(const Bytes& data) {
    harness.Load({PureData(855, 1710, 8, 0, data)});
    harness.Deck().Play();
  }

  // The CPU in the ROM's LD-8-BITS, LD-EDGE-2 having called LD-EDGE-1.
  void InByteLoop(std::uint16_t loopReturn = ROM_BYTE_RETURN) {
    EnterEdgeRoutine(harness.machine, ROM_AFTER_IN, {ROM_LD_RETURN, loopReturn, ROM_TWO_EDGES_RETURN});
  }
  void InInlineCall(std::uint16_t callReturn) {
    EnterEdgeRoutine(harness.machine, ROM_AFTER_IN, {ROM_LD_RETURN, callReturn});
  }

  // A port read `later` T-states on; the EAR bit it returned.
  std::uint8_t ReadAfter(std::uint32_t later) {
    harness.machine.clock += later;
    return harness.ReadEar();
  }

  std::uint8_t B() const { return HighOf(harness.machine.Register(REG_BC)); }
  std::uint8_t L() const { return LowOf(harness.machine.Register(REG_HL)); }
  // The byte the loader's own CP B (A = threshold) and RL L complete.
  std::uint8_t Completed(std::uint8_t threshold) const {
    return static_cast<std::uint8_t>(L() << 1 | (B() > threshold ? 1 : 0));
  }
  TapeDeck& Deck() { return harness.Deck(); }

  std::vector<std::pair<std::uint16_t, std::uint8_t>> portWrites;
  host::HostDevice display{"VISTOR.OBJ",
                           [this](std::uint16_t port, std::uint8_t value) { portWrites.emplace_back(port, value); }};
  DeckHarness harness;
};

struct ByteLoopCase {
  const char* name;
  Bytes code;  // at LOOP; empty: the ROM's LD-8-BITS
  std::uint16_t loopReturn;
  std::uint8_t threshold;
  std::uint8_t byte;
  std::uint8_t l;
  std::uint8_t b;
};

class ByteLoopTest : public ByteFlashLoadTest, public ::testing::WithParamInterface<ByteLoopCase> {};

TEST_P(ByteLoopTest, SetsSevenBitsUnderTheMarkerAndTheCountForBitZero) {
  const ByteLoopCase& param = GetParam();
  harness.machine.Poke(LOOP, param.code);
  InByteLoop(param.loopReturn);
  harness.machine.registers[REG_HL] = 0x4401;
  harness.machine.registers[REG_BC] = 0xB122;
  harness.machine.registers[REG_AF] = 0x7700;
  PlayData({param.byte, 0x00, 1, 2, 3});
  const std::uint8_t level = Deck().earLevel;
  EXPECT_EQ(level, ReadAfter(1710));

  EXPECT_EQ(Pair(0x44, param.l), harness.machine.Register(REG_HL));
  EXPECT_EQ(Pair(param.b, 0x22), harness.machine.Register(REG_BC));
  EXPECT_EQ(0x7701, harness.machine.Register(REG_AF)) << "carry set, A kept";
  EXPECT_EQ(param.byte, Completed(param.threshold));
  EXPECT_EQ(param.loopReturn, harness.machine.Register(REG_PC));
  EXPECT_EQ(STACK_TOP - 2, harness.machine.Register(REG_SP));
  // The wait for the next byte's first pulse (a 0 bit) starts now.
  EXPECT_EQ(855, Deck().untilEdge);
  ASSERT_EQ(1u, portWrites.size());
  EXPECT_EQ(0xFE, portWrites[0].first);
  EXPECT_EQ(0, portWrites[0].second);
}

INSTANTIATE_TEST_SUITE_P(Loops, ByteLoopTest,
                         ::testing::Values(ByteLoopCase{"ret_nc", {}, ROM_BYTE_RETURN, 0xCB, 0xA5, 0xD2, 0xCC},
                                           ByteLoopCase{
                                               "ret_nc_bit0_clear", {}, ROM_BYTE_RETURN, 0xCB, 0x5A, 0xAD, 0xCB},
                                           // CALL; JR NC; LD A,0xC0; CP B; RL L; LD B,0xB0; JP NC
                                           ByteLoopCase{"jr_nc",
                                                        {0xCD, 0xE3, 0x05, 0x30, 0x09, 0x3E, 0xC0, 0xB8, 0xCB, 0x15,
                                                         0x06, 0xB0, 0xD2, 0x00, 0x90},
                                                        LOOP + 3,
                                                        0xC0,
                                                        0xA5,
                                                        0xD2,
                                                        0xC1},
                                           // CALL; JP NC; LD A,0xD5; CP B; RL L; LD B,0xB0; JP NC
                                           ByteLoopCase{"jp_nc",
                                                        {0xCD, 0xE3, 0x05, 0xD2, 0x20, 0x90, 0x3E, 0xD5, 0xB8, 0xCB,
                                                         0x15, 0x06, 0xB0, 0xD2, 0x00, 0x90},
                                                        LOOP + 3,
                                                        0xD5,
                                                        0x81,
                                                        0xC0,
                                                        0xD6}),
                         [](const ::testing::TestParamInfo<ByteLoopCase>& info) { return info.param.name; });

class InlineFlashLoadTest : public ByteFlashLoadTest {
 protected:
  void SetUp() override {
    ByteFlashLoadTest::SetUp();
    harness.machine.Poke(LOOP, INLINE_LOOP);
  }

  // One byte of the loop: the first call, then the second; L as the loader holds it.
  void RunLoopOnce(std::uint8_t l) {
    InInlineCall(INLINE_FIRST_RETURN);
    ReadAfter(200);
    EXPECT_EQ(INLINE_FIRST_RETURN, harness.machine.Register(REG_PC));
    InInlineCall(INLINE_SECOND_RETURN);
    harness.machine.registers[REG_HL] = l;
    ReadAfter(200);
    EXPECT_EQ(INLINE_SECOND_RETURN, harness.machine.Register(REG_PC));
  }
};

TEST_F(InlineFlashLoadTest, ALoaderAtAByteBoundaryGetsTheTapesBytes) {
  const Bytes data{0xA5, 0x3C, 0x00, 0xFF, 0x81, 0x42, 0x24, 0x18, 0x99};
  PlayData(data);
  harness.machine.clock += 1710;
  Bytes received;
  for (int i = 0; i < 5; ++i) {
    RunLoopOnce(0x01);
    received.push_back(Completed(0xCB));
  }
  EXPECT_EQ(Bytes(data.begin(), data.begin() + 5), received);
  // Four bytes are left: they play as sound.
  InInlineCall(INLINE_FIRST_RETURN);
  ReadAfter(10);
  EXPECT_TRUE(Deck().edgeHandler == &TapeDeck::PlayDataBytes);
  EXPECT_EQ(4, Deck().bytesLeft);
  EXPECT_EQ(5u, portWrites.size());
}

}  // namespace
}  // namespace reelbox::test
