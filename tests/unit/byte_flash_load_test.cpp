// Byte flash loading on the scripted machine: the CPU is put in a loader's
// edge routine just after its IN, and every port read there receives a byte.
#include <gtest/gtest.h>

#include "deck_harness.h"
#include "loader_scene.h"

namespace reelbox::test {
namespace {

constexpr std::uint16_t LOOP = 0x9000;

// The ROM's loader in memory, a display object to see the border, and a data
// block playing.
struct ByteLoadScene {
  ByteLoadScene() {
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

  // A port read in LD-EDGE-1 `later` T-states on, the stack holding `returns`;
  // the EAR bit it returned.
  std::uint8_t ReadInEdgeRoutine(const std::vector<std::uint16_t>& returns, std::uint32_t later) {
    EnterEdgeRoutine(harness.machine, ROM_AFTER_IN, returns);
    harness.machine.clock += later;
    return harness.ReadEar();
  }

  // The byte the loader's own CP B (A = threshold) and RL L complete.
  std::uint8_t Completed(std::uint8_t threshold) const {
    const std::uint8_t l = LowOf(harness.machine.Register(REG_HL));
    return static_cast<std::uint8_t>(l << 1 | (HighOf(harness.machine.Register(REG_BC)) > threshold ? 1 : 0));
  }

  std::vector<std::pair<std::uint16_t, std::uint8_t>> portWrites;
  host::HostDevice display{"VISTOR.OBJ",
                           [this](std::uint16_t port, std::uint8_t value) { portWrites.emplace_back(port, value); }};
  DeckHarness harness;
};

// The byte loops the deck knows, caught in LD-EDGE-1 called by LD-EDGE-2
// from the loop: seven bits go under the marker into L, and B is left as the
// last bit's count would leave it.
TEST(ByteFlashLoad, SetsSevenBitsUnderTheMarkerAndTheCountForBitZero) {
  const struct {
    Bytes code;  // at LOOP; empty: the ROM's LD-8-BITS
    std::uint16_t loopReturn;
    std::uint8_t threshold;
    std::uint8_t byte;
    std::uint8_t l;
    std::uint8_t b;
  } cases[] = {
      {{}, ROM_BYTE_RETURN, 0xCB, 0xA5, 0xD2, 0xCC},
      {{}, ROM_BYTE_RETURN, 0xCB, 0x5A, 0xAD, 0xCB},  // bit 0 clear
      // CALL; JR NC; LD A,0xC0; CP B; RL L; LD B,0xB0; JP NC
      {{0xCD, 0xE3, 0x05, 0x30, 0x09, 0x3E, 0xC0, 0xB8, 0xCB, 0x15, 0x06, 0xB0, 0xD2, 0x00, 0x90},
       LOOP + 3,
       0xC0,
       0xA5,
       0xD2,
       0xC1},
      // CALL; JP NC; LD A,0xD5; CP B; RL L; LD B,0xB0; JP NC
      {{0xCD, 0xE3, 0x05, 0xD2, 0x20, 0x90, 0x3E, 0xD5, 0xB8, 0xCB, 0x15, 0x06, 0xB0, 0xD2, 0x00, 0x90},
       LOOP + 3,
       0xD5,
       0x81,
       0xC0,
       0xD6},
  };
  for (const auto& c : cases) {
    ByteLoadScene scene;
    DeckHarness& harness = scene.harness;
    harness.machine.Poke(LOOP, c.code);
    harness.machine.registers[REG_HL] = 0x4401;
    harness.machine.registers[REG_BC] = 0xB122;
    harness.machine.registers[REG_AF] = 0x7700;
    scene.PlayData({c.byte, 0x00, 1, 2, 3});
    const std::uint8_t level = harness.Deck().earLevel;
    EXPECT_EQ(level, scene.ReadInEdgeRoutine({ROM_LD_RETURN, c.loopReturn, ROM_TWO_EDGES_RETURN}, 1710)) << int(c.byte);
    EXPECT_EQ(Pair(0x44, c.l), harness.machine.Register(REG_HL));
    EXPECT_EQ(Pair(c.b, 0x22), harness.machine.Register(REG_BC));
    EXPECT_EQ(0x7701, harness.machine.Register(REG_AF)) << "carry set, A kept";
    EXPECT_EQ(c.byte, scene.Completed(c.threshold));
    EXPECT_EQ(c.loopReturn, harness.machine.Register(REG_PC));
    EXPECT_EQ(STACK_TOP - 2, harness.machine.Register(REG_SP));
    // The wait for the next byte's first pulse (a 0 bit) starts now.
    EXPECT_EQ(855, harness.Deck().untilEdge);
    EXPECT_EQ((std::vector<std::pair<std::uint16_t, std::uint8_t>>{{0xFE, 0}}), scene.portWrites);
  }
}

// A loop calling LD-EDGE-1 twice in line (then LD A,0; LD A,0xCB; CP B; RL L;
// LD B,0xB0; JP NC) caught at a byte boundary gets the tape's bytes, one at
// its second call, until four are left to play as sound.
TEST(ByteFlashLoad, AnInlineLoopAtAByteBoundaryGetsTheTapesBytes) {
  ByteLoadScene scene;
  DeckHarness& harness = scene.harness;
  harness.machine.Poke(LOOP, {0xCD, 0xE7, 0x05, 0xD0, 0xCD, 0xE7, 0x05, 0xD0, 0x3E, 0x00,
                              0x3E, 0xCB, 0xB8, 0xCB, 0x15, 0x06, 0xB0, 0xD2, 0x00, 0x90});
  const std::uint16_t firstReturn = LOOP + 3;
  const std::uint16_t secondReturn = LOOP + 7;
  const Bytes data{0xA5, 0x3C, 0x00, 0xFF, 0x81, 0x42, 0x24, 0x18, 0x99};
  scene.PlayData(data);
  harness.machine.clock += 1710;
  Bytes received;
  for (int i = 0; i < 5; ++i) {
    scene.ReadInEdgeRoutine({ROM_LD_RETURN, firstReturn}, 200);
    EXPECT_EQ(firstReturn, harness.machine.Register(REG_PC));
    harness.machine.registers[REG_HL] = 0x01;
    scene.ReadInEdgeRoutine({ROM_LD_RETURN, secondReturn}, 200);
    EXPECT_EQ(secondReturn, harness.machine.Register(REG_PC));
    received.push_back(scene.Completed(0xCB));
  }
  EXPECT_EQ(Bytes(data.begin(), data.begin() + 5), received);
  scene.ReadInEdgeRoutine({ROM_LD_RETURN, firstReturn}, 10);
  EXPECT_TRUE(harness.Deck().edgeHandler == &TapeDeck::PlayDataBytes);
  EXPECT_EQ(4, harness.Deck().bytesLeft);
  EXPECT_EQ(5u, scene.portWrites.size());
}

}  // namespace
}  // namespace reelbox::test
