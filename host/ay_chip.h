// The AY-3-8912's register file as the CPU sees it through 0xFFFD (select,
// read) and 0xBFFD (write). No sound is made; unused bits read as zero.
#pragma once

#include <array>
#include <cstdint>

namespace reelbox::host {

class AyChip {
 public:
  static constexpr std::size_t REGISTERS = 16;

  void Reset() {
    registers_.fill(0);
    selected_ = 0;
  }
  void Select(std::uint8_t value) { selected_ = value & 0x0F; }
  void Write(std::uint8_t value) { registers_[selected_] = value & MASKS[selected_]; }
  std::uint8_t Read() const { return registers_[selected_]; }

  std::uint8_t Selected() const { return selected_; }
  const std::array<std::uint8_t, REGISTERS>& Registers() const { return registers_; }
  void Restore(std::uint8_t selected, const std::uint8_t (&registers)[REGISTERS]) {
    selected_ = selected & 0x0F;
    for (std::size_t i = 0; i < REGISTERS; ++i) registers_[i] = registers[i] & MASKS[i];
  }

 private:
  // Tone fine/coarse, noise, mixer, amplitudes, envelope period and shape, ports.
  static constexpr std::uint8_t MASKS[REGISTERS] = {0xFF, 0x0F, 0xFF, 0x0F, 0xFF, 0x0F, 0x1F, 0xFF,
                                                    0x1F, 0x1F, 0x1F, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF};
  std::array<std::uint8_t, REGISTERS> registers_{};
  std::uint8_t selected_ = 0;
};

}  // namespace reelbox::host
