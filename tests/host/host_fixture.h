// A reference host with the real ROM and the plug-in built beside the tests.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "host/reference_host.h"

namespace reelbox::host {

inline bool RomAvailable() { return std::ifstream(REELBOX_DEFAULT_ROM).good(); }

inline HostOptions TestHostOptions() {
  HostOptions options;
  options.pluginPath = REELBOX_PLUGIN_PATH;
  return options;
}

// Skips the test when the ROM package is not installed.
#define REQUIRE_ROM()                                                                \
  do {                                                                               \
    if (!::reelbox::host::RomAvailable()) GTEST_SKIP() << "no " REELBOX_DEFAULT_ROM; \
  } while (0)

// Eight bytes of the ROM's character set for c (the font starts with space at 0x3D00).
inline bool CharacterAt(ReferenceHost& host, int row, int column, char c) {
  const std::uint8_t* memory = host.Cpu().Memory();
  const int glyph = 0x3D00 + (c - ' ') * 8;
  for (int line = 0; line < 8; ++line) {
    const int address = 0x4000 + ((row & 0x18) << 8) + (line << 8) + ((row & 7) << 5) + column;
    if (memory[address] != memory[glyph + line]) return false;
  }
  return true;
}

}  // namespace reelbox::host
