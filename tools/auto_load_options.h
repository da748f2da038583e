// The reelbox command's auto-load options: --auto-load opens the tape and
// types nothing, the plug-in hands the host a snapshot waiting in the ROM's
// loader; --hold ctrl|shift|ctrl+shift holds keys while the tape opens.
#pragma once

#include <cstdint>
#include <string>

#include "host/load_session.h"
#include "host/reference_host.h"
#include "tools/machine_options.h"

namespace reelbox::tools {

struct AutoLoadArguments {
  bool autoLoad = false;
  std::uint32_t keys = 0;  // RB_KEY_* bits held during the run
};

OptionResult ParseAutoLoadFlag(const std::string& name, AutoLoadArguments* args);
OptionResult ParseAutoLoadOption(const std::string& name, const char* value, AutoLoadArguments* args);

// The usage lines of these options.
const char* AutoLoadUsage();

// Lets the host auto-load. False with a message when the original ROMs are
// not at hand: the snapshots wait in their loaders.
bool ApplyAutoLoadArguments(const AutoLoadArguments& args, host::HostOptions* options, std::string* error);

// After the machine has booted, nothing is typed, and the keys are held
// from before the tape opens to the end of the run.
void PrepareAutoLoad(const AutoLoadArguments& args, host::LoadOptions* load);

// Lets go of the held keys.
void ReleaseHeldKeys();

}  // namespace reelbox::tools
