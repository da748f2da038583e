// The reference host with the real ROM and the plug-in built beside the tests,
// and what the end-to-end tests read of it: the deck's options, the emulated
// clock, memory, tape files on disk and the moments the CPU reaches an address.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "host/reference_host.h"
#include "platform/message_box.h"
#include "platform/posix/message_service/message_service.h"
#include "unit/tape_files.h"

namespace reelbox::host {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t ROM_LOAD_RETURN = 0x053F;  // SA/LD-RET: every LD-BYTES returns through it
constexpr std::uint16_t SYSVAR_ERR_NR = 0x5C3A;    // 0xFF: report 0, OK
constexpr std::uint16_t SYSVAR_PROG = 0x5C53;
constexpr std::uint8_t REPORT_OK = 0xFF;

inline std::string SharedTape(const std::string& name) { return std::string(REELBOX_SHARED_TAPES) + "/" + name; }

inline HostOptions TestHostOptions() {
  HostOptions options;
  options.pluginPath = REELBOX_PLUGIN_PATH;
  return options;
}

#define REQUIRE_FILE(path) \
  if (!std::ifstream(path)) GTEST_SKIP() << "no " << (path)
// Skips the test when the ROM package is not installed.
#define REQUIRE_ROM() REQUIRE_FILE(REELBOX_DEFAULT_ROM)

// The TAP's records, each without its length, flag and checksum.
inline std::vector<Bytes> TapBodies(const Bytes& tap) {
  std::vector<Bytes> records;
  for (std::size_t at = 0; at + 2 <= tap.size();) {
    const std::size_t length = tap[at] | tap[at + 1] << 8;
    records.emplace_back(tap.begin() + at + 3, tap.begin() + at + 1 + length);
    at += 2 + length;
  }
  return records;
}

using test::ReadBytes;
using test::ScratchFolder;

// Answers the plug-in's questions for the person while it lives, and notes
// them: message boxes with messageAnswer (after calling beforeAnswer), a choice
// with choice; a tape's message is shown for its time.
struct DialogScript {
  DialogScript() { rb_set_dialog_handler(&Answer, this); }
  ~DialogScript() { rb_set_dialog_handler(nullptr, nullptr); }
  DialogScript(const DialogScript&) = delete;
  DialogScript& operator=(const DialogScript&) = delete;

  std::intptr_t messageAnswer = platform::ANSWER_NO;
  std::intptr_t choice = -1;
  std::function<void()> beforeAnswer;
  // "caption|text", "message <block>:text" or "choice <block>:<items>"
  std::vector<std::string> asked;

 private:
  static std::intptr_t Answer(void* context, const rb_dialog* dialog) {
    auto* script = static_cast<DialogScript*>(context);
    switch (dialog->kind) {
      case RB_DIALOG_MESSAGE:
        script->asked.push_back("message " + std::to_string(dialog->value) + ":" + dialog->text);
        return dialog->defaultAnswer;
      case RB_DIALOG_CHOICE:
        script->asked.push_back("choice " + std::to_string(dialog->value) + ":" + std::to_string(dialog->itemCount));
        return script->choice;
      default:
        script->asked.push_back(std::string(dialog->caption ? dialog->caption : "") + "|" + dialog->text);
        if (script->beforeAnswer) script->beforeAnswer();
        return script->messageAnswer;
    }
  }
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

// Eight bytes of the ROM's character set for c (the font starts with space at
// 0x3D00).
inline bool CharacterAt(ReferenceHost& host, int row, int column, char c) {
  const std::uint8_t* memory = host.Cpu().Memory();
  const int glyph = 0x3D00 + (c - ' ') * 8;
  for (int line = 0; line < 8; ++line) {
    const int address = 0x4000 + ((row & 0x18) << 8) + (line << 8) + ((row & 7) << 5) + column;
    if (memory[address] != memory[glyph + line]) return false;
  }
  return true;
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
// stopped for a second, or until maxSeconds of emulated time; true when it
// stopped.
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
