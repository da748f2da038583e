// Tapes built in memory: TZX blocks (identifier byte and body), TAP records and
// the Spectrum data they carry; CSW, VOC and WAV files. AppendBlocks puts blocks
// on a tape.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "contract/host_interfaces.h"
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

// A CSW version 1 file: 32-byte header, then the run-length bytes.
inline Bytes CswVersion1(std::uint16_t rate, std::uint8_t flags, const Bytes& pulses, std::uint8_t compression = 1) {
  Bytes bytes = Concat({TextOf("Compressed Square Wave\x1A"), {1, 1}});
  PutU16(bytes, rate);
  bytes.push_back(compression);
  bytes.push_back(flags);
  bytes.resize(32, 0);
  return Concat({bytes, pulses});
}

// A CSW version 2 header of 52 bytes plus extension; the (compressed) data follows.
inline Bytes CswVersion2Header(std::uint32_t rate, std::uint8_t compression, std::uint8_t major = 2,
                               const Bytes& extension = {}) {
  Bytes bytes = Concat({TextOf("Compressed Square Wave\x1A"), {major, 0}});
  PutU32(bytes, rate);
  PutU32(bytes, 0);  // pulse count, not examined
  Append(bytes, {compression, 0, static_cast<std::uint8_t>(extension.size())});
  bytes.resize(52, 0);
  return Concat({bytes, extension});
}

// A VOC file: header with the given check word, then the blocks.
inline Bytes Voc(std::initializer_list<Bytes> blocks, std::uint16_t checkWord = 0x1129) {
  Bytes bytes = TextOf("Creative Voice File\x1A");
  for (std::uint16_t word : {std::uint16_t{26}, std::uint16_t{0x010A}, checkWord}) PutU16(bytes, word);
  for (const Bytes& block : blocks) Append(bytes, block);
  return bytes;
}
// A VOC block of the given type and body.
inline Bytes VocBlock(std::uint8_t type, const Bytes& body) { return WithData({type}, body, 3); }
// A VOC sound block (type 1) with 8-bit unsigned samples.
inline Bytes VocSound(std::uint8_t timeConstant, const Bytes& samples, std::uint8_t codec = 0) {
  return VocBlock(1, Concat({{timeConstant, codec}, samples}));
}

// A VOC extended block (type 8): time constant, pack and mode.
inline Bytes VocExtended(std::uint16_t timeConstant, std::uint8_t pack = 0, std::uint8_t mode = 0) {
  return VocBlock(8,
                  {static_cast<std::uint8_t>(timeConstant), static_cast<std::uint8_t>(timeConstant >> 8), pack, mode});
}

// A RIFF chunk: id, size, data and the pad byte of an odd size.
inline Bytes RiffChunk(const char* id, const Bytes& data) {
  Bytes bytes = WithData(TextOf(id), data, 4);
  if (data.size() % 2 != 0) bytes.push_back(0);
  return bytes;
}
inline Bytes WaveFormatChunk(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
  Bytes format;
  PutU16(format, tag);
  PutU16(format, channels);
  PutU32(format, rate);
  PutU32(format, rate * channels * bits / 8);
  PutU16(format, static_cast<std::uint16_t>(channels * bits / 8));
  PutU16(format, bits);
  return RiffChunk("fmt ", format);
}
// "RIFF" of form "WAVE" around the given chunks.
inline Bytes WaveFile(const Bytes& chunks) { return RiffChunk("RIFF", Concat({TextOf("WAVE"), chunks})); }

// data in zlib's stream format, by a compression service; empty if it failed.
inline Bytes Deflate(ICompressionService& compression, const Bytes& data) {
  Bytes out(data.size() + data.size() / 100 + 64);
  auto size = static_cast<std::uint32_t>(out.size());
  if (Failed(compression.Compress(data.data(), static_cast<std::uint32_t>(data.size()), out.data(), &size))) size = 0;
  out.resize(size);
  return out;
}

inline void AppendBlocks(TapeBlockList& tape, const std::vector<Bytes>& blocks) {
  for (const Bytes& bytes : blocks) tape.Append(NewOwnedBlock(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
}

}  // namespace reelbox::test
