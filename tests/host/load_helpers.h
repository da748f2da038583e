// Helpers for end-to-end loading tests on the reference host: tape files on
// disk, the deck's options, the emulated clock, and a record of the moments
// the CPU reaches an address.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "host/reference_host.h"

namespace reelbox::host {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t ROM_LOAD_RETURN = 0x053F;  // SA/LD-RET: every LD-BYTES returns through it
constexpr std::uint16_t SYSVAR_ERR_NR = 0x5C3A;    // 0xFF: report 0, OK
constexpr std::uint16_t SYSVAR_PROG = 0x5C53;
constexpr std::uint8_t REPORT_OK = 0xFF;

// A file that lives as long as the object.
class TemporaryFile {
 public:
  TemporaryFile(const Bytes& bytes, const char* extension) {
    std::string name = std::string("/tmp/reelbox-fast-XXXXXX") + extension;
    const int fd = mkstemps(name.data(), static_cast<int>(std::string(extension).size()));
    if (fd >= 0) close(fd);
    path_ = name;
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ~TemporaryFile() { std::remove(path_.c_str()); }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The fast-loading options, as the plug-in's settings.
struct FastOptions {
  const char* name;
  std::uint32_t fastLoad;  // full speed; with FlashLoad: pilot skip and byte flash loading
  std::uint32_t flashLoad;
  std::uint32_t edgeDetection;
};

constexpr FastOptions ALL_OFF{"all_off", 0, 0, 0};
constexpr FastOptions EDGE_DETECTION_ONLY{"edge_detection", 0, 0, 1};
constexpr FastOptions FLASH_LOADING_ONLY{"flash_loading", 1, 1, 0};
constexpr FastOptions ALL_ON{"all_on", 1, 1, 1};

inline void SetDeckOption(ReferenceHost& host, const char* name, std::uint32_t value) {
  host.Settings().SetDword("Plugins\\Reelbox", name, value);
}

// Before Start: the plug-in reads its settings when its window is created.
inline void ApplyOptions(ReferenceHost& host, const FastOptions& options) {
  SetDeckOption(host, "Fast Load", options.fastLoad);
  SetDeckOption(host, "FlashLoad", options.flashLoad);
  SetDeckOption(host, "Edge Detection", options.edgeDetection);
}

// T-states since the machine started, exact inside a frame.
inline std::uint64_t Now(ReferenceHost& host) { return host.Frames() * FRAME_TSTATES + host.Cpu().FrameClock(); }
inline double Seconds(std::uint64_t tstates) { return static_cast<double>(tstates) / TSTATES_PER_SECOND; }
// The start of the frame in which the deck started playing.
inline std::uint64_t PlayTime(const ReferenceHost& host) { return host.Tape().FirstPlayFrame() * FRAME_TSTATES; }

inline std::uint16_t Word(ReferenceHost& host, std::uint16_t address) {
  return static_cast<std::uint16_t>(host.Cpu().Peek(address) | host.Cpu().Peek(address + 1) << 8);
}
inline Bytes MemoryAt(ReferenceHost& host, std::size_t address, std::size_t count) {
  const std::uint8_t* memory = host.Cpu().Memory();
  return Bytes(memory + address, memory + address + count);
}

// Every time the CPU reaches address: when, the registers a loader returns
// with, and, if asked for, the whole memory.
struct Arrival {
  std::uint64_t time;
  std::uint16_t af, de, ix, sp;
  Bytes memory;
};

class ArrivalLog {
 public:
  ArrivalLog(ReferenceHost& host, std::uint16_t address, bool keepMemory = false) : host_(host), address_(address) {
    host.Machine().WatchExecution(address, [this, keepMemory] {
      const Spectrum& cpu = host_.Cpu();
      arrivals.push_back(Arrival{Now(host_), cpu.Register(regAF), cpu.Register(regDE), cpu.Register(regIX),
                                 cpu.Register(regSP), keepMemory ? MemoryAt(host_, 0, 65536) : Bytes()});
    });
  }
  ~ArrivalLog() { host_.Machine().WatchExecution(address_, nullptr); }
  ArrivalLog(const ArrivalLog&) = delete;
  ArrivalLog& operator=(const ArrivalLog&) = delete;

  std::vector<Arrival> arrivals;

 private:
  ReferenceHost& host_;
  std::uint16_t address_;
};

// Runs frames until the deck has started and stopped again and stayed
// stopped for a second, or until maxSeconds of emulated time; true when it stopped.
inline bool RunUntilTapeStops(ReferenceHost& host, double maxSeconds) {
  const std::uint32_t startsBefore = host.Tape().PlayStarts();
  const double end = host.EmulatedSeconds() + maxSeconds;
  while (host.EmulatedSeconds() < end) {
    host.RunFrame();
    const bool started = host.Tape().PlayStarts() > startsBefore;
    if (started && !host.Tape().Playing() && host.Frames() - host.Tape().LastChangeFrame() >= 50) return true;
  }
  return false;
}

}  // namespace reelbox::host
