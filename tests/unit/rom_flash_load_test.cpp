// Whole-block flash loading through the ROM loader: the CPU is caught in the
// ROM's edge sampler during the tone of a standard block of a standard-only
// tape, and the block goes straight into memory.
#include <gtest/gtest.h>

#include "deck_harness.h"
#include "loader_scene.h"

namespace reelbox::test {
namespace {

constexpr std::uint16_t DESTINATION = 0x6000;

// LD-BYTES asked for `requested` bytes of a header (17) at DESTINATION, the CPU
// in LD-START's or LD-LEADER's edge call: what is written, the carry and DE
// after it. The byte after a shorter request is a header byte, which does not
// happen to equal the check so far.
TEST(RomFlashLoad, WritesTheHeaderAndReturnsThroughTheRom) {
  const struct {
    const char* name;
    bool twoEdges;  // caught in LD-EDGE-2's first call
    std::uint16_t requested;
    bool badChecksum;
    std::size_t written;
    bool carry;
    std::uint16_t deAfter;
  } cases[] = {
      {"whole block, one edge", false, 17, false, 17, true, 0},
      {"whole block, two edges", true, 17, false, 17, true, 0},
      {"shorter request", false, 10, false, 10, false, 0},
      {"longer request", false, 20, false, 17, false, 3},
      {"bad checksum", false, 17, true, 17, false, 0},
  };
  for (const auto& c : cases) {
    DeckHarness harness;
    ScriptedMachine& machine = harness.machine;
    Bytes header =
        RomData(0x00, {0x03, 'R', 'E', 'E', 'L', 'B', 'O', 'X', ' ', ' ', ' ', 0x06, 0x00, 0x00, 0x80, 0x00, 0x80});
    if (c.badChecksum) header.back() ^= 0x01;
    harness.Load({StandardBlock(0, header), StandardBlock(1000, RomData(0xFF, Bytes(6, 0x55)))});
    harness.Tape().standardOnly = 1;  // as a TAP file makes it
    PutRomLoader(machine);
    EnterEdgeRoutine(machine, ROM_AFTER_IN,
                     c.twoEdges ? std::vector<std::uint16_t>{ROM_LD_RETURN, ROM_LEADER_RETURN, ROM_TWO_EDGES_RETURN}
                                : std::vector<std::uint16_t>{ROM_LD_RETURN, ROM_START_RETURN});
    machine.registers[REG_AF_ALT] = 0x0001;  // flag 0, carry: load, not verify
    machine.registers[REG_AF] = 0x1234;
    machine.registers[REG_DE] = c.requested;
    machine.registers[REG_IX] = DESTINATION;
    harness.Deck().Play();

    const auto written = machine.memory.begin() + DESTINATION;
    EXPECT_EQ(Bytes(header.begin() + 1, header.begin() + 1 + c.written), Bytes(written, written + c.written)) << c.name;
    EXPECT_EQ(0, machine.memory[DESTINATION + c.written]) << c.name;
    EXPECT_EQ(DESTINATION + c.written, machine.Register(REG_IX)) << c.name;
    EXPECT_EQ(c.deAfter, machine.Register(REG_DE)) << c.name;
    EXPECT_EQ(c.carry ? 0x0001 : 0x0000, machine.Register(REG_AF)) << c.name << ": AF' with the result's carry";
    EXPECT_EQ(ROM_LD_RETURN, machine.Register(REG_PC)) << c.name;
    EXPECT_EQ(STACK_TOP, machine.Register(REG_SP)) << c.name;
    // A header is followed at once by the next block's tone.
    EXPECT_EQ(1, harness.Deck().blockIndex) << c.name;
    EXPECT_EQ(1, harness.Deck().phase) << c.name;
    EXPECT_TRUE(harness.Deck().edgeHandler == &TapeDeck::PlayTone) << c.name;
    EXPECT_EQ(1u, harness.Deck().noiseRestart) << c.name;
  }
}

}  // namespace
}  // namespace reelbox::test
