#include "host/rom_set.h"

#include <fstream>

#include "host/zx_machine.h"

namespace reelbox::host {
namespace {

bool ReadRom(const std::string& path, std::vector<std::uint8_t>* roms) {
  std::ifstream file(path, std::ios::binary);
  const std::size_t at = roms->size();
  roms->resize(at + ROM_BYTES);
  return static_cast<bool>(file.read(reinterpret_cast<char*>(roms->data() + at), ROM_BYTES));
}

}  // namespace

std::string RomFileList(const MachineDescription& desc) {
  std::string list;
  for (std::uint32_t i = 0; i < desc.RomCount(); ++i) list += (i == 0 ? "" : ", ") + std::string(desc.romFiles[i]);
  return list;
}

bool LoadRoms(const MachineDescription& desc, const std::string& folder, const std::string& singleRom,
              std::vector<std::uint8_t>* roms, std::string* error) {
  roms->clear();
  if (folder.empty()) {
    if (desc.paging == Paging::None) {
      if (ReadRom(singleRom, roms)) return true;
      *error = "cannot read a 16K ROM from " + singleRom;
      return false;
    }
    *error = std::string("the ") + desc.title + " needs its original ROMs (" + RomFileList(desc) +
             "): name their folder with --roms DIR or " + ROM_FOLDER_VARIABLE;
    return false;
  }
  for (std::uint32_t i = 0; i < desc.RomCount(); ++i) {
    const std::string path = folder + "/" + desc.romFiles[i];
    if (!ReadRom(path, roms)) {
      *error = std::string("the ") + desc.title + " needs " + RomFileList(desc) + " in " + folder +
               "; cannot read 16K from " + path;
      return false;
    }
  }
  return true;
}

}  // namespace reelbox::host
