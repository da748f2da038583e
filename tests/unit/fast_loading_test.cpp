// Pilot skip and edge detection on the scripted machine, and which of the
// fast-loading methods act under the host's real-time flag, an input
// recording and each option.
#include <gtest/gtest.h>

#include <array>
#include <iterator>

#include "deck_harness.h"
#include "loader_scene.h"

namespace reelbox::test {
namespace {

constexpr std::uint16_t PILOT = 2168;

// The ROM's timings for a data block, as a turbo block.
Bytes RomTimedBlock(const Bytes& body) {
  return TurboBlock(TurboTimings{PILOT, 667, 735, 855, 1710, 3220}, 8, 0, RomData(0xFF, body));
}

// The skip happens at the first edge of the tone in the leader loop of the 48K
// ROM or of a test loader: B and H are set (-1: left as they were) and the tone
// has one or two pulses left.
TEST(PilotSkip, SetsTheLeaderCountsAndCutsTheTone) {
  const struct {
    const char* loader;  // null: the 48K ROM's LD-LEADER
    std::int32_t b;
    std::int32_t h;
    std::size_t tonePulsesLeft;
  } cases[] = {
      {nullptr, 0xC7, 0xFF, 2},
      {"loader_leader_inc_h", 0xC7, 0xFF, 2},
      {"loader_leader_dec_h", 0xC7, 0x01, 2},
      {"loader_leader_no_test", 0xC7, 0xFF, 2},
      {"loader_leader_delay_a", 0xC7, 0xFF, 2},
      {"loader_edge_compare", -1, -1, 2},
      {"loader_edge_delay_a", 0xB1, 0xFE, 1},
  };
  for (const auto& c : cases) {
    DeckHarness harness;
    ScriptedMachine& machine = harness.machine;
    AssembledLoader loader;
    if (c.loader == nullptr) {
      PutRomLoader(machine);
      EnterEdgeRoutine(machine, ROM_AFTER_IN, {ROM_LD_RETURN, ROM_LEADER_RETURN, ROM_TWO_EDGES_RETURN});
    } else if (ReadAssembledLoader(c.loader, &loader)) {
      PutLoader(machine, loader);
      EnterEdgeRoutine(machine, LoaderAfterIn(loader), StackInCall(loader, loader.Label("ld_leader")));
    } else {
      GTEST_SKIP() << "no assembled test loaders: z80asm was not found when the build was configured";
    }
    machine.registers[REG_BC] = 0x5011;
    machine.registers[REG_HL] = 0x2233;
    machine.registers[REG_AF] = 0x4455;
    harness.Load({RomTimedBlock({1, 2, 3})});
    const std::int64_t start = harness.Now();
    harness.Deck().Play();
    std::vector<std::int64_t> expected(c.tonePulsesLeft + 1, PILOT);
    expected.insert(expected.end(), {667, 735});
    EXPECT_EQ(expected, PulseLengths(harness.Run(c.tonePulsesLeft + 3), start)) << c.loader;
    EXPECT_EQ(Pair(c.b < 0 ? 0x50 : c.b, 0x11), machine.Register(REG_BC)) << c.loader;
    EXPECT_EQ(Pair(c.h < 0 ? 0x22 : c.h, 0x33), machine.Register(REG_HL)) << c.loader;
    EXPECT_EQ(0x4455, machine.Register(REG_AF)) << c.loader;
  }
}

// Each method in a scene where it acts when nothing stops it; true when it did.
bool PilotSkipActs(DeckHarness& harness) {
  PutRomLoader(harness.machine);
  EnterEdgeRoutine(harness.machine, ROM_AFTER_IN, {ROM_LD_RETURN, ROM_LEADER_RETURN, ROM_TWO_EDGES_RETURN});
  harness.Load({RomTimedBlock({1})});
  harness.Deck().Play();
  harness.Run(1);
  return HighOf(harness.machine.Register(REG_BC)) == 0xC7;
}

// A loader spinning in one sampling loop (after an IN A,(0xFE) at 0x9100), B
// rising by one at each port read, sees the edge at the third read, in a 1 bit.
bool EdgeDetectionActs(DeckHarness& harness) {
  harness.machine.Poke(0x9100, {0xDB, 0xFE});
  harness.machine.registers[REG_PC] = 0x9102;
  harness.Load({PureData(855, 1710, 8, 0, {0xFF, 0x00, 0x00})});
  harness.Deck().Play();
  harness.Run(1);  // the first edge spends the flash-load watch, if armed
  const std::uint8_t level = harness.Deck().earLevel;
  for (std::uint8_t b = 0x10; b <= 0x12; ++b) {
    EXPECT_EQ(level, harness.Deck().earLevel) << "an edge before the third read";
    harness.machine.clock += 59;
    harness.machine.registers[REG_BC] = Pair(b, 0x21);
    harness.ReadEar();
  }
  if (harness.Deck().earLevel == level) return false;
  // The count is lifted above any threshold, C kept; the next pulse runs from the early edge.
  EXPECT_EQ(0xF021, harness.machine.Register(REG_BC));
  EXPECT_EQ(1710, harness.Deck().untilEdge);
  return true;
}

bool ByteFlashLoadActs(DeckHarness& harness) {
  PutRomLoader(harness.machine);
  EnterEdgeRoutine(harness.machine, ROM_AFTER_IN, {ROM_LD_RETURN, ROM_BYTE_RETURN, ROM_TWO_EDGES_RETURN});
  harness.Load({PureData(855, 1710, 8, 0, {0xA5, 1, 2, 3, 4, 5})});
  harness.Deck().Play();
  harness.machine.clock += 1710;
  harness.ReadEar();
  return LowOf(harness.machine.Register(REG_HL)) == 0xD2;
}

bool InlineFlashLoadActs(DeckHarness& harness) {
  PutRomLoader(harness.machine);
  // CALL LD-EDGE-1; RET NC; CALL LD-EDGE-1; RET NC; LD A,0; LD A,0xCB; CP B; RL L; LD B,0xB0; JP NC
  harness.machine.Poke(0x9000, {0xCD, 0xE7, 0x05, 0xD0, 0xCD, 0xE7, 0x05, 0xD0, 0x3E, 0x00,
                                0x3E, 0xCB, 0xB8, 0xCB, 0x15, 0x06, 0xB0, 0xD2, 0x00, 0x90});
  EnterEdgeRoutine(harness.machine, ROM_AFTER_IN, {ROM_LD_RETURN, 0x9003});
  harness.Load({PureData(855, 1710, 8, 0, {0xA5, 1, 2, 3, 4, 5})});
  harness.Deck().Play();
  harness.machine.clock += 1710;
  harness.ReadEar();
  return harness.machine.Register(REG_PC) == 0x9003;
}

bool RomFlashLoadActs(DeckHarness& harness) {
  PutRomLoader(harness.machine);
  EnterEdgeRoutine(harness.machine, ROM_AFTER_IN, {ROM_LD_RETURN, ROM_LEADER_RETURN, ROM_TWO_EDGES_RETURN});
  harness.machine.registers[REG_AF_ALT] = 0x0001;
  harness.machine.registers[REG_DE] = 1;
  harness.machine.registers[REG_IX] = 0x6000;
  harness.Load({StandardBlock(0, RomData(0x00, {0x42})), StandardBlock(0, RomData(0xFF, {1}))});
  harness.Tape().standardOnly = 1;
  harness.Deck().Play();
  return harness.machine.memory[0x6000] == 0x42;
}

void InputRecording(DeckHarness& harness) {
  harness.Device().Detach();
  harness.machine.registry.SetDword("replix.dll\\RZX_PLAYING", 0);
  harness.machine.registry.SetDword("replix.dll\\RZX_RECORDING", 1);
  harness.Device().Attach(&harness.machine);
  harness.BeginFrame();
}

// Which methods act under each condition, in the order of `methods`.
TEST(FastLoadingConditions, EachMethodActsOnlyWhereAllowed) {
  const std::pair<const char*, bool (*)(DeckHarness&)> methods[] = {
      {"pilot skip", PilotSkipActs},
      {"edge detection", EdgeDetectionActs},
      {"byte flash load", ByteFlashLoadActs},
      {"inline byte flash load", InlineFlashLoadActs},
      {"whole-block ROM flash load", RomFlashLoadActs},
  };
  const struct {
    const char* name;
    void (*set)(DeckHarness&);
    std::array<bool, 5> acting;
  } conditions[] = {
      {"all options on", [](DeckHarness&) {}, {true, true, true, true, true}},
      {"host real time", [](DeckHarness& h) { h.Deck().hostRealTime = 1; }, {false, false, false, false, true}},
      {"input recording", InputRecording, {false, false, false, false, false}},
      {"flash loading off", [](DeckHarness& h) { h.Deck().SetFlashLoading(0); }, {false, true, false, false, false}},
      {"fast loading off", [](DeckHarness& h) { h.Deck().SetFastLoading(0); }, {false, true, false, false, false}},
      {"edge detection off", [](DeckHarness& h) { h.Deck().edgeDetection = 0; }, {true, false, true, true, true}},
  };
  for (const auto& condition : conditions) {
    for (std::size_t i = 0; i < std::size(methods); ++i) {
      DeckHarness harness;
      condition.set(harness);
      EXPECT_EQ(condition.acting[i], methods[i].second(harness)) << condition.name << ": " << methods[i].first;
    }
  }
}

}  // namespace
}  // namespace reelbox::test
