// Building blocks for sampled-tape tests: byte images of CSW, VOC and WAV files
// and a scratch folder to write them into.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "tape/sampled_blocks.h"
#include "tape/tape_block_list.h"
#include "tape_files.h"

namespace reelbox::testing {

using test::Bytes;
using test::PutU16;
using test::PutU24;
using test::PutU32;
using test::ScratchFolder;

inline void PutText(Bytes& bytes, const char* text) {
  for (; *text != '\0'; ++text) bytes.push_back(static_cast<std::uint8_t>(*text));
}
inline void PutBytes(Bytes& bytes, const Bytes& more) { test::Append(bytes, more); }
inline Bytes Join(std::initializer_list<Bytes> parts) { return test::Concat(parts); }

// A CSW version 1 file: 32-byte header, then the run-length bytes.
inline Bytes CswVersion1(std::uint16_t rate, std::uint8_t flags, const Bytes& pulses, std::uint8_t compression = 1) {
  Bytes bytes;
  PutText(bytes, "Compressed Square Wave\x1A");
  bytes.push_back(1);
  bytes.push_back(1);
  PutU16(bytes, rate);
  bytes.push_back(compression);
  bytes.push_back(flags);
  bytes.resize(32, 0);
  PutBytes(bytes, pulses);
  return bytes;
}

// A CSW version 2 header of 52 bytes plus extension; the (compressed) data follows.
inline Bytes CswVersion2Header(std::uint32_t rate, std::uint8_t compression, std::uint8_t major = 2,
                               const Bytes& extension = {}) {
  Bytes bytes;
  PutText(bytes, "Compressed Square Wave\x1A");
  bytes.push_back(major);
  bytes.push_back(0);
  PutU32(bytes, rate);
  PutU32(bytes, 0);  // pulse count, not examined
  bytes.push_back(compression);
  bytes.push_back(0);
  bytes.push_back(static_cast<std::uint8_t>(extension.size()));
  bytes.resize(52, 0);
  PutBytes(bytes, extension);
  return bytes;
}

// A VOC header with the given version and check word.
inline Bytes VocHeader(std::uint16_t version = 0x010A, std::uint16_t checksum = 0x1129) {
  Bytes bytes;
  PutText(bytes, "Creative Voice File\x1A");
  PutU16(bytes, 26);
  PutU16(bytes, version);
  PutU16(bytes, checksum);
  return bytes;
}

// A VOC sound block (type 1) with 8-bit unsigned samples.
inline Bytes VocSound(std::uint8_t timeConstant, const Bytes& samples, std::uint8_t codec = 0) {
  Bytes bytes{1};
  PutU24(bytes, static_cast<std::uint32_t>(samples.size() + 2));
  bytes.push_back(timeConstant);
  bytes.push_back(codec);
  PutBytes(bytes, samples);
  return bytes;
}

// A VOC block of another type with the given body.
inline Bytes VocBlock(std::uint8_t type, const Bytes& body) {
  Bytes bytes{type};
  PutU24(bytes, static_cast<std::uint32_t>(body.size()));
  PutBytes(bytes, body);
  return bytes;
}

// A RIFF chunk: id, size, data and the pad byte of an odd size.
inline Bytes RiffChunk(const char* id, const Bytes& data) {
  Bytes bytes;
  PutText(bytes, id);
  PutU32(bytes, static_cast<std::uint32_t>(data.size()));
  PutBytes(bytes, data);
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
inline Bytes WaveFile(const Bytes& chunks) {
  Bytes form;
  PutText(form, "WAVE");
  PutBytes(form, chunks);
  return RiffChunk("RIFF", form);
}

inline Bytes Repeated(std::size_t count, std::uint8_t value) { return Bytes(count, value); }

// Puts one block into the list so that a test can tell "untouched" from "emptied".
inline void PutMarkerBlock(TapeBlockList& list) {
  const std::uint8_t text[] = {0x30, 1, 'x'};
  list.Append(NewOwnedBlock(text, sizeof text));
}

// The sampled pieces a reader put on the tape, in order.
inline std::vector<SampledPiece> PiecesOf(const TapeBlockList& list) {
  std::vector<SampledPiece> pieces;
  for (std::int32_t i = 0; i < list.GetCount(); ++i) {
    SampledPiece piece;
    EXPECT_TRUE(DecodeSampledPiece(*list.GetBlock(i), &piece)) << "block " << i;
    pieces.push_back(piece);
  }
  return pieces;
}

}  // namespace reelbox::testing
