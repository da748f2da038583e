// The reference host's Spectrum as its CPU sees it: the display's contention
// and floating bus, timed with assembled probes against the published tables.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "contract/host_interfaces.h"
#include "host/rom_set.h"
#include "host/zx_machine.h"
#include "loaders/assembled_loader.h"

namespace reelbox::host {
namespace {

// Notes the clock at each trap: a probe's end. Asked to, each read of the ULA
// port traps the instruction after it, as a plug-in may arm traps mid-frame.
class TrapClocks final : public SpectrumListener {
 public:
  void OnUlaRead(std::uint16_t, std::uint8_t*) override {
    if (trapAfterReads) spectrum->SetTrap(spectrum->Register(regPC), true);
  }
  void OnTrap(std::uint16_t) override { trapClocks.push_back(spectrum->FrameClock()); }

  Spectrum* spectrum = nullptr;
  bool trapAfterReads = false;
  std::vector<std::uint32_t> trapClocks;
};

// One instruction of tests/loaders/timing_probes.asm, run from 0x8000 or
// from a copy in contended 0x6000, at a frame T-state, with BC and HL (IX as
// HL) set: its length and the floating bus byte it reads come from the
// published tables (48K waits 6,5,4,3,2,1,0,0 from T 14335, 128K from 14361, +3
// 1,0,7,6,5,4,3,2 from 14365 on memory cycles only; the screen's first bytes
// are on the bus from 14338, 14364 and 14367).
TEST(SpectrumCore, ContentionAndFloatingBusMatchThePublishedTimings) {
  test::AssembledLoader probes;
  if (!test::ReadAssembledLoader("timing_probes", &probes)) GTEST_SKIP() << "no assembled probes (z80asm)";
  struct Case {
    std::uint32_t model;
    std::string label;
    std::uint16_t code, bc, hl;
    std::uint8_t port7ffd;
    std::uint32_t start, tstates;
    int a;  // A afterwards; -1 when not checked
  };
  constexpr std::uint32_t K48 = MODEL_48K, K128 = MODEL_128K, P3 = MODEL_PLUS3;
  const std::string NOP = "nop_op", LD = "ld_a_hl", INC = "inc_ind_hl", IN = "in_a_c", LDIX = "ld_a_ix";
  // clang-format off
  const Case cases[] = {
      {K48, NOP, 0x8000, 0, 0, 0, 14335, 4, -1}, {K48, NOP, 0x6000, 0, 0, 0, 14335, 10, -1},
      {K48, NOP, 0x6000, 0, 0, 0, 14334, 4, -1}, {K48, NOP, 0x6000, 0, 0, 0, 14339 + 224, 6, -1},
      {K48, NOP, 0x6000, 0, 0, 0, 14335 + 128, 4, -1}, {K48, LD, 0x8000, 0, 0x4000, 0, 14331, 13, -1},
      {K48, LD, 0x8000, 0, 0x8000, 0, 14331, 7, -1}, {K48, INC, 0x8000, 0, 0x4000, 0, 14331, 22, -1},
      {K48, LDIX, 0x6000, 0, 0x8000, 0, 14335, 50, -1},
      {K48, IN, 0x8000, 0xFEFE, 0, 0, 14326, 18, -1}, {K48, IN, 0x8000, 0x40FE, 0, 0, 14327, 18, -1},
      {K48, IN, 0x8000, 0x40FF, 0, 0, 14327, 24, -1}, {K48, IN, 0x8000, 0x00FF, 0, 0, 14327, 12, 0x10},
      {K48, IN, 0x8000, 0x00FF, 0, 0, 14328, 12, 0x22}, {K48, IN, 0x8000, 0x00FF, 0, 0, 14330, 12, 0x46},
      {K48, IN, 0x8000, 0x00FF, 0, 0, 14331, 12, 0xFF}, {K48, IN, 0x8000, 0x00FF, 0, 0, 14327 + 224, 12, 0x58},
      {K128, NOP, 0x6000, 0, 0, 0, 14361, 10, -1}, {K128, NOP, 0x6000, 0, 0, 0, 14360, 4, -1},
      {K128, LD, 0x8000, 0, 0xC000, 7, 14357, 13, -1}, {K128, LD, 0x8000, 0, 0xC000, 6, 14357, 7, -1},
      {K128, IN, 0x8000, 0xC0FF, 0, 3, 14353, 24, -1}, {K128, IN, 0x8000, 0x00FF, 0, 0, 14353, 12, 0x10},
      {P3, NOP, 0x6000, 0, 0, 0, 14365, 5, -1}, {P3, NOP, 0x6000, 0, 0, 0, 14367, 11, -1},
      {P3, LD, 0x8000, 0, 0xC000, 4, 14363, 14, -1}, {P3, LD, 0x8000, 0, 0xC000, 3, 14363, 7, -1},
      {P3, INC, 0x8000, 0, 0x4000, 0, 14361, 16, -1}, {P3, IN, 0x8000, 0x40FF, 0, 0, 14357, 12, -1},
      {P3, IN, 0x8000, 0x00FD, 0, 0, 14356, 12, 0x11}, {P3, IN, 0x8000, 0x00FD, 0, 0, 14361, 12, 0x47},
      {P3, IN, 0x8000, 0x00FD, 0, 0x20, 14356, 12, 0xFF}, {P3, IN, 0x8000, 0x00FF, 0, 0, 14356, 12, 0xFF},
      {MODEL_SCORPION, NOP, 0x6000, 0, 0, 0, 14335, 4, -1},
  };
  // clang-format on
  const std::vector<std::uint8_t> roms(4 * ROM_BYTES);  // blank pages, as many as any model has
  for (const Case& c : cases) {
    TrapClocks recorder;
    const auto spectrum = std::make_unique<Spectrum>(*MachineByModel(c.model), roms.data(), &recorder);
    Spectrum& cpu = *spectrum;
    recorder.spectrum = spectrum.get();
    cpu.SetPaging(PagingState{c.port7ffd, 0});
    for (std::size_t i = 0; i < probes.code.size(); ++i)
      cpu.Poke(static_cast<std::uint16_t>(c.code + i), probes.code[i]);
    for (auto [address, byte] :
         {std::pair{0x4000, 0x10}, {0x5800, 0x22}, {0x4001, 0x34}, {0x5801, 0x46}, {0x4100, 0x58}}) {
      cpu.Poke(static_cast<std::uint16_t>(address), static_cast<std::uint8_t>(byte));
    }
    const auto at = [&](const std::string& label) { return probes.Label(label) - test::LOADER_ORIGIN + c.code; };
    cpu.SetRegister(regPC, static_cast<std::uint16_t>(at(c.label)));
    cpu.SetRegister(regBC, c.bc);
    cpu.SetRegister(regHL, c.hl);
    cpu.SetRegister(regIX, c.hl);
    cpu.SetTrap(static_cast<std::uint16_t>(at(c.label + "_end")), true);
    cpu.SetFrameClock(c.start);
    cpu.RunFrame();
    const std::string name = std::string(cpu.Description().name) + " " + c.label + " at " + std::to_string(c.start);
    ASSERT_FALSE(recorder.trapClocks.empty()) << name;
    EXPECT_EQ(recorder.trapClocks[0] - c.start, c.tstates) << name;
    EXPECT_TRUE(c.a < 0 || cpu.Register(regAF) >> 8 == c.a) << name << ": A " << (cpu.Register(regAF) >> 8);
  }
}

// What a run leaves behind: the clock at each trap (armed after each read of
// the ULA port), the registers and a hash of each RAM page after each frame.
std::vector<std::size_t> RunAndRecord(const MachineDescription& desc, const std::vector<std::uint8_t>& roms,
                                      bool stepwise) {
  TrapClocks recorder;
  Spectrum cpu(desc, roms.data(), &recorder);
  recorder.spectrum = &cpu;
  recorder.trapAfterReads = true;
  cpu.SetStepwise(stepwise);
  std::vector<std::size_t> record;
  for (int frame = 0; frame < 120; ++frame) {  // RAM tested (contended writes), menus shown, keys scanned
    cpu.RunFrame();
    cpu.FinishFrame();
    record.insert(record.end(), recorder.trapClocks.begin(), recorder.trapClocks.end());
    recorder.trapClocks.clear();
    record.push_back(cpu.FrameClock());
    for (int reg = regAF; reg <= regIFF2; ++reg) record.push_back(cpu.Register(static_cast<Z80_REG_T>(reg)));
    for (std::uint32_t page = 0; page < 8; ++page) {
      const auto* ram = reinterpret_cast<const char*>(cpu.RamPage(page));
      if (ram != nullptr) record.push_back(std::hash<std::string_view>{}(std::string_view(ram, PAGE_BYTES)));
    }
  }
  return record;
}

// Between the frame's events the machine runs steps in stretches that test
// nothing else; step by step through the full loop, each model's boot must
// give the same T-states, registers and memory.
TEST(SpectrumCore, StretchesOfStepsRunAsStepByStep) {
  for (std::uint32_t model : {MODEL_48K, MODEL_128K, MODEL_PLUS3}) {
    const MachineDescription& desc = *MachineByModel(model);
    std::vector<std::uint8_t> roms;
    std::string error;
    if (!LoadRoms(desc, std::string(REELBOX_SHARED_TAPES) + "/../roms", "", &roms, &error)) {
      GTEST_SKIP() << error;
    }
    const std::vector<std::size_t> stepwise = RunAndRecord(desc, roms, true);
    EXPECT_TRUE(stepwise == RunAndRecord(desc, roms, false)) << desc.name;
  }
}

}  // namespace
}  // namespace reelbox::host
