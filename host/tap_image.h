// TAP images made in memory: standard ROM header and data blocks with their
// flag and checksum bytes, each preceded by its 16-bit length.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace reelbox::host {

constexpr std::uint16_t NO_AUTOSTART = 0x8000;

class TapImage {
 public:
  // A raw block: flag, the bytes, then the checksum (flag XOR every byte).
  void AddBlock(std::uint8_t flag, const std::vector<std::uint8_t>& bytes);
  // A 17-byte ROM header: type 0 program (param1 autostart line, param2
  // program length), 3 code (param1 start address, param2 32768).
  void AddHeader(std::uint8_t type, const std::string& name, std::uint16_t length, std::uint16_t param1,
                 std::uint16_t param2);
  // Header and data block of a BASIC program.
  void AddProgram(const std::string& name, const std::vector<std::uint8_t>& program, std::uint16_t autostartLine);
  // Header and data block of bytes loaded at start.
  void AddCode(const std::string& name, const std::vector<std::uint8_t>& bytes, std::uint16_t start);

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  bool Save(const std::string& path) const;

 private:
  std::vector<std::uint8_t> bytes_;
};

// The built-in demonstration tape: a BASIC program that starts itself, sets
// the border and paper colours, prints and draws.
TapImage DemoTape();
// The program lines of the demonstration tape.
std::vector<std::string> DemoProgramLines();

}  // namespace reelbox::host
