#include "host/machine_table.h"

#include <strings.h>

namespace reelbox::host {
namespace {

// 48K timing: 224 T-states by 312 lines, INT for 32 T-states. The 128K and +2
// run 228 by 311 with INT for 36; the gate-array machines 228 by 311 with 32;
// the Scorpion the 48K's 224 by 312.
// clang-format off
const MachineDescription MACHINES[] = {
    // name, title, machine number, zx-state id, ROMs, RAM pages, paging,
    // line T-states, lines, INT T-states, 48 BASIC page and trap number,
    // AY, disk controller, 128 menu, frames to the menu
    {"16k", "Spectrum 16K", 0, 0, {"48.rom"}, 1, Paging::None, 224, 312, 32, 0, 0, false, false, false, 100},
    {"48k", "Spectrum 48K", 1, 1, {"48.rom"}, 3, Paging::None, 224, 312, 32, 0, 0, false, false, false, 100},
    {"128k", "Spectrum 128K", 2, 2, {"128-0.rom", "128-1.rom"}, 8, Paging::Port7FFD, 228, 311, 36, 1, 2,
     true, false, true, 250},
    {"plus2", "Spectrum +2", 3, 3, {"plus2-0.rom", "plus2-1.rom"}, 8, Paging::Port7FFD, 228, 311, 36, 1, 4,
     true, false, true, 250},
    {"plus2a", "Spectrum +2A", 4, 4, {"plus3-0.rom", "plus3-1.rom", "plus3-2.rom", "plus3-3.rom"}, 8,
     Paging::Plus3, 228, 311, 32, 3, 8, true, false, true, 250},
    {"plus3", "Spectrum +3", 5, 5, {"plus3-0.rom", "plus3-1.rom", "plus3-2.rom", "plus3-3.rom"}, 8,
     Paging::Plus3, 228, 311, 32, 3, 8, true, true, true, 250},
    {"plus3e", "Spectrum +3e", 6, 6, {"plus3e-0.rom", "plus3e-1.rom", "plus3e-2.rom", "plus3e-3.rom"}, 8,
     Paging::Plus3, 228, 311, 32, 3, 10, true, true, true, 850},
    {"scorpion", "Scorpion ZS-256", 7, 10, {"256s-0.rom", "256s-1.rom", "256s-2.rom", "256s-3.rom"}, 16,
     Paging::Scorpion, 224, 312, 32, 1, 12, true, false, true, 450},
};
// clang-format on

}  // namespace

std::uint32_t MachineDescription::RomCount() const {
  std::uint32_t count = 0;
  while (count < 4 && romFiles[count] != nullptr) ++count;
  return count;
}

bool MachineDescription::HasRamPage(std::uint32_t page) const {
  if (paging != Paging::None) return page < ramPages;
  return page == 5 || (ramPages == 3 && (page == 2 || page == 0));
}

const MachineDescription* Machines(std::size_t* count) {
  *count = sizeof MACHINES / sizeof MACHINES[0];
  return MACHINES;
}

const MachineDescription* MachineByName(const std::string& name) {
  for (const MachineDescription& machine : MACHINES) {
    if (strcasecmp(machine.name, name.c_str()) == 0) return &machine;
  }
  return nullptr;
}

const MachineDescription* MachineByModel(std::uint32_t model) {
  for (const MachineDescription& machine : MACHINES) {
    if (machine.model == model) return &machine;
  }
  return nullptr;
}

const MachineDescription* MachineBySzxId(std::uint8_t id) {
  for (const MachineDescription& machine : MACHINES) {
    if (machine.szxMachineId == id) return &machine;
  }
  return nullptr;
}

std::string MachineNames() {
  std::string names;
  for (const MachineDescription& machine : MACHINES) {
    if (!names.empty()) names += '|';
    names += machine.name;
  }
  return names;
}

}  // namespace reelbox::host
