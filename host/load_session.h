// A whole tape load on the reference host, as a user does it: boot, open the
// tape, type LOAD "" and ENTER, let auto play start the tape (or press play),
// and run until the loaded program has the machine and the tape has stopped.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/reference_host.h"

namespace reelbox::host {

struct LoadOptions {
  std::string tapePath;  // empty: no tape is opened
  std::string command = "LOAD \"\"\n";
  // When set, these keys are typed instead of command.
  std::vector<Chord> commandChords;
  // When set, brings the machine from power-on (or a snapshot) to where the
  // command is typed, instead of running 100 frames; false ends the run
  // ("boot_failed").
  double maxSeconds = 600.0;   // emulated
  double settleSeconds = 2.0;  // emulated time the tape must stay stopped
  bool untilTapeEnd = false;   // a stop before the end does not finish the run
  bool throttle = false;       // 50 frames a wall second unless full speed is asked for
  // Presses play when auto play has not started the tape; true when it did.
  // None: the host's key for the plug-in's play command.
  std::function<bool(ReferenceHost&)> pressPlay;
  std::function<bool(ReferenceHost&)> boot;
  // Called about four times a wall second once the run has taken a second.
  std::function<void(const ReferenceHost&, double wallSeconds)> progress;
};

enum class PlayedBy { Nothing, AutoPlay, PlayCommand };

struct LoadReport {
  std::string
      exitReason;  // "loaded", "tape_end", "loader_waiting", "time_limit", "no_tape", "open_failed" or "boot_failed"
  HResult openResult = RESULT_OK;
  double emulatedSeconds = 0;
  double tapeSeconds = 0;
  double wallSeconds = 0;
  double pluginSeconds = 0;
  bool tapeStopped = false;
  std::size_t blocksPlayed = 0;
  PlayedBy playedBy = PlayedBy::Nothing;
  std::uint16_t pc = 0;
};

// host must be started. Boot time counts in the emulated seconds.
LoadReport RunLoad(ReferenceHost& host, const LoadOptions& options);

const char* PlayedByName(PlayedBy playedBy);

}  // namespace reelbox::host
