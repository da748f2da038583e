#include "host/szx_format.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace reelbox::host {
namespace {

constexpr std::size_t HEADER_BYTES = 8;
constexpr std::size_t CHUNK_HEADER_BYTES = 8;
constexpr std::size_t Z80_BYTES = 37;
constexpr std::size_t Z80_OLDEST_BYTES = 35;  // before MEMPTR
constexpr std::size_t SPECTRUM_BYTES = 8;
constexpr std::size_t AY_BYTES = 18;
constexpr std::size_t CREATOR_BYTES = 36;
constexpr std::size_t CREATOR_NAME_BYTES = 32;
constexpr std::uint16_t PAGE_COMPRESSED = 1;

// Little-endian reads from a body whose length the caller has checked.
class Body {
 public:
  explicit Body(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  std::uint8_t U8() { return bytes_[at_++]; }
  std::uint16_t U16() {
    const std::uint16_t value = static_cast<std::uint16_t>(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return value;
  }
  std::uint32_t U32() {
    const std::uint32_t low = U16();
    return low | static_cast<std::uint32_t>(U16()) << 16;
  }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t at_ = 0;
};

class Out {
 public:
  void U8(std::uint8_t value) { bytes.push_back(value); }
  void U16(std::uint16_t value) {
    U8(static_cast<std::uint8_t>(value));
    U8(static_cast<std::uint8_t>(value >> 8));
  }
  void U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value));
    U16(static_cast<std::uint16_t>(value >> 16));
  }
  std::vector<std::uint8_t> bytes;
};

std::string ChunkName(std::uint32_t id) {
  std::string name;
  for (int i = 0; i < 4; ++i) {
    const char c = static_cast<char>((id >> (8 * i)) & 0xFF);
    name += (c >= 32 && c < 127) ? c : '.';
  }
  return name;
}

bool Short(const SzxChunk& chunk, std::size_t need, std::string* error) {
  if (chunk.data.size() >= need) return false;
  *error = "the " + ChunkName(chunk.id) + " chunk holds " + std::to_string(chunk.data.size()) + " bytes, less than " +
           std::to_string(need);
  return true;
}

void ReadZ80(const SzxChunk& chunk, SzxZ80* z80) {
  Body body(chunk.data);
  z80->af = body.U16();
  z80->bc = body.U16();
  z80->de = body.U16();
  z80->hl = body.U16();
  z80->af2 = body.U16();
  z80->bc2 = body.U16();
  z80->de2 = body.U16();
  z80->hl2 = body.U16();
  z80->ix = body.U16();
  z80->iy = body.U16();
  z80->sp = body.U16();
  z80->pc = body.U16();
  z80->i = body.U8();
  z80->r = body.U8();
  z80->iff1 = body.U8() != 0;
  z80->iff2 = body.U8() != 0;
  z80->im = body.U8();
  z80->cyclesStart = body.U32();
  z80->holdIntCycles = body.U8();
  z80->flags = body.U8();
  z80->memptr = chunk.data.size() >= Z80_BYTES ? body.U16() : 0;
}

bool ReadPage(const SzxChunk& chunk, SzxState* state, std::string* error) {
  Body body(chunk.data);
  const std::uint16_t flags = body.U16();
  SzxPage page;
  page.number = body.U8();
  const std::uint8_t* data = chunk.data.data() + 3;
  const std::size_t size = chunk.data.size() - 3;
  const std::string which = "RAM page " + std::to_string(page.number);
  if (flags & PAGE_COMPRESSED) {
    uLongf produced = SZX_PAGE_BYTES;
    if (uncompress(page.bytes.data(), &produced, data, static_cast<uLong>(size)) != Z_OK ||
        produced != SZX_PAGE_BYTES) {
      *error = which + " does not inflate to 16384 bytes";
      return false;
    }
  } else {
    if (size != SZX_PAGE_BYTES) {
      *error = which + " holds " + std::to_string(size) + " bytes, not 16384";
      return false;
    }
    std::memcpy(page.bytes.data(), data, SZX_PAGE_BYTES);
  }
  for (const SzxPage& other : state->pages) {
    if (other.number == page.number) {
      *error = which + " appears twice";
      return false;
    }
  }
  state->pages.push_back(page);
  return true;
}

void ReadCreator(const SzxChunk& chunk, SzxState* state) {
  const char* name = reinterpret_cast<const char*>(chunk.data.data());
  state->hasCreator = true;
  state->creator.assign(name, strnlen(name, CREATOR_NAME_BYTES));
  state->creatorMajor = static_cast<std::uint16_t>(chunk.data[32] | chunk.data[33] << 8);
  state->creatorMinor = static_cast<std::uint16_t>(chunk.data[34] | chunk.data[35] << 8);
  state->creatorData.assign(chunk.data.begin() + CREATOR_BYTES, chunk.data.end());
}

// One known chunk into the state; unknown ones are kept as they are.
bool ReadChunk(const SzxChunk& chunk, SzxState* state, std::string* error) {
  switch (chunk.id) {
    case SZX_CREATOR:
      if (Short(chunk, CREATOR_BYTES, error)) return false;
      ReadCreator(chunk, state);
      return true;
    case SZX_Z80_REGISTERS:
      if (Short(chunk, Z80_OLDEST_BYTES, error)) return false;
      ReadZ80(chunk, &state->z80);
      return true;
    case SZX_SPECTRUM_REGISTERS:
      if (Short(chunk, SPECTRUM_BYTES, error)) return false;
      state->border = chunk.data[0] & 7;
      state->port7ffd = chunk.data[1];
      state->port1ffd = chunk.data[2];
      state->portFe = chunk.data[3];
      return true;
    case SZX_RAM_PAGE:
      return !Short(chunk, 3, error) && ReadPage(chunk, state, error);
    case SZX_KEYBOARD:
      if (Short(chunk, 4, error)) return false;
      state->hasKeyboard = true;
      state->keyboardFlags = Body(chunk.data).U32();
      state->keyboardJoystick = chunk.data.size() > 4 ? chunk.data[4] : 8;
      return true;
    case SZX_AY:
      if (Short(chunk, AY_BYTES, error)) return false;
      state->hasAy = true;
      state->ayFlags = chunk.data[0];
      state->aySelected = chunk.data[1] & 0x0F;
      std::copy(chunk.data.begin() + 2, chunk.data.begin() + AY_BYTES, state->ayRegisters.begin());
      return true;
    case SZX_SPEECH:
      state->hasSpeech = true;
      return true;
    case SZX_PLUS3:
      if (Short(chunk, 2, error)) return false;
      state->hasPlus3 = true;
      state->plus3Drives = chunk.data[0];
      state->plus3Motor = chunk.data[1];
      return true;
    default:
      state->otherChunks.push_back(chunk);
      return true;
  }
}

void Append(std::vector<std::uint8_t>* file, std::uint32_t id, const std::vector<std::uint8_t>& body) {
  const std::vector<std::uint8_t> bytes = ChunkBytes(SzxChunk{id, body});
  file->insert(file->end(), bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> Z80Body(const SzxZ80& z80) {
  Out out;
  for (std::uint16_t pair :
       {z80.af, z80.bc, z80.de, z80.hl, z80.af2, z80.bc2, z80.de2, z80.hl2, z80.ix, z80.iy, z80.sp, z80.pc}) {
    out.U16(pair);
  }
  for (std::uint8_t value : {z80.i, z80.r, z80.iff1, z80.iff2, z80.im}) out.U8(value);
  out.U32(z80.cyclesStart);
  out.U8(z80.holdIntCycles);
  out.U8(z80.flags);
  out.U16(z80.memptr);
  return out.bytes;
}

std::vector<std::uint8_t> PageBody(const SzxPage& page) {
  uLongf size = compressBound(SZX_PAGE_BYTES);
  std::vector<std::uint8_t> body(3 + size);
  body[0] = PAGE_COMPRESSED;
  body[2] = page.number;
  compress2(body.data() + 3, &size, page.bytes.data(), SZX_PAGE_BYTES, 9);
  body.resize(3 + size);
  return body;
}

std::vector<std::uint8_t> CreatorBody(const SzxState& state) {
  Out out;
  std::vector<std::uint8_t> name(CREATOR_NAME_BYTES, 0);
  std::copy_n(state.creator.begin(), std::min(state.creator.size(), CREATOR_NAME_BYTES - 1), name.begin());
  out.bytes = name;
  out.U16(state.creatorMajor);
  out.U16(state.creatorMinor);
  out.bytes.insert(out.bytes.end(), state.creatorData.begin(), state.creatorData.end());
  return out.bytes;
}

}  // namespace

bool ReadSzx(const std::uint8_t* data, std::size_t size, SzxState* state, std::string* error) {
  *state = SzxState{};
  if (size < HEADER_BYTES || std::memcmp(data, "ZXST", 4) != 0) {
    *error = "not a zx-state snapshot (no ZXST header)";
    return false;
  }
  state->majorVersion = data[4];
  state->minorVersion = data[5];
  state->machineId = data[6];
  state->flags = data[7];
  if (state->majorVersion != 1) {
    *error = "zx-state version " + std::to_string(state->majorVersion) + " is not read";
    return false;
  }
  bool z80 = false;
  bool spectrum = false;
  for (std::size_t at = HEADER_BYTES; at < size;) {
    if (size - at < CHUNK_HEADER_BYTES) {
      *error = "the snapshot ends inside a chunk header";
      return false;
    }
    SzxChunk chunk;
    chunk.id = static_cast<std::uint32_t>(data[at] | data[at + 1] << 8 | data[at + 2] << 16) |
               static_cast<std::uint32_t>(data[at + 3]) << 24;
    const std::uint32_t length = static_cast<std::uint32_t>(data[at + 4] | data[at + 5] << 8 | data[at + 6] << 16) |
                                 static_cast<std::uint32_t>(data[at + 7]) << 24;
    at += CHUNK_HEADER_BYTES;
    if (length > size - at) {
      *error = "the " + ChunkName(chunk.id) + " chunk runs past the end of the snapshot";
      return false;
    }
    chunk.data.assign(data + at, data + at + length);
    at += length;
    if (!ReadChunk(chunk, state, error)) return false;
    z80 = z80 || chunk.id == SZX_Z80_REGISTERS;
    spectrum = spectrum || chunk.id == SZX_SPECTRUM_REGISTERS;
  }
  if (!z80 || !spectrum) {
    *error = std::string("the snapshot has no ") + (z80 ? "SPCR" : "Z80R") + " chunk";
    return false;
  }
  return true;
}

std::vector<std::uint8_t> ChunkBytes(const SzxChunk& chunk) {
  Out out;
  out.U32(chunk.id);
  out.U32(static_cast<std::uint32_t>(chunk.data.size()));
  out.bytes.insert(out.bytes.end(), chunk.data.begin(), chunk.data.end());
  return out.bytes;
}

std::vector<std::uint8_t> WriteSzx(const SzxState& state) {
  std::vector<std::uint8_t> file = {'Z',        'X', 'S', 'T', state.majorVersion, state.minorVersion, state.machineId,
                                    state.flags};
  if (state.hasCreator) Append(&file, SZX_CREATOR, CreatorBody(state));
  Append(&file, SZX_Z80_REGISTERS, Z80Body(state.z80));
  Append(&file, SZX_SPECTRUM_REGISTERS, {state.border, state.port7ffd, state.port1ffd, state.portFe, 0, 0, 0, 0});
  if (state.hasAy) {
    std::vector<std::uint8_t> body = {state.ayFlags, state.aySelected};
    body.insert(body.end(), state.ayRegisters.begin(), state.ayRegisters.end());
    Append(&file, SZX_AY, body);
  }
  if (state.hasKeyboard) {
    Out out;
    out.U32(state.keyboardFlags);
    // The joystick byte came with version 1.1.
    if (state.minorVersion >= 1) out.U8(state.keyboardJoystick);
    Append(&file, SZX_KEYBOARD, out.bytes);
  }
  if (state.hasPlus3) Append(&file, SZX_PLUS3, {state.plus3Drives, state.plus3Motor});
  if (state.hasSpeech) Append(&file, SZX_SPEECH, {});
  for (const SzxPage& page : state.pages) Append(&file, SZX_RAM_PAGE, PageBody(page));
  for (const SzxChunk& chunk : state.otherChunks) Append(&file, chunk.id, chunk.data);
  return file;
}

}  // namespace reelbox::host
