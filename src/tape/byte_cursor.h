// Little-endian reads within a known extent: every read is checked against the
// end, so no parse can step outside the bytes it was given.
#pragma once

#include <cstddef>
#include <cstdint>

namespace reelbox {

inline std::uint16_t ReadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t ReadU24(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16);
}
inline std::uint32_t ReadU32(const std::uint8_t* p) {
  return ReadU24(p) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void WriteU16(std::uint8_t* p, std::uint16_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
}
inline void WriteU32(std::uint8_t* p, std::uint32_t value) {
  WriteU16(p, static_cast<std::uint16_t>(value));
  WriteU16(p + 2, static_cast<std::uint16_t>(value >> 16));
}

class ByteCursor {
 public:
  ByteCursor(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t Position() const { return position_; }
  std::size_t Remaining() const { return size_ - position_; }
  bool AtEnd() const { return position_ == size_; }
  const std::uint8_t* Here() const { return data_ + position_; }

  // Each read fails (returns false, nothing consumed) when the bytes are not there.
  bool Has(std::size_t count) const { return count <= Remaining(); }
  bool Skip(std::size_t count) {
    if (!Has(count)) return false;
    position_ += count;
    return true;
  }
  bool U8(std::uint8_t* value) {
    if (!Has(1)) return false;
    *value = data_[position_++];
    return true;
  }
  bool U16(std::uint16_t* value) {
    if (!Has(2)) return false;
    *value = ReadU16(data_ + position_);
    position_ += 2;
    return true;
  }
  bool U24(std::uint32_t* value) {
    if (!Has(3)) return false;
    *value = ReadU24(data_ + position_);
    position_ += 3;
    return true;
  }
  bool U32(std::uint32_t* value) {
    if (!Has(4)) return false;
    *value = ReadU32(data_ + position_);
    position_ += 4;
    return true;
  }
  // Reads a byte at offset from the current position without consuming.
  bool PeekAt(std::size_t offset, std::uint8_t* value) const {
    if (!Has(offset + 1)) return false;
    *value = data_[position_ + offset];
    return true;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

}  // namespace reelbox
