#include "host/load_session.h"

#include <chrono>
#include <thread>

namespace reelbox::host {
namespace {

using WallClock = std::chrono::steady_clock;

constexpr std::uint32_t BOOT_FRAMES = 100;       // the ROM has cleared RAM and shows its message
constexpr std::uint32_t PLAY_WAIT_FRAMES = 150;  // auto play's chance before play is pressed
constexpr std::uint32_t KEY_F7 = 0x76;           // the host key of the plug-in's play/stop command
// The ROM's LD-BYTES, from its entry to the end of its edge routine.
constexpr std::uint16_t LOADER_FIRST = 0x0556;
constexpr std::uint16_t LOADER_LAST = 0x0604;

double Seconds(WallClock::duration elapsed) { return std::chrono::duration<double>(elapsed).count(); }

std::uint64_t FramesFor(double seconds) {
  return static_cast<std::uint64_t>(seconds * TSTATES_PER_SECOND / FRAME_TSTATES + 0.5);
}

class LoadRun {
 public:
  LoadRun(ReferenceHost& host, const LoadOptions& options) : host_(host), options_(options) {}
  LoadReport Run();

 private:
  void Frame();
  bool Finished();
  void PressPlayIfIdle();
  void Throttle();
  void Report();

  ReferenceHost& host_;
  const LoadOptions& options_;
  LoadReport report_;
  WallClock::time_point start_ = WallClock::now();
  WallClock::time_point nextProgress_ = start_ + std::chrono::seconds(1);
  std::uint64_t typedFrame_ = 0;
  bool typed_ = false;
};

LoadReport LoadRun::Run() {
  if (!options_.boot) {
    host_.RunFrames(BOOT_FRAMES);
  } else if (!options_.boot(host_)) {
    report_.exitReason = "boot_failed";
    Report();
    return report_;
  }
  if (!options_.tapePath.empty()) {
    report_.openResult = host_.OpenTape(options_.tapePath);
    if (Failed(report_.openResult)) {
      report_.exitReason = "open_failed";
      Report();
      return report_;
    }
  }
  if (options_.commandChords.empty()) {
    host_.Type(options_.command);
  } else {
    host_.TypeChords(options_.commandChords);
  }
  while (!Finished()) Frame();
  Report();
  return report_;
}

void LoadRun::Frame() {
  host_.RunFrame();
  if (!typed_ && !host_.Typing()) {
    typed_ = true;
    typedFrame_ = host_.Frames();
  }
  PressPlayIfIdle();
  if (options_.throttle) Throttle();
  if (options_.progress && WallClock::now() >= nextProgress_) {
    options_.progress(host_, Seconds(WallClock::now() - start_));
    nextProgress_ = WallClock::now() + std::chrono::milliseconds(250);
  }
}

// Auto play starts the tape when the ROM loader runs; when it has not after a
// while, the host presses play.
void LoadRun::PressPlayIfIdle() {
  const TapeWatch& tape = host_.Tape();
  if (report_.playedBy != PlayedBy::Nothing) return;
  if (tape.EverPlayed()) {
    report_.playedBy = PlayedBy::AutoPlay;
  } else if (options_.tapePath.empty()) {
    return;  // a snapshot's tape is started by its loader
  } else if (typed_ && host_.Frames() - typedFrame_ >= PLAY_WAIT_FRAMES) {
    const bool pressed = options_.pressPlay ? options_.pressPlay(host_) : Succeeded(host_.RunCommandForKey(KEY_F7));
    if (pressed) report_.playedBy = PlayedBy::PlayCommand;
    typedFrame_ = host_.Frames();  // try again later if the press did nothing
  }
}

bool LoadRun::Finished() {
  const TapeWatch& tape = host_.Tape();
  if (host_.EmulatedSeconds() >= options_.maxSeconds) {
    report_.exitReason = options_.tapePath.empty() || tape.EverPlayed() ? "time_limit" : "no_tape";
    return true;
  }
  if (!tape.EverPlayed() || tape.Playing()) return false;
  if (host_.Frames() - tape.LastChangeFrame() < FramesFor(options_.settleSeconds)) return false;
  if (options_.untilTapeEnd && !tape.RanToEnd()) return false;
  const std::uint16_t pc = host_.Cpu().Register(regPC);
  if (pc >= LOADER_FIRST && pc <= LOADER_LAST) {
    report_.exitReason = "loader_waiting";
  } else {
    report_.exitReason = tape.RanToEnd() ? "tape_end" : "loaded";
  }
  return true;
}

void LoadRun::Throttle() {
  if (host_.Machine().FullSpeed()) return;
  const auto due =
      start_ + std::chrono::duration_cast<WallClock::duration>(std::chrono::duration<double>(host_.EmulatedSeconds()));
  std::this_thread::sleep_until(due);
}

void LoadRun::Report() {
  const TapeWatch& tape = host_.Tape();
  report_.emulatedSeconds = host_.EmulatedSeconds();
  report_.wallSeconds = Seconds(WallClock::now() - start_);
  report_.pluginSeconds = host_.PluginSeconds();
  report_.tapeStopped = tape.EverPlayed() && !tape.Playing();
  if (tape.EverPlayed()) {
    const std::uint64_t end = tape.Playing() ? host_.Frames() : tape.LastStopFrame();
    report_.tapeSeconds = static_cast<double>(end - tape.FirstPlayFrame()) * FRAME_TSTATES / TSTATES_PER_SECOND;
  }
  report_.blocksPlayed = tape.BlocksAnnounced();
  report_.pc = host_.Cpu().Register(regPC);
}

}  // namespace

LoadReport RunLoad(ReferenceHost& host, const LoadOptions& options) { return LoadRun(host, options).Run(); }

const char* PlayedByName(PlayedBy playedBy) {
  switch (playedBy) {
    case PlayedBy::AutoPlay:
      return "auto play";
    case PlayedBy::PlayCommand:
      return "play command";
    default:
      return "not played";
  }
}

}  // namespace reelbox::host
