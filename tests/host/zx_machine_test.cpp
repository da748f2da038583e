// The reference host's Spectrum: the frame clock at port reads, the 32 T-state
// interrupt, execution traps, registers by number, keyboard, border, memory,
// and the display's contention and floating bus, timed with assembled probes.
#include "host/zx_machine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "host/emulated_machine.h"
#include "loaders/assembled_loader.h"

namespace reelbox::host {
namespace {

struct Rom {
  std::uint8_t bytes[ROM_BYTES] = {};
  void Put(std::uint16_t address, std::initializer_list<std::uint8_t> code) {
    std::memcpy(bytes + address, code.begin(), code.size());
  }
};

// Records what the CPU shows its owner; can move the clock or PC on a trap.
class Recorder final : public SpectrumListener {
 public:
  void OnUlaRead(std::uint16_t port, std::uint8_t* value) override {
    reads.push_back(Read{spectrum->FrameClock(), port, *value, spectrum->Register(regPC)});
    if (shiftClock != 0 && reads.size() == 1) spectrum->SetFrameClock(spectrum->FrameClock() + shiftClock);
  }
  void OnTrap(std::uint16_t address) override {
    traps.push_back(address);
    trapClocks.push_back(spectrum->FrameClock());
    if (trapJump != 0) spectrum->SetRegister(regPC, trapJump);
  }

  struct Read {
    std::uint32_t clock;
    std::uint16_t port;
    std::uint8_t value;
    std::uint16_t pc;
  };
  Spectrum* spectrum = nullptr;
  std::vector<Read> reads;
  std::vector<std::uint16_t> traps;
  std::vector<std::uint32_t> trapClocks;
  std::uint32_t shiftClock = 0;
  std::uint16_t trapJump = 0;
};

class SpectrumCore : public ::testing::Test {
 protected:
  Spectrum& Boot(std::uint32_t model = MODEL_48K) {
    spectrum = std::make_unique<Spectrum>(*MachineByModel(model), rom.bytes, &recorder);
    recorder.spectrum = spectrum.get();
    return *spectrum;
  }
  void Frame() {
    spectrum->RunFrame();
    spectrum->FinishFrame();
  }

  Rom rom;
  Recorder recorder;
  std::unique_ptr<Spectrum> spectrum;
};

// DI; LD A,0x7F; IN A,(0xFE); NOP; IN A,(0xFE); JR $
void PutTwoReads(Rom& rom) { rom.Put(0, {0xF3, 0x3E, 0x7F, 0xDB, 0xFE, 0x00, 0xDB, 0xFE, 0x18, 0xFE}); }

TEST_F(SpectrumCore, PortReadsSeeTheTStateInsideTheInstruction) {
  PutTwoReads(rom);
  Boot().RunFrame();
  ASSERT_EQ(recorder.reads.size(), 2u);
  // The first IN starts at T 11 and the second 15 T-states later.
  EXPECT_GE(recorder.reads[0].clock, 11u + 4u);
  EXPECT_LT(recorder.reads[0].clock, 11u + 11u);
  EXPECT_EQ(recorder.reads[1].clock - recorder.reads[0].clock, 15u);
  // PC has passed the instruction: the ROM loader's sampler reads at 0x05F3.
  EXPECT_EQ(recorder.reads[0].pc, 0x0005);
  EXPECT_EQ(recorder.reads[0].port, 0x7FFE);
}

TEST_F(SpectrumCore, ClockSetDuringAReadCarriesOn) {
  PutTwoReads(rom);
  recorder.shiftClock = 1000;
  Boot().RunFrame();
  ASSERT_EQ(recorder.reads.size(), 2u);
  EXPECT_EQ(recorder.reads[1].clock - recorder.reads[0].clock, 1015u);
}

TEST_F(SpectrumCore, FrameEndsAtItsLengthAndCarriesTheOvershoot) {
  rom.Put(0, {0xF3, 0x18, 0xFE});  // DI; JR $ (12 T-states a turn)
  Spectrum& cpu = Boot();
  cpu.RunFrame();
  EXPECT_EQ(cpu.FrameClock(), FRAME_TSTATES);
  cpu.FinishFrame();
  // 4 + 12n first reaches 69892: the last jump ran 4 T-states into the next frame.
  EXPECT_EQ(cpu.FrameClock(), 4u);
  EXPECT_EQ(cpu.FramesRun(), 1u);
}

TEST_F(SpectrumCore, InterruptLineIsHeldFor32TStates) {
  struct Case {
    const char* handler;
    std::initializer_list<std::uint8_t> code;
    std::size_t perFrame;
  };
  // IM 1; EI; HALT; JR back to the HALT. A handler that re-enables
  // interrupts within 32 T-states is interrupted again in the same frame.
  for (const Case& c : {Case{"EI; RET", {0xFB, 0xC9}, 2}, Case{"NOP; NOP; EI; RET", {0x00, 0x00, 0xFB, 0xC9}, 1}}) {
    rom = Rom();
    rom.Put(0, {0xED, 0x56, 0xFB, 0x76, 0x18, 0xFD});
    rom.Put(0x38, c.code);
    recorder.traps.clear();
    Spectrum& cpu = Boot();
    cpu.SetTrap(0x38, true);
    Frame();  // the first frame starts with interrupts disabled by the reset
    recorder.traps.clear();
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_EQ(recorder.traps.size(), 10 * c.perFrame) << c.handler;
  }
}

TEST_F(SpectrumCore, TrapThatMovesPcSkipsTheInstruction) {
  // DI; LD A,1; LD A,2; JR $
  rom.Put(0, {0xF3, 0x3E, 0x01, 0x3E, 0x02, 0x18, 0xFE});
  for (std::uint16_t jump : {std::uint16_t{0}, std::uint16_t{0x0005}}) {
    recorder.traps.clear();
    recorder.trapJump = jump;
    Spectrum& cpu = Boot();
    cpu.SetTrap(0x0003, true);
    cpu.RunFrame();
    EXPECT_EQ(recorder.traps.size(), 1u);
    EXPECT_EQ(cpu.Register(regAF) >> 8, jump == 0 ? 2 : 1);
  }
}

TEST_F(SpectrumCore, KeyboardHalfRowsAndTheEarBit) {
  // DI; LD A,0x10; OUT (0xFE),A; LD A,0xFE; IN A,(0xFE); LD A,0x7F; IN A,(0xFE); JR $
  rom.Put(0, {0xF3, 0x3E, 0x10, 0xD3, 0xFE, 0x3E, 0xFE, 0xDB, 0xFE, 0x3E, 0x7F, 0xDB, 0xFE, 0x18, 0xFE});
  Spectrum& cpu = Boot();
  cpu.Keys().Press(KEY_CAPS_SHIFT);
  cpu.Keys().Press(Key{0, 3});  // C
  cpu.Keys().Press(KEY_SPACE);
  cpu.RunFrame();
  ASSERT_EQ(recorder.reads.size(), 2u);
  // Bits 5 and 7 high; bit 6 follows the EAR output written (bit 4).
  EXPECT_EQ(recorder.reads[0].value, 0xE0 | (0x1F & ~0x09));
  EXPECT_EQ(recorder.reads[1].value, 0xE0 | (0x1F & ~0x01));
  EXPECT_EQ(cpu.Keys().Read(0x00), 0x1F & ~0x09 & ~0x01 & 0x1F);
}

TEST_F(SpectrumCore, BorderChangesFromTheLineItWasWrittenIn) {
  // DI; LD A,2; OUT (0xFE),A at T 11; a delay; LD A,5; OUT at about T 30000; JR $
  rom.Put(0, {0xF3, 0x3E, 0x02, 0xD3, 0xFE, 0x01, 0x00, 0x08, 0x0B, 0x78, 0xB1, 0x20, 0xFB, 0x3E, 0x05, 0xD3, 0xFE,
              0x18, 0xFE});
  Spectrum& cpu = Boot();
  Frame();
  const auto& lines = cpu.BorderLines();
  EXPECT_EQ(lines[0], 7);  // white at power-on, until the first write
  EXPECT_EQ(lines[1], 2);
  // The loop of 2048 turns of 26 T-states ends near line 238.
  EXPECT_EQ(lines[230], 2);
  EXPECT_EQ(lines[250], 5);
  EXPECT_EQ(cpu.Border(), 5);
}

TEST_F(SpectrumCore, SixteenKMachineHasNoUpperRam) {
  Spectrum& cpu = Boot(MODEL_16K);
  cpu.Poke(0x7FFF, 0x12);
  cpu.Poke(0x8000, 0x34);
  cpu.Poke(0x0000, 0x56);
  EXPECT_EQ(cpu.Peek(0x7FFF), 0x12);
  EXPECT_EQ(cpu.Peek(0x8000), 0xFF);
  EXPECT_EQ(cpu.Peek(0x0000), 0x00);
}

// One instruction of tests/loaders/timing_probes.asm, run from 0x8000 or
// from a copy in contended 0x6000, at a frame T-state, with BC and HL set: its
// length and the floating bus byte it reads come from the published tables
// (48K waits 6,5,4,3,2,1,0,0 from T 14335, 128K from 14361, +3
// 1,0,7,6,5,4,3,2 from 14365 on memory cycles only; the screen's first bytes
// are on the bus from 14338, 14364 and 14367).
TEST_F(SpectrumCore, ContentionAndFloatingBusMatchThePublishedTimings) {
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
  const std::string NOP = "nop_op", LD = "ld_a_hl", INC = "inc_ind_hl", IN = "in_a_c";
  // clang-format off
  const Case cases[] = {
      {K48, NOP, 0x8000, 0, 0, 0, 14335, 4, -1}, {K48, NOP, 0x6000, 0, 0, 0, 14335, 10, -1},
      {K48, NOP, 0x6000, 0, 0, 0, 14334, 4, -1}, {K48, NOP, 0x6000, 0, 0, 0, 14339 + 224, 6, -1},
      {K48, NOP, 0x6000, 0, 0, 0, 14335 + 128, 4, -1}, {K48, LD, 0x8000, 0, 0x4000, 0, 14331, 13, -1},
      {K48, LD, 0x8000, 0, 0x8000, 0, 14331, 7, -1}, {K48, INC, 0x8000, 0, 0x4000, 0, 14331, 22, -1},
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
  for (const Case& c : cases) {
    Spectrum& cpu = Boot(c.model);
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
    cpu.SetTrap(static_cast<std::uint16_t>(at(c.label + "_end")), true);
    recorder.trapClocks.clear();
    cpu.SetFrameClock(c.start);
    cpu.RunFrame();
    const std::string name = std::string(cpu.Description().name) + " " + c.label + " at " + std::to_string(c.start);
    ASSERT_FALSE(recorder.trapClocks.empty()) << name;
    EXPECT_EQ(recorder.trapClocks[0] - c.start, c.tstates) << name;
    EXPECT_TRUE(c.a < 0 || cpu.Register(regAF) >> 8 == c.a) << name << ": A " << (cpu.Register(regAF) >> 8);
  }
}

TEST(EmulatedMachineSlots, RegistersByNumberAndTheStack) {
  Rom rom;
  HostRegistry registry;
  SoundDevice sound;
  EmulatedMachine machine(*MachineByModel(MODEL_48K), rom.bytes, &registry, &sound);
  const std::uint32_t numbers[] = {REG_PC, REG_SP, REG_AF, REG_BC, REG_DE, REG_HL, REG_AF_ALT, REG_IX};
  const Z80_REG_T regs[] = {regPC, regSP, regAF, regBC, regDE, regHL, regAF_, regIX};
  for (std::size_t i = 0; i < 8; ++i) {
    ASSERT_EQ(machine.SetRegister(numbers[i], 0x1100 + static_cast<std::uint32_t>(i)), RESULT_OK);
    EXPECT_EQ(machine.Machine().Register(regs[i]), 0x1100 + i) << numbers[i];
    std::uint32_t value = 0;
    EXPECT_EQ(machine.GetRegister(numbers[i], &value), RESULT_OK);
    EXPECT_EQ(value, 0x1100 + i);
  }
  std::uint32_t value = 0;
  EXPECT_EQ(machine.GetRegister(99, &value), RESULT_FAIL);

  machine.SetRegister(REG_SP, 0xFFFE);
  machine.WriteMemory(0xFFFE, 0x34);
  machine.WriteMemory(0xFFFF, 0x12);
  std::uint16_t word = 0;
  EXPECT_EQ(machine.PopWord(&word), RESULT_OK);
  EXPECT_EQ(word, 0x1234);
  machine.GetRegister(REG_SP, &value);
  EXPECT_EQ(value, 0x0000u);
  EXPECT_EQ(machine.WriteMemory(0x0100, 1), RESULT_FALSE);  // ROM
}

// A device that only counts its execution traps.
class TrapOwner final : public IDevice {
 public:
  HResult RB_CALL QueryInterface(const Guid&, void**) override { return RESULT_NOINTERFACE; }
  std::uint32_t RB_CALL AddRef() override { return 2; }
  std::uint32_t RB_CALL Release() override { return 1; }
  HResult RB_CALL ReadPort(std::uint32_t, std::uint8_t*) override { return RESULT_FAIL; }
  HResult RB_CALL WritePort(std::uint32_t, std::uint8_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL ExecuteTrap(std::uint16_t address) override {
    addresses.push_back(address);
    return RESULT_OK;
  }
  HResult RB_CALL Reset(std::uint32_t) override { return RESULT_OK; }
  HResult RB_CALL DeviceSlot7(std::uintptr_t, std::uintptr_t) override { return RESULT_OK; }
  HResult RB_CALL DeviceSlot8() override { return RESULT_NOTIMPL; }
  HResult RB_CALL DeviceSlot9(std::uintptr_t) override { return RESULT_OK; }
  HResult RB_CALL DeviceSlot10() override { return RESULT_NOTIMPL; }
  HResult RB_CALL DeviceSlot11() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SaveState(ISnapshotWriter*, IMediaHost*, std::uint32_t) override { return RESULT_OK; }
  HResult RB_CALL LoadState(const std::uint8_t*, IMediaHost*, std::uint32_t) override { return RESULT_OK; }
  HResult RB_CALL DeviceSlot14(std::uintptr_t, std::uintptr_t, std::uintptr_t) override { return RESULT_FAIL; }
  HResult RB_CALL DeviceSlot15(std::uintptr_t, std::uintptr_t, std::uintptr_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL DeviceSlot16(std::uintptr_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetName(const char**) override { return RESULT_NOTIMPL; }
  HResult RB_CALL DeviceSlot18() override { return RESULT_OK; }
  HResult RB_CALL Attach(IEmulatedMachine*) override { return RESULT_OK; }
  HResult RB_CALL Detach() override { return RESULT_OK; }
  HResult RB_CALL StopSound() override { return RESULT_OK; }
  HResult RB_CALL BeginFrame(std::uint32_t) override { return RESULT_OK; }
  HResult RB_CALL EndFrame(std::uint32_t, std::uint32_t) override { return RESULT_OK; }
  HResult RB_CALL SoundControl(std::uint32_t) override { return RESULT_OK; }

  std::vector<std::uint16_t> addresses;
};

TEST(EmulatedMachineSlots, TrapsCallTheirOwnerInTheBasicRomOnly) {
  Rom rom;
  // DI; LD B,3; loop: NOP; DJNZ loop; JR $
  rom.Put(0, {0xF3, 0x06, 0x03, 0x00, 0x10, 0xFD, 0x18, 0xFE});
  HostRegistry registry;
  SoundDevice sound;
  EmulatedMachine machine(*MachineByModel(MODEL_48K), rom.bytes, &registry, &sound);
  TrapOwner basic;
  TrapOwner other;
  EXPECT_EQ(machine.AddExecutionTrap(0, 0x0003, 0, &basic), RESULT_OK);
  EXPECT_EQ(machine.AddExecutionTrap(0, 0x0003, 2, &other), RESULT_OK);  // a 128K ROM this machine lacks
  machine.Machine().RunFrame();
  EXPECT_EQ(basic.addresses, (std::vector<std::uint16_t>{3, 3, 3}));
  EXPECT_TRUE(other.addresses.empty());
  EXPECT_EQ(machine.RemoveExecutionTrap(0, 0x0003, 0, &basic), RESULT_OK);
  EXPECT_EQ(machine.RemoveExecutionTrap(0, 0x0003, 0, &basic), RESULT_FAIL);
}

}  // namespace
}  // namespace reelbox::host
