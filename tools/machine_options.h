// The reelbox command's machine options: --model, --roms, --speech-unit,
// --basic, --snapshot and --save-snapshot.
#pragma once

#include <string>

#include "host/basic_entry.h"
#include "host/load_session.h"
#include "host/reference_host.h"

namespace reelbox::tools {

struct MachineArguments {
  std::uint32_t model = MODEL_48K;
  std::string romFolder;  // empty: REELBOX_ROMS, if set
  std::string snapshot;
  std::string saveSnapshot;
  host::BasicMode basic = host::BasicMode::Basic128;
  bool speechUnit = false;
};

enum class OptionResult { NotMine, Taken, BadValue };

// A flag (value unused) or an option with its value.
OptionResult ParseMachineFlag(const std::string& name, MachineArguments* args);
OptionResult ParseMachineOption(const std::string& name, const char* value, MachineArguments* args);

// The usage lines of these options.
const char* MachineUsage();

void ApplyMachineArguments(const MachineArguments& args, host::HostOptions* options);
// How a run boots and what it types: through the menu to the chosen BASIC,
// or from the snapshot with nothing typed.
void PrepareLoad(const MachineArguments& args, host::LoadOptions* load, std::string* bootError);
// Writes --save-snapshot's file, if asked; false with a message on failure.
bool SaveRequestedSnapshot(const MachineArguments& args, host::ReferenceHost& host);

}  // namespace reelbox::tools
