#include "tzx_builder.h"

namespace reelbox::test {
namespace {

void Put16(Bytes& bytes, std::uint16_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put24(Bytes& bytes, std::uint32_t value) {
  Put16(bytes, static_cast<std::uint16_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 16));
}

void PutText(Bytes& bytes, const std::string& text) { bytes.insert(bytes.end(), text.begin(), text.end()); }

Bytes WithData(Bytes head, const Bytes& data) {
  head.insert(head.end(), data.begin(), data.end());
  return head;
}

}  // namespace

Bytes StandardBlock(std::uint16_t pauseMs, const Bytes& data) {
  Bytes block{0x10};
  Put16(block, pauseMs);
  Put16(block, static_cast<std::uint16_t>(data.size()));
  return WithData(block, data);
}

Bytes TurboBlock(const TurboTimings& timings, std::uint8_t usedBits, std::uint16_t pauseMs, const Bytes& data) {
  Bytes block{0x11};
  for (std::uint16_t value :
       {timings.pilot, timings.sync1, timings.sync2, timings.zero, timings.one, timings.pilotPulses}) {
    Put16(block, value);
  }
  block.push_back(usedBits);
  Put16(block, pauseMs);
  Put24(block, static_cast<std::uint32_t>(data.size()));
  return WithData(block, data);
}

Bytes PureTone(std::uint16_t pulseLength, std::uint16_t pulses) {
  Bytes block{0x12};
  Put16(block, pulseLength);
  Put16(block, pulses);
  return block;
}

Bytes PulseSequence(const std::vector<std::uint16_t>& pulses) {
  Bytes block{0x13, static_cast<std::uint8_t>(pulses.size())};
  for (std::uint16_t pulse : pulses) Put16(block, pulse);
  return block;
}

Bytes PureData(std::uint16_t zero, std::uint16_t one, std::uint8_t usedBits, std::uint16_t pauseMs, const Bytes& data) {
  Bytes block{0x14};
  Put16(block, zero);
  Put16(block, one);
  block.push_back(usedBits);
  Put16(block, pauseMs);
  Put24(block, static_cast<std::uint32_t>(data.size()));
  return WithData(block, data);
}

Bytes DirectRecording(std::uint16_t tstatesPerSample, std::uint16_t pauseMs, std::uint8_t usedBits, const Bytes& data) {
  Bytes block{0x15};
  Put16(block, tstatesPerSample);
  Put16(block, pauseMs);
  block.push_back(usedBits);
  Put24(block, static_cast<std::uint32_t>(data.size()));
  return WithData(block, data);
}

Bytes PauseBlock(std::uint16_t ms) {
  Bytes block{0x20};
  Put16(block, ms);
  return block;
}

Bytes GroupStart(const std::string& name) {
  Bytes block{0x21, static_cast<std::uint8_t>(name.size())};
  PutText(block, name);
  return block;
}

Bytes GroupEnd() { return Bytes{0x22}; }

Bytes JumpBlock(std::int16_t offset) {
  Bytes block{0x23};
  Put16(block, static_cast<std::uint16_t>(offset));
  return block;
}

Bytes LoopStart(std::uint16_t passes) {
  Bytes block{0x24};
  Put16(block, passes);
  return block;
}

Bytes LoopEnd() { return Bytes{0x25}; }

Bytes CallSequence(const std::vector<std::int16_t>& offsets) {
  Bytes block{0x26};
  Put16(block, static_cast<std::uint16_t>(offsets.size()));
  for (std::int16_t offset : offsets) Put16(block, static_cast<std::uint16_t>(offset));
  return block;
}

Bytes ReturnFromSequence() { return Bytes{0x27}; }

Bytes StopIf48K() { return Bytes{0x2A, 0, 0, 0, 0}; }

Bytes TextDescription(const std::string& text) {
  Bytes block{0x30, static_cast<std::uint8_t>(text.size())};
  PutText(block, text);
  return block;
}

Bytes MessageBlock(std::uint8_t seconds, const std::string& text) {
  Bytes block{0x31, seconds, static_cast<std::uint8_t>(text.size())};
  PutText(block, text);
  return block;
}

Bytes RomData(std::uint8_t flag, const Bytes& body) {
  Bytes data{flag};
  std::uint8_t checksum = flag;
  for (std::uint8_t byte : body) {
    data.push_back(byte);
    checksum ^= byte;
  }
  data.push_back(checksum);
  return data;
}

void AppendBlocks(TapeBlockList& tape, const std::vector<Bytes>& blocks) {
  for (const Bytes& bytes : blocks) {
    tape.Append(NewOwnedBlock(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
  }
}

}  // namespace reelbox::test
