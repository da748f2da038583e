#include "host/tap_image.h"

#include <fstream>

#include "host/basic_program.h"

namespace reelbox::host {
namespace {

void AppendWord(std::vector<std::uint8_t>* out, std::uint16_t value) {
  out->push_back(static_cast<std::uint8_t>(value & 0xFF));
  out->push_back(static_cast<std::uint8_t>(value >> 8));
}

}  // namespace

void TapImage::AddBlock(std::uint8_t flag, const std::vector<std::uint8_t>& bytes) {
  AppendWord(&bytes_, static_cast<std::uint16_t>(bytes.size() + 2));
  bytes_.push_back(flag);
  std::uint8_t checksum = flag;
  for (std::uint8_t byte : bytes) checksum ^= byte;
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  bytes_.push_back(checksum);
}

void TapImage::AddHeader(std::uint8_t type, const std::string& name, std::uint16_t length, std::uint16_t param1,
                         std::uint16_t param2) {
  std::vector<std::uint8_t> header;
  header.push_back(type);
  for (std::size_t i = 0; i < 10; ++i) header.push_back(static_cast<std::uint8_t>(i < name.size() ? name[i] : ' '));
  AppendWord(&header, length);
  AppendWord(&header, param1);
  AppendWord(&header, param2);
  AddBlock(0x00, header);
}

void TapImage::AddProgram(const std::string& name, const std::vector<std::uint8_t>& program,
                          std::uint16_t autostartLine) {
  const auto length = static_cast<std::uint16_t>(program.size());
  AddHeader(0, name, length, autostartLine, length);
  AddBlock(0xFF, program);
}

void TapImage::AddCode(const std::string& name, const std::vector<std::uint8_t>& bytes, std::uint16_t start) {
  AddHeader(3, name, static_cast<std::uint16_t>(bytes.size()), start, 32768);
  AddBlock(0xFF, bytes);
}

bool TapImage::Save(const std::string& path) const {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
  return static_cast<bool>(file);
}

std::vector<std::string> DemoProgramLines() {
  return {
      "10 BORDER 1: PAPER 6: INK 0: CLS",
      "20 PRINT AT 1,7; \"REELBOX DEMO TAPE\"",
      "30 FOR i=0 TO 7: PRINT AT 4+i,3; PAPER i; \"        \": NEXT i",
      "40 PRINT AT 14,3; INK 1; \"LOADED FROM TAPE\"",
      "50 CIRCLE 190,110,40: CIRCLE 190,110,20",
      "60 PLOT 16,40: DRAW 224,0: DRAW 0,10: DRAW -224,0: DRAW 0,-10",
  };
}

TapImage DemoTape() {
  std::vector<std::uint8_t> program;
  TokeniseProgram(DemoProgramLines(), &program);
  TapImage tape;
  tape.AddProgram("demo", program, 10);
  return tape;
}

}  // namespace reelbox::host
