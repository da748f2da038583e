#include "tools/machine_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/rom_set.h"

namespace reelbox::tools {

OptionResult ParseMachineFlag(const std::string& name, MachineArguments* args) {
  if (name != "--speech-unit") return OptionResult::NotMine;
  args->speechUnit = true;
  return OptionResult::Taken;
}

OptionResult ParseMachineOption(const std::string& name, const char* value, MachineArguments* args) {
  if (name == "--model") {
    const host::MachineDescription* desc = host::MachineByName(value);
    if (desc == nullptr) return OptionResult::BadValue;
    args->model = desc->model;
  } else if (name == "--basic") {
    if (std::strcmp(value, "128") != 0 && std::strcmp(value, "48") != 0) return OptionResult::BadValue;
    args->basic = std::strcmp(value, "128") == 0 ? host::BasicMode::Basic128 : host::BasicMode::Basic48;
  } else if (name == "--roms") {
    args->romFolder = value;
  } else if (name == "--snapshot") {
    args->snapshot = value;
  } else if (name == "--save-snapshot") {
    args->saveSnapshot = value;
  } else {
    return OptionResult::NotMine;
  }
  return OptionResult::Taken;
}

const char* MachineUsage() {
  return "                   [--model 16k|48k|128k|plus2|plus2a|plus3|plus3e|scorpion] [--roms DIR]\n"
         "                   [--basic 128|48] [--speech-unit] [--snapshot FILE.szx] [--save-snapshot FILE.szx]\n";
}

void ApplyMachineArguments(const MachineArguments& args, host::HostOptions* options) {
  options->model = args.model;
  options->romFolder = args.romFolder;
  const char* fromEnvironment = std::getenv(host::ROM_FOLDER_VARIABLE);
  if (options->romFolder.empty() && fromEnvironment != nullptr) options->romFolder = fromEnvironment;
  options->speechUnit = args.speechUnit;
}

void PrepareLoad(const MachineArguments& args, host::LoadOptions* load, std::string* bootError) {
  if (!args.snapshot.empty()) {
    const std::string path = args.snapshot;
    load->boot = [path, bootError](host::ReferenceHost& host) {
      if (Succeeded(host.LoadSnapshotFile(path))) return true;
      *bootError = host.Error();
      return false;
    };
    load->command.clear();
    return;
  }
  const host::BasicMode mode = args.basic;
  load->boot = [mode, bootError, load](host::ReferenceHost& host) {
    const host::BasicMode usable = host.Description().editor128 ? mode : host::BasicMode::Basic48;
    if (!host::EnterBasic(host, usable, bootError)) return false;
    load->commandChords = host::LoadCommandChords(host, usable, false);
    return true;
  };
}

bool SaveRequestedSnapshot(const MachineArguments& args, host::ReferenceHost& host) {
  if (args.saveSnapshot.empty()) return true;
  if (Failed(host.SaveSnapshotFile(args.saveSnapshot))) {
    std::fprintf(stderr, "reelbox: %s\n", host.Error().c_str());
    return false;
  }
  std::printf("snapshot:  %s\n", args.saveSnapshot.c_str());
  return true;
}

}  // namespace reelbox::tools
