#include "host/disk_controller.h"

namespace reelbox::host {
namespace {

constexpr std::uint8_t STATUS_READY = 0x80;   // RQM
constexpr std::uint8_t STATUS_TO_CPU = 0x40;  // DIO: a result byte waits
constexpr std::uint8_t STATUS_BUSY = 0x10;    // CB: a command is in progress
constexpr std::uint8_t ST0_ABNORMAL = 0x40;
constexpr std::uint8_t ST0_INVALID = 0x80;
constexpr std::uint8_t ST0_SEEK_END = 0x20;
constexpr std::uint8_t ST0_NOT_READY = 0x08;
constexpr std::uint8_t ST3_TRACK0 = 0x10;

// Bytes of each command (the command byte included), by its low five bits;
// 0 marks an invalid command.
std::size_t CommandLength(std::uint8_t command) {
  switch (command & 0x1F) {
    case 0x02:
    case 0x05:
    case 0x06:
    case 0x09:
    case 0x0C:
    case 0x0D:
    case 0x11:
    case 0x19:
    case 0x1D:
      return (command & 0x1F) == 0x0D ? 6 : 9;
    case 0x03:
      return 3;  // SPECIFY
    case 0x04:
      return 2;  // SENSE DRIVE STATUS
    case 0x07:
      return 2;  // RECALIBRATE
    case 0x08:
      return 1;  // SENSE INTERRUPT STATUS
    case 0x0A:
      return 2;  // READ ID
    case 0x0F:
      return 3;  // SEEK
    default:
      return 0;
  }
}

}  // namespace

void DiskController::Reset() {
  command_.clear();
  result_.clear();
  resultRead_ = 0;
  seekEnded_ = 0;
  motor_ = false;
}

std::uint8_t DiskController::ReadStatus() const {
  if (resultRead_ < result_.size()) return STATUS_READY | STATUS_TO_CPU | STATUS_BUSY;
  return static_cast<std::uint8_t>(STATUS_READY | (command_.empty() ? 0 : STATUS_BUSY));
}

std::uint8_t DiskController::ReadData() {
  if (resultRead_ >= result_.size()) return 0xFF;
  const std::uint8_t value = result_[resultRead_++];
  if (resultRead_ == result_.size()) {
    result_.clear();
    resultRead_ = 0;
  }
  return value;
}

void DiskController::WriteData(std::uint8_t value) {
  if (resultRead_ < result_.size()) return;  // the controller is talking
  command_.push_back(value);
  const std::size_t length = CommandLength(command_[0]);
  if (length == 0 || command_.size() >= length) Execute();
}

void DiskController::Execute() {
  const std::uint8_t code = command_[0] & 0x1F;
  const std::uint8_t drive = command_.size() > 1 ? (command_[1] & 3) : 0;
  const std::size_t length = CommandLength(command_[0]);
  result_.clear();
  resultRead_ = 0;
  if (length == 0) {
    result_ = {ST0_INVALID};
  } else if (code == 0x03) {
    // SPECIFY: no result.
  } else if (code == 0x04) {
    result_ = {static_cast<std::uint8_t>(ST3_TRACK0 | drive)};
  } else if (code == 0x07 || code == 0x0F) {
    seekEnded_ |= static_cast<std::uint8_t>(1u << drive);
  } else if (code == 0x08) {
    std::uint8_t ended = 0;
    while (ended < 4 && (seekEnded_ & (1u << ended)) == 0) ++ended;
    if (ended == 4) {
      result_ = {ST0_INVALID};
    } else {
      seekEnded_ &= static_cast<std::uint8_t>(~(1u << ended));
      result_ = {static_cast<std::uint8_t>(ST0_SEEK_END | ST0_ABNORMAL | ST0_NOT_READY | ended), 0};
    }
  } else {
    // Reads, writes, formats, READ ID: the drive is not ready.
    const std::uint8_t st0 = static_cast<std::uint8_t>(ST0_ABNORMAL | ST0_NOT_READY | (command_[1] & 7));
    const auto at = [this](std::size_t i) { return i < command_.size() ? command_[i] : std::uint8_t{0}; };
    result_ = {st0, 0, 0, at(2), at(3), at(4), at(5)};
  }
  command_.clear();
}

}  // namespace reelbox::host
