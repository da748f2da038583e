// A save onto tape on the reference host, as a user makes it: the tape file
// is created (or opened to append to), Record is pressed, a SAVE command is
// typed and its key prompt answered, and Stop is pressed once the ROM has
// come back from saving.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "host/reference_host.h"

namespace reelbox::host {

// The accelerator of the recorder's Record command: Ctrl+Alt+Space.
constexpr std::uint32_t RECORD_KEY = 0x20;
constexpr std::uint32_t RECORD_MODIFIERS = 0x19;  // virtual key, Ctrl, Alt

struct SaveOptions {
  std::string tapePath;       // created through the plug-in when missing
  std::string command;        // the SAVE statement, ENTER included
  std::uint32_t saves = 2;    // calls of the ROM's save routine the command makes
  double maxSeconds = 120.0;  // emulated
  // Presses Record; true when the deck took it. None: the host's accelerator.
  std::function<bool(ReferenceHost&)> pressRecord;
  // Presses Stop. None: the host's play/stop key (F7), which stops recording.
  std::function<bool(ReferenceHost&)> pressStop;
};

struct SaveReport {
  std::string exitReason;  // "saved", "create_failed", "open_failed", "record_failed" or "time_limit"
  HResult openResult = RESULT_OK;
  bool created = false;        // the tape file was made through the plug-in
  std::uint32_t savesRun = 0;  // calls of the ROM's save routine that returned
  double saveSeconds = 0;      // emulated time spent inside the save routine
  double emulatedSeconds = 0;  // the whole session
  double wallSeconds = 0;
  std::uint32_t recordedNotices = 0;
  bool stopped = false;  // the deck was Stopped at the end
};

// host must be started and idle at the BASIC prompt.
SaveReport RunSave(ReferenceHost& host, const SaveOptions& options);

// Presses the recorder's Record through its accelerator; false when the
// plug-in registered none.
bool PressRecordAccelerator(ReferenceHost& host);

}  // namespace reelbox::host
