// The machine table's paging, AY register file and +3 disk controller, driven
// by Z80 code in a made-up ROM repeated in every ROM page (so that paging a
// ROM out leaves the code in place).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "contract/host_interfaces.h"
#include "host/zx_machine.h"

namespace reelbox::host {
namespace {

struct PortWrite {
  std::uint16_t port;
  std::uint8_t value;
};

class Silent final : public SpectrumListener {
  void OnUlaRead(std::uint16_t, std::uint8_t*) override {}
  void OnTrap(std::uint16_t) override {}
};

// Boots model on ROMs whose every page runs: DI, then LD BC,port; LD A,value;
// OUT (C),A for each write, then JR $.
std::unique_ptr<Spectrum> RunWrites(std::uint32_t model, const std::vector<PortWrite>& writes, Silent* listener) {
  const MachineDescription& desc = *MachineByModel(model);
  std::vector<std::uint8_t> code = {0xF3};
  for (const PortWrite& write : writes) {
    const std::vector<std::uint8_t> out = {0x01,
                                           static_cast<std::uint8_t>(write.port),
                                           static_cast<std::uint8_t>(write.port >> 8),
                                           0x3E,
                                           write.value,
                                           0xED,
                                           0x79};
    code.insert(code.end(), out.begin(), out.end());
  }
  code.insert(code.end(), {0x18, 0xFE});
  std::vector<std::uint8_t> roms(desc.RomCount() * ROM_BYTES, 0);
  for (std::uint32_t page = 0; page < desc.RomCount(); ++page)
    std::memcpy(&roms[page * ROM_BYTES], code.data(), code.size());
  auto spectrum = std::make_unique<Spectrum>(desc, roms.data(), listener);
  spectrum->RunFrame();
  spectrum->FinishFrame();
  return spectrum;
}

// The RAM page that the CPU sees at address, or -1 for none that takes writes.
int PageAt(Spectrum& spectrum, std::uint16_t address) {
  spectrum.Poke(address, 0xA7);
  for (std::uint32_t page = 0; page < 16; ++page) {
    const std::uint8_t* bytes = spectrum.RamPage(page);
    if (bytes != nullptr && bytes[address & 0x3FFF] == 0xA7 && spectrum.Peek(address) == 0xA7)
      return static_cast<int>(page);
  }
  return -1;
}

TEST(MachinePaging, PortsMapRomAndRamAsEachMachineDecodesThem) {
  struct Case {
    const char* name;
    std::uint32_t model;
    std::vector<PortWrite> writes;
    int rom;  // at 0x0000; -1 for RAM
    int low;  // RAM page at 0x0000 when no ROM is there
    int top;  // RAM page at 0xC000
    bool shadowScreen;
  };
  const Case cases[] = {
      {"48K ignores 0x7FFD", MODEL_48K, {{0x7FFD, 0x17}}, 0, -1, 0, false},
      {"16K has no RAM at 0xC000", MODEL_16K, {}, 0, -1, -1, false},
      {"128K page, ROM and screen", MODEL_128K, {{0x7FFD, 0x1B}}, 1, -1, 3, true},
      {"128K lock keeps page 4", MODEL_128K, {{0x7FFD, 0x24}, {0x7FFD, 0x11}}, 0, -1, 4, false},
      {"+2A ROM 3 from both ports", MODEL_PLUS2A, {{0x1FFD, 0x04}, {0x7FFD, 0x10}}, 3, -1, 0, false},
      {"+3 all-RAM 4,7,6,3", MODEL_PLUS3, {{0x1FFD, 0x07}}, -1, 4, 3, false},
      {"+3 lock holds 0x1FFD too", MODEL_PLUS3, {{0x7FFD, 0x20}, {0x1FFD, 0x04}}, 0, -1, 0, false},
      {"+3 0x1FFD is not 0x7FFD", MODEL_PLUS3, {{0x1FFD, 0x02}}, 0, -1, 0, false},
      {"Scorpion pages 8-15", MODEL_SCORPION, {{0x1FFD, 0x10}, {0x7FFD, 0x03}}, 0, -1, 11, false},
      {"Scorpion service ROM", MODEL_SCORPION, {{0x7FFD, 0x10}, {0x1FFD, 0x02}}, 2, -1, 0, false},
      {"Scorpion RAM at 0x0000", MODEL_SCORPION, {{0x1FFD, 0x01}}, -1, 0, 0, false},
      {"Scorpion: even ports only set the border", MODEL_SCORPION, {{0x1F00, 0x13}, {0x7F00, 0x17}}, 0, -1, 0, false},
  };
  for (const Case& c : cases) {
    Silent listener;
    auto spectrum = RunWrites(c.model, c.writes, &listener);
    EXPECT_EQ(spectrum->RomPage(), c.rom) << c.name;
    EXPECT_EQ(PageAt(*spectrum, 0x0000), c.rom >= 0 ? -1 : c.low) << c.name << ": the ROM takes no writes";
    EXPECT_EQ(PageAt(*spectrum, 0xC000), c.top) << c.name;
    EXPECT_EQ(spectrum->Screen(), spectrum->RamPage(c.shadowScreen ? 7 : 5)) << c.name;
  }
}

TEST(MachineDevices, AyRegistersReadBackWithTheirUnusedBitsClear) {
  Silent listener;
  auto spectrum = RunWrites(
      MODEL_128K, {{0xFFFD, 1}, {0xBFFD, 0xFF}, {0xFFFD, 7}, {0xBFFD, 0xAB}, {0xFFFD, 13}, {0xBFFD, 0x3E}}, &listener);
  EXPECT_EQ(spectrum->Ay().Registers()[1], 0x0F);
  EXPECT_EQ(spectrum->Ay().Registers()[7], 0xAB);
  EXPECT_EQ(spectrum->Ay().Read(), 0x0E);
  EXPECT_EQ(spectrum->Ay().Selected(), 13);
}

TEST(MachineDevices, DiskControllerAnswersEveryCommandAsDrivesNotReady) {
  DiskController fdc;
  fdc.Reset();
  EXPECT_EQ(fdc.ReadStatus(), 0x80);
  struct Case {
    std::vector<std::uint8_t> command;
    std::vector<std::uint8_t> result;
  };
  const Case cases[] = {
      {{0x03, 0xAF, 0x03}, {}},  // SPECIFY
      {{0x04, 0x01}, {0x11}},    // SENSE DRIVE STATUS: track 0, drive 1
      {{0x08}, {0x80}},          // SENSE INTERRUPT with nothing pending
      {{0x07, 0x00}, {}},        // RECALIBRATE
      {{0x08}, {0x68, 0x00}},    // ... its seek end, not ready
      {{0x46, 0x00, 0x02, 0x00, 0x01, 0x02, 0x01, 0x2A, 0xFF}, {0x48, 0, 0, 0x02, 0x00, 0x01, 0x02}},  // READ DATA
      {{0x1F}, {0x80}},                                                                                // invalid
  };
  for (const Case& c : cases) {
    for (std::uint8_t byte : c.command) fdc.WriteData(byte);
    std::vector<std::uint8_t> result;
    while (fdc.ReadStatus() & 0x40) result.push_back(fdc.ReadData());
    EXPECT_EQ(result, c.result) << "command 0x" << std::hex << int(c.command[0]);
    EXPECT_EQ(fdc.ReadStatus(), 0x80);
  }
}

// What the CPU itself reads after paging, whichever way the host serves its
// reads: every RAM page holds 0x40 + its number at both ends, every ROM page
// 0xE0 + its number at its end. The code pages, writes 0x99 into the ROM, then
// loads D from 0xC000, E from 0x3FFF, H from 0x4000 and L from 0xFFFF.
TEST(MachinePaging, TheCpuReadsWhatEachMapShows) {
  struct Case {
    const char* name;
    std::uint32_t model;
    std::vector<PortWrite> writes;
    std::uint8_t d, e, h, l;
  };
  const Case cases[] = {
      {"48K", MODEL_48K, {}, 0x40, 0xE0, 0x45, 0x40},
      {"16K: nothing above 0x8000", MODEL_16K, {}, 0xFF, 0xE0, 0x45, 0xFF},
      {"128K 48 BASIC, page 0", MODEL_128K, {{0x7FFD, 0x10}}, 0x40, 0xE1, 0x45, 0x40},
      {"128K page 3", MODEL_128K, {{0x7FFD, 0x13}}, 0x43, 0xE1, 0x45, 0x43},
      {"128K page 5 twice", MODEL_128K, {{0x7FFD, 0x05}}, 0x45, 0xE0, 0x45, 0x45},
      {"128K back to page 0", MODEL_128K, {{0x7FFD, 0x17}, {0x7FFD, 0x10}}, 0x40, 0xE1, 0x45, 0x40},
      {"+3 ROM 3, page 0", MODEL_PLUS3, {{0x1FFD, 0x04}, {0x7FFD, 0x10}}, 0x40, 0xE3, 0x45, 0x40},
  };
  for (const Case& c : cases) {
    const MachineDescription& desc = *MachineByModel(c.model);
    std::vector<std::uint8_t> code = {0xF3};
    for (const PortWrite& write : c.writes) {
      code.insert(code.end(), {0x01, static_cast<std::uint8_t>(write.port), static_cast<std::uint8_t>(write.port >> 8),
                               0x3E, write.value, 0xED, 0x79});
    }
    code.insert(code.end(), {0x3E, 0x99, 0x32, 0xFF, 0x3F,  // LD A,0x99; LD (0x3FFF),A
                             0x3A, 0x00, 0xC0, 0x57,        // LD A,(0xC000); LD D,A
                             0x3A, 0xFF, 0x3F, 0x5F,        // LD A,(0x3FFF); LD E,A
                             0x3A, 0x00, 0x40, 0x67,        // LD A,(0x4000); LD H,A
                             0x3A, 0xFF, 0xFF, 0x6F,        // LD A,(0xFFFF); LD L,A
                             0x18, 0xFE});
    std::vector<std::uint8_t> roms(desc.RomCount() * ROM_BYTES, 0);
    for (std::uint32_t page = 0; page < desc.RomCount(); ++page) {
      std::memcpy(&roms[page * ROM_BYTES], code.data(), code.size());
      roms[page * ROM_BYTES + ROM_BYTES - 1] = static_cast<std::uint8_t>(0xE0 + page);
    }
    Silent listener;
    Spectrum spectrum(desc, roms.data(), &listener);
    for (std::uint32_t page = 0; page < 16; ++page) {
      std::uint8_t* bytes = spectrum.RamPage(page);
      if (bytes != nullptr) bytes[0] = bytes[PAGE_BYTES - 1] = static_cast<std::uint8_t>(0x40 + page);
    }
    spectrum.RunFrame();
    EXPECT_EQ(spectrum.Register(regDE), c.d << 8 | c.e) << c.name;
    EXPECT_EQ(spectrum.Register(regHL), c.h << 8 | c.l) << c.name;
  }
}

}  // namespace
}  // namespace reelbox::host
