// The +3's uPD765A floppy disk controller with no disk in its drives: every
// command is taken and answered as a controller whose drives are not ready,
// so the ROM's disk code gives up at once instead of waiting on the port.
#pragma once

#include <cstdint>
#include <vector>

namespace reelbox::host {

class DiskController {
 public:
  void Reset();
  // 0x2FFD: the main status register.
  std::uint8_t ReadStatus() const;
  // 0x3FFD: a result byte, or 0xFF outside the result phase.
  std::uint8_t ReadData();
  // 0x3FFD: a command or parameter byte.
  void WriteData(std::uint8_t value);
  // 0x1FFD bit 3.
  void SetMotor(bool on) { motor_ = on; }
  bool Motor() const { return motor_; }

 private:
  void Execute();

  std::vector<std::uint8_t> command_;
  std::vector<std::uint8_t> result_;
  std::size_t resultRead_ = 0;
  std::uint8_t seekEnded_ = 0;  // drives whose seek or recalibrate awaits SENSE INTERRUPT
  bool motor_ = false;
};

}  // namespace reelbox::host
