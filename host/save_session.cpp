#include "host/save_session.h"

#include <sys/stat.h>

#include <chrono>

#include "platform/posix/message_service/message_service.h"

namespace reelbox::host {
namespace {

using WallClock = std::chrono::steady_clock;

constexpr std::uint16_t SAVE_ROUTINE = 0x04C2;         // SA-BYTES
constexpr std::uint16_t SAVE_ROUTINE_RETURN = 0x0555;  // the RET that ends it
constexpr std::uint32_t KEY_F7 = 0x76;
constexpr std::uint32_t PROMPT_FRAMES = 10;  // frames between presses of a key for the save prompt
constexpr std::uint32_t SETTLE_FRAMES = 25;  // frames after the last save, for the ROM to report

bool FileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

class SaveRun {
 public:
  SaveRun(ReferenceHost& host, const SaveOptions& options) : host_(host), options_(options) {}
  ~SaveRun() {
    host_.Machine().WatchExecution(SAVE_ROUTINE, nullptr);
    host_.Machine().WatchExecution(SAVE_ROUTINE_RETURN, nullptr);
  }
  SaveReport Run();

 private:
  bool OpenTapeFile();
  void WatchSaveRoutine();
  bool WaitForSaves();
  std::uint64_t Now() const;

  ReferenceHost& host_;
  const SaveOptions& options_;
  SaveReport report_;
  std::uint64_t enteredAt_ = 0;
  std::uint64_t insideTStates_ = 0;
  std::uint64_t lastReturnFrame_ = 0;
  bool inside_ = false;
};

std::uint64_t SaveRun::Now() const { return host_.Frames() * FRAME_TSTATES + host_.Cpu().FrameClock(); }

bool SaveRun::OpenTapeFile() {
  report_.created = !FileExists(options_.tapePath);
  if (report_.created) {
    IMediaHandler* media = host_.Plugin().Media();
    report_.openResult =
        media != nullptr ? media->CreateMedia(0, options_.tapePath.c_str(), &host_.Media()) : RESULT_FAIL;
    rb_dispatch_messages();
  } else {
    report_.openResult = host_.OpenTape(options_.tapePath);
  }
  if (Failed(report_.openResult)) report_.exitReason = report_.created ? "create_failed" : "open_failed";
  return Succeeded(report_.openResult);
}

// Time inside SA-BYTES, from its entry to the RET of its common exit.
void SaveRun::WatchSaveRoutine() {
  host_.Machine().WatchExecution(SAVE_ROUTINE, [this] {
    inside_ = true;
    enteredAt_ = Now();
  });
  host_.Machine().WatchExecution(SAVE_ROUTINE_RETURN, [this] {
    if (!inside_) return;
    inside_ = false;
    insideTStates_ += Now() - enteredAt_;
    ++report_.savesRun;
    lastReturnFrame_ = host_.Frames();
  });
}

// The SAVE command asks for a key before it saves: ENTER is pressed now and
// then until the save starts. Not SPACE: with the save taking no time the key
// is still down when the routine tests for BREAK.
bool SaveRun::WaitForSaves() {
  const auto limit = static_cast<std::uint64_t>(options_.maxSeconds * TSTATES_PER_SECOND / FRAME_TSTATES);
  const std::uint64_t start = host_.Frames();
  std::uint64_t lastPress = start;
  while (host_.Frames() - start < limit) {
    host_.RunFrame();
    const bool done = report_.savesRun >= options_.saves && !inside_;
    if (done && host_.Frames() - lastReturnFrame_ >= SETTLE_FRAMES) return true;
    if (!host_.Typing() && report_.savesRun == 0 && !inside_ && host_.Frames() - lastPress >= PROMPT_FRAMES) {
      host_.Type("\n");
      lastPress = host_.Frames();
    }
  }
  return false;
}

SaveReport SaveRun::Run() {
  const WallClock::time_point wallStart = WallClock::now();
  const std::uint64_t frameStart = host_.Frames();
  if (OpenTapeFile()) {
    const bool pressed = options_.pressRecord ? options_.pressRecord(host_) : PressRecordAccelerator(host_);
    host_.RunFrame();  // the deck takes the command at the frame's start
    if (!pressed || host_.Tape().State() != DECK_STATE_RECORDING) {
      report_.exitReason = "record_failed";
    } else {
      WatchSaveRoutine();
      host_.Type(options_.command);
      report_.exitReason = WaitForSaves() ? "saved" : "time_limit";
      if (options_.pressStop) {
        options_.pressStop(host_);
      } else {
        host_.RunCommandForKey(KEY_F7);
      }
      host_.RunFrame();
    }
  }
  report_.stopped = host_.Tape().State() == DECK_STATE_STOPPED;
  report_.saveSeconds = static_cast<double>(insideTStates_) / TSTATES_PER_SECOND;
  report_.emulatedSeconds = static_cast<double>(host_.Frames() - frameStart) * FRAME_TSTATES / TSTATES_PER_SECOND;
  report_.wallSeconds = std::chrono::duration<double>(WallClock::now() - wallStart).count();
  report_.recordedNotices = host_.Tape().RecordedNotices();
  return report_;
}

}  // namespace

bool PressRecordAccelerator(ReferenceHost& host) {
  return Succeeded(host.RunCommandForAccelerator(RECORD_KEY, RECORD_MODIFIERS));
}

SaveReport RunSave(ReferenceHost& host, const SaveOptions& options) { return SaveRun(host, options).Run(); }

}  // namespace reelbox::host
