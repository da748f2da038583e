// Tapes built in memory: TZX blocks (identifier byte and body), TAP records and
// the Spectrum data they carry. AppendBlocks puts blocks on a tape.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tape/tape_block_list.h"

namespace reelbox::test {

using Bytes = std::vector<std::uint8_t>;

inline void PutU16(Bytes& bytes, std::uint32_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void PutU32(Bytes& bytes, std::uint32_t value) {
  PutU16(bytes, value);
  PutU16(bytes, value >> 16);
}
inline void Append(Bytes& bytes, const Bytes& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }
inline Bytes Concat(const std::vector<Bytes>& parts) {
  Bytes all;
  for (const Bytes& part : parts) Append(all, part);
  return all;
}

// head, a length field of lengthWidth bytes (1 to 4) and the data.
inline Bytes WithData(Bytes head, const Bytes& data, int lengthWidth) {
  for (int i = 0; i < lengthWidth; ++i) head.push_back(static_cast<std::uint8_t>(data.size() >> (8 * i)));
  Append(head, data);
  return head;
}
// A block of identifier id with 16-bit fields.
inline Bytes Block(std::uint8_t id, std::initializer_list<std::uint16_t> fields) {
  Bytes block{id};
  for (std::uint16_t field : fields) PutU16(block, field);
  return block;
}
inline Bytes TextOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

struct TurboTimings {
  std::uint16_t pilot = 2168;
  std::uint16_t sync1 = 667;
  std::uint16_t sync2 = 735;
  std::uint16_t zero = 855;
  std::uint16_t one = 1710;
  std::uint16_t pilotPulses = 3223;
};

// data starts with the flag byte (and ends with the checksum, if any).
inline Bytes StandardBlock(std::uint16_t pauseMs, const Bytes& data) {
  return WithData(Block(0x10, {pauseMs}), data, 2);
}
inline Bytes TurboBlock(const TurboTimings& t, std::uint8_t usedBits, std::uint16_t pauseMs, const Bytes& data) {
  Bytes head = Block(0x11, {t.pilot, t.sync1, t.sync2, t.zero, t.one, t.pilotPulses});
  head.push_back(usedBits);
  PutU16(head, pauseMs);
  return WithData(head, data, 3);
}
inline Bytes PureTone(std::uint16_t pulseLength, std::uint16_t pulses) { return Block(0x12, {pulseLength, pulses}); }
inline Bytes PulseSequence(const std::vector<std::uint16_t>& pulses) {
  Bytes lengths;
  for (std::uint16_t pulse : pulses) PutU16(lengths, pulse);
  return Concat({{0x13, static_cast<std::uint8_t>(pulses.size())}, lengths});
}
inline Bytes PureData(std::uint16_t zero, std::uint16_t one, std::uint8_t usedBits, std::uint16_t pauseMs,
                      const Bytes& data) {
  Bytes head = Block(0x14, {zero, one});
  head.push_back(usedBits);
  PutU16(head, pauseMs);
  return WithData(head, data, 3);
}
inline Bytes DirectRecording(std::uint16_t tstatesPerSample, std::uint16_t pauseMs, std::uint8_t usedBits,
                             const Bytes& data) {
  Bytes head = Block(0x15, {tstatesPerSample, pauseMs});
  head.push_back(usedBits);
  return WithData(head, data, 3);
}
inline Bytes PauseBlock(std::uint16_t ms) { return Block(0x20, {ms}); }  // 0: stop the tape
inline Bytes GroupStart(const std::string& name) { return WithData({0x21}, TextOf(name), 1); }
inline Bytes GroupEnd() { return {0x22}; }
inline Bytes JumpBlock(std::int16_t offset) { return Block(0x23, {static_cast<std::uint16_t>(offset)}); }
inline Bytes LoopStart(std::uint16_t passes) { return Block(0x24, {passes}); }
inline Bytes LoopEnd() { return {0x25}; }
inline Bytes CallSequence(const std::vector<std::int16_t>& offsets) {
  Bytes block = Block(0x26, {static_cast<std::uint16_t>(offsets.size())});
  for (std::int16_t offset : offsets) PutU16(block, static_cast<std::uint16_t>(offset));
  return block;
}
inline Bytes ReturnFromSequence() { return {0x27}; }
inline Bytes StopIf48K() { return {0x2A, 0, 0, 0, 0}; }
inline Bytes TextDescription(const std::string& text) { return WithData({0x30}, TextOf(text), 1); }
inline Bytes MessageBlock(std::uint8_t seconds, const std::string& text) {
  return WithData({0x31, seconds}, TextOf(text), 1);
}
inline Bytes ArchiveInfo(std::initializer_list<std::pair<std::uint8_t, std::string>> entries) {
  Bytes body{static_cast<std::uint8_t>(entries.size())};
  for (const auto& entry : entries) Append(body, WithData({entry.first}, TextOf(entry.second), 1));
  return WithData({0x32}, body, 2);
}
// A block of an identifier the format does not define: u32 length, then the body.
inline Bytes Undefined(std::uint8_t id, std::size_t bodySize) { return WithData({id}, Bytes(bodySize, 0xAA), 4); }
inline Bytes TzxHeader() { return {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20}; }

// A standard ROM block of the given flag with a checksum: flag, body, checksum.
inline Bytes RomData(std::uint8_t flag, const Bytes& body) {
  Bytes data = Concat({{flag}, body});
  std::uint8_t checksum = 0;
  for (std::uint8_t byte : data) checksum ^= byte;
  data.push_back(checksum);
  return data;
}
// A header's 19 bytes: flag 0, type, name padded to 10, length, param1, param2, checksum.
inline Bytes HeaderData(std::uint8_t type, const std::string& name, std::uint16_t length, std::uint16_t param1,
                        std::uint16_t param2 = 0x8000) {
  Bytes body{type};
  for (std::size_t i = 0; i < 10; ++i) body.push_back(i < name.size() ? static_cast<std::uint8_t>(name[i]) : ' ');
  for (std::uint16_t word : {length, param1, param2}) PutU16(body, word);
  return RomData(0x00, body);
}
// Data bytes with a flag and a checksum around count payload bytes.
inline Bytes DataBlockData(std::uint8_t flag, std::size_t count) {
  Bytes body;
  for (std::size_t i = 0; i < count; ++i) body.push_back(static_cast<std::uint8_t>(i * 7));
  return RomData(flag, body);
}
inline Bytes TapRecord(const Bytes& data) { return WithData({}, data, 2); }

inline void AppendBlocks(TapeBlockList& tape, const std::vector<Bytes>& blocks) {
  for (const Bytes& bytes : blocks) tape.Append(NewOwnedBlock(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
}

}  // namespace reelbox::test
