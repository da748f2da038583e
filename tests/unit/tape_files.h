// Tape images made in memory for tests, and a scratch folder to write them to.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

namespace reelbox::test {

using Bytes = std::vector<std::uint8_t>;

inline void PutU16(Bytes& bytes, std::uint32_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void PutU24(Bytes& bytes, std::uint32_t value) {
  PutU16(bytes, value);
  bytes.push_back(static_cast<std::uint8_t>(value >> 16));
}
inline void PutU32(Bytes& bytes, std::uint32_t value) {
  PutU16(bytes, value);
  PutU16(bytes, value >> 16);
}
inline void Append(Bytes& bytes, const Bytes& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }

// A Spectrum tape header's 19 bytes: flag 0, type, name padded to 10, length,
// param1, param2, checksum.
inline Bytes HeaderData(std::uint8_t type, const std::string& name, std::uint16_t length, std::uint16_t param1,
                        std::uint16_t param2 = 0x8000) {
  Bytes data = {0x00, type};
  for (std::size_t i = 0; i < 10; ++i) data.push_back(i < name.size() ? static_cast<std::uint8_t>(name[i]) : ' ');
  PutU16(data, length);
  PutU16(data, param1);
  PutU16(data, param2);
  std::uint8_t checksum = 0;
  for (std::uint8_t byte : data) checksum ^= byte;
  data.push_back(checksum);
  return data;
}

// Data bytes with a flag and a checksum around count payload bytes.
inline Bytes DataBlockData(std::uint8_t flag, std::size_t count) {
  Bytes data = {flag};
  for (std::size_t i = 0; i < count; ++i) data.push_back(static_cast<std::uint8_t>(i * 7));
  std::uint8_t checksum = 0;
  for (std::uint8_t byte : data) checksum ^= byte;
  data.push_back(checksum);
  return data;
}

inline Bytes TapRecord(const Bytes& data) {
  Bytes record;
  PutU16(record, static_cast<std::uint32_t>(data.size()));
  Append(record, data);
  return record;
}

inline Bytes TzxHeader(std::uint8_t major = 1, std::uint8_t minor = 20) {
  return {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, major, minor};
}

// TZX blocks, identifier byte included.
inline Bytes Standard(const Bytes& data, std::uint16_t pauseMs = 1000) {
  Bytes block = {0x10};
  PutU16(block, pauseMs);
  PutU16(block, static_cast<std::uint32_t>(data.size()));
  Append(block, data);
  return block;
}
inline Bytes Pause(std::uint16_t ms) {
  Bytes block = {0x20};
  PutU16(block, ms);
  return block;
}
inline Bytes ArchiveInfo(std::initializer_list<std::pair<std::uint8_t, std::string>> entries) {
  Bytes body = {static_cast<std::uint8_t>(entries.size())};
  for (const auto& entry : entries) {
    body.push_back(entry.first);
    body.push_back(static_cast<std::uint8_t>(entry.second.size()));
    body.insert(body.end(), entry.second.begin(), entry.second.end());
  }
  Bytes block = {0x32};
  PutU16(block, static_cast<std::uint32_t>(body.size()));
  Append(block, body);
  return block;
}
// A block of an identifier the format does not define: u32 length, then the body.
inline Bytes Undefined(std::uint8_t id, std::size_t bodySize) {
  Bytes block = {id};
  PutU32(block, static_cast<std::uint32_t>(bodySize));
  block.resize(block.size() + bodySize, 0xAA);
  return block;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) Append(all, part);
  return all;
}

// A folder of its own under the system's temporary folder, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("reelbox-test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

  // Writes bytes to name (which may hold sub-folders) and returns the full path.
  std::string Write(const std::string& name, const Bytes& bytes) const {
    const std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) ADD_FAILURE() << "cannot write " << file.string();
    return file.string();
  }

 private:
  std::filesystem::path path_;
};

// The folder of tapes made by other tools; tests that need it skip without it.
inline std::filesystem::path SharedTapes() { return std::filesystem::path(REELBOX_SHARED_TAPES); }

#define REELBOX_REQUIRE_SHARED_TAPES()                                                                   \
  do {                                                                                                   \
    if (!std::filesystem::is_directory(::reelbox::test::SharedTapes()))                                  \
      GTEST_SKIP() << "shared tapes folder " << ::reelbox::test::SharedTapes().string() << " is absent"; \
  } while (0)

}  // namespace reelbox::test
