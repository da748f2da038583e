// The zx-state (.szx) snapshot file: its header, its chunks, and the machine
// state the host keeps in them. Pure data and zlib: no CPU core, so the
// reader builds into the fuzz targets as it is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace reelbox::host {

constexpr std::size_t SZX_PAGE_BYTES = 16384;

constexpr std::uint32_t SzxId(const char (&text)[5]) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[0])) |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[3])) << 24;
}

constexpr std::uint32_t SZX_CREATOR = SzxId("CRTR");
constexpr std::uint32_t SZX_Z80_REGISTERS = SzxId("Z80R");
constexpr std::uint32_t SZX_SPECTRUM_REGISTERS = SzxId("SPCR");
constexpr std::uint32_t SZX_RAM_PAGE = SzxId("RAMP");
constexpr std::uint32_t SZX_KEYBOARD = SzxId("KEYB");
constexpr std::uint32_t SZX_AY = SzxId("AY\0\0");
constexpr std::uint32_t SZX_SPEECH = SzxId("USPE");
constexpr std::uint32_t SZX_PLUS3 = SzxId("+3\0\0");

struct SzxChunk {
  std::uint32_t id = 0;
  std::vector<std::uint8_t> data;  // the body, after the id and size
};

struct SzxZ80 {
  std::uint16_t af = 0, bc = 0, de = 0, hl = 0;
  std::uint16_t af2 = 0, bc2 = 0, de2 = 0, hl2 = 0;
  std::uint16_t ix = 0, iy = 0, sp = 0, pc = 0;
  std::uint8_t i = 0, r = 0, iff1 = 0, iff2 = 0, im = 0;
  std::uint32_t cyclesStart = 0;
  std::uint8_t holdIntCycles = 0;
  std::uint8_t flags = 0;  // bit 0: EI was the last instruction, bit 1: halted
  std::uint16_t memptr = 0;
};

struct SzxPage {
  std::uint8_t number = 0;
  std::array<std::uint8_t, SZX_PAGE_BYTES> bytes{};
};

// A whole snapshot as the host reads and writes it. Chunks the host does not
// know are kept, in file order, for the devices.
struct SzxState {
  std::uint8_t majorVersion = 1;
  std::uint8_t minorVersion = 4;
  std::uint8_t machineId = 1;
  std::uint8_t flags = 0;
  bool hasCreator = false;
  std::string creator;  // at most 31 characters
  std::uint16_t creatorMajor = 0, creatorMinor = 0;
  std::vector<std::uint8_t> creatorData;
  SzxZ80 z80;
  std::uint8_t border = 7, port7ffd = 0, port1ffd = 0, portFe = 0;
  std::vector<SzxPage> pages;
  bool hasKeyboard = false;
  std::uint32_t keyboardFlags = 0;
  std::uint8_t keyboardJoystick = 8;  // none
  bool hasAy = false;
  std::uint8_t ayFlags = 0, aySelected = 0;
  std::array<std::uint8_t, 16> ayRegisters{};
  bool hasSpeech = false;
  bool hasPlus3 = false;
  std::uint8_t plus3Drives = 1, plus3Motor = 0;
  std::vector<SzxChunk> otherChunks;
};

// Reads a snapshot; false with a message in error for anything malformed: a
// bad header, a chunk past the end, a missing or short register chunk, a RAM
// page that does not hold 16K. Never reads outside [data, data + size).
bool ReadSzx(const std::uint8_t* data, std::size_t size, SzxState* state, std::string* error);

// The file: header, CRTR, Z80R, SPCR, AY, KEYB, +3, USPE, the RAM pages in
// the order given (zlib-compressed at level 9), then the other chunks.
std::vector<std::uint8_t> WriteSzx(const SzxState& state);

// The chunk as the file holds it: id, size, body.
std::vector<std::uint8_t> ChunkBytes(const SzxChunk& chunk);

}  // namespace reelbox::host
