// The ROM pages a machine boots from: the original images from a ROM folder,
// or, without one, the built-in replacement ROM for the 16K and 48K.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/machine_table.h"

namespace reelbox::host {

// The environment variable naming the ROM folder when no --roms is given.
constexpr const char* ROM_FOLDER_VARIABLE = "REELBOX_ROMS";

// Reads desc's ROM pages from folder; with no folder, the 16K and 48K read
// singleRom instead and every other model is refused. On failure error says
// which files the model needs.
bool LoadRoms(const MachineDescription& desc, const std::string& folder, const std::string& singleRom,
              std::vector<std::uint8_t>* roms, std::string* error);

// "128-0.rom, 128-1.rom" for messages.
std::string RomFileList(const MachineDescription& desc);

}  // namespace reelbox::host
