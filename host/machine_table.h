// One description per machine the host emulates: its ROM files, RAM pages,
// paging ports, frame timing and built-in devices. The machine core reads
// nothing else about a model.
#pragma once

#include <cstdint>
#include <string>

namespace reelbox::host {

// How the machine pages its memory.
enum class Paging {
  None,      // 16K and 48K: ROM, then RAM pages 5, 2, 0
  Port7FFD,  // 128K and +2
  Plus3,     // +2A, +3, +3e: 0x7FFD and 0x1FFD with the special all-RAM modes
  Scorpion,  // 0x7FFD and 0x1FFD: RAM at 0x0000, service ROM, RAM pages 8-15
};

struct MachineDescription {
  const char* name;           // the command line's name, e.g. "plus2a"
  const char* title;          // for messages, e.g. "Spectrum +2A"
  std::uint32_t model;        // the host's machine number (GetModel)
  std::uint8_t szxMachineId;  // the machine id of zx-state snapshots
  const char* romFiles[4];    // ROM pages in page order; null past the last
  std::uint32_t ramPages;     // 16K pages of RAM fitted
  Paging paging;
  std::uint32_t lineTStates;       // T-states per scan line
  std::uint32_t frameLines;        // scan lines per frame
  std::uint32_t interruptTStates;  // how long INT is held at the start of a frame
  std::uint32_t basicRomPage;      // the ROM page holding 48 BASIC
  std::uint32_t basicRomNumber;    // that ROM's number in execution traps
  bool ay;                         // the AY sound chip at 0xFFFD / 0xBFFD
  bool diskController;             // the +3's floppy disk controller at 0x2FFD / 0x3FFD
  bool editor128;                  // boots into a menu with 128 BASIC
  std::uint32_t menuFrames;        // frames from power-on to the menu or the 48 BASIC prompt

  std::uint32_t FrameTStates() const { return lineTStates * frameLines; }
  std::uint32_t RomCount() const;
  // Whether RAM page number page exists (16K and 48K fit only pages 5, 2, 0).
  bool HasRamPage(std::uint32_t page) const;
};

// The machines, in machine-number order (0 to 7).
const MachineDescription* Machines(std::size_t* count);
const MachineDescription* MachineByName(const std::string& name);
const MachineDescription* MachineByModel(std::uint32_t model);
const MachineDescription* MachineBySzxId(std::uint8_t id);
// "16k|48k|128k|..." for usage texts.
std::string MachineNames();

}  // namespace reelbox::host
