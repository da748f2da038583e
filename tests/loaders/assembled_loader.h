// The Z80 test loaders as the build assembled them (REELBOX_LOADERS_DIR): the
// code, which starts at the harness's origin, and the labels of its label file.
// Harness fields, by label: `dest` (u16), `length` (u16, data bytes without
// flag and checksum), `flag`, `result` (1 = loaded); execution starts at the
// origin and ends when PC reaches `done`.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace reelbox::test {

constexpr std::uint16_t LOADER_ORIGIN = 0x8000;

struct AssembledLoader {
  std::string name;
  std::vector<std::uint8_t> code;
  std::map<std::string, std::uint16_t> labels;

  // The label's address; 0 when the label file has no such label.
  std::uint16_t Label(const std::string& label) const {
    const auto found = labels.find(label);
    return found != labels.end() ? found->second : 0;
  }
};

inline std::string LoadersDir() { return REELBOX_LOADERS_DIR; }

// Lines of the label file read "name:\tequ $8003".
inline std::map<std::string, std::uint16_t> ReadLabels(std::istream& in) {
  std::map<std::string, std::uint16_t> labels;
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t colon = line.find(':');
    const std::size_t dollar = line.find('$');
    if (colon == std::string::npos || dollar == std::string::npos) continue;
    labels[line.substr(0, colon)] = static_cast<std::uint16_t>(std::stoul(line.substr(dollar + 1), nullptr, 16));
  }
  return labels;
}

// False when the build has no assembled loaders or the files are missing.
inline bool ReadAssembledLoader(const std::string& name, AssembledLoader* loader) {
  if (LoadersDir().empty()) return false;
  std::ifstream code(LoadersDir() + "/" + name + ".bin", std::ios::binary);
  std::ifstream labels(LoadersDir() + "/" + name + ".lbl");
  if (!code || !labels) return false;
  loader->name = name;
  loader->code.assign(std::istreambuf_iterator<char>(code), std::istreambuf_iterator<char>());
  loader->labels = ReadLabels(labels);
  return !loader->code.empty();
}

// The address just after the first CALL opcode at or after `from`: the return
// address that the called routine sees. The caller picks a `from` where no
// operand byte 0xCD comes first.
inline std::uint16_t AfterCall(const AssembledLoader& loader, std::uint16_t from) {
  for (std::size_t i = from - LOADER_ORIGIN; i < loader.code.size(); ++i) {
    if (loader.code[i] == 0xCD) return static_cast<std::uint16_t>(LOADER_ORIGIN + i + 3);
  }
  return 0;
}

}  // namespace reelbox::test
