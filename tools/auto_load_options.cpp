#include "tools/auto_load_options.h"

#include <cstring>

#include "host/rom_set.h"
#include "platform/posix/message_service/message_service.h"

namespace reelbox::tools {

OptionResult ParseAutoLoadFlag(const std::string& name, AutoLoadArguments* args) {
  if (name != "--auto-load") return OptionResult::NotMine;
  args->autoLoad = true;
  return OptionResult::Taken;
}

OptionResult ParseAutoLoadOption(const std::string& name, const char* value, AutoLoadArguments* args) {
  if (name != "--hold") return OptionResult::NotMine;
  const struct {
    const char* text;
    std::uint32_t keys;
  } choices[] = {{"ctrl", RB_KEY_CONTROL}, {"shift", RB_KEY_SHIFT}, {"ctrl+shift", RB_KEY_CONTROL | RB_KEY_SHIFT}};
  for (const auto& choice : choices) {
    if (std::strcmp(value, choice.text) != 0) continue;
    args->keys = choice.keys;
    return OptionResult::Taken;
  }
  return OptionResult::BadValue;
}

const char* AutoLoadUsage() { return "                   [--auto-load] [--hold ctrl|shift|ctrl+shift]\n"; }

bool ApplyAutoLoadArguments(const AutoLoadArguments& args, host::HostOptions* options, std::string* error) {
  if (!args.autoLoad) return true;
  if (options->romFolder.empty()) {
    *error =
        "auto-load needs the machine's original ROM: its snapshots wait in that ROM's tape loader. Give the "
        "folder of original ROM images with --roms DIR (or " +
        std::string(host::ROM_FOLDER_VARIABLE) + ")";
    return false;
  }
  options->autoLoad = true;
  return true;
}

void PrepareAutoLoad(const AutoLoadArguments& args, host::LoadOptions* load) {
  const std::function<bool(host::ReferenceHost&)> boot = load->boot;
  const bool typeNothing = args.autoLoad;
  const std::uint32_t keys = args.keys;
  load->boot = [boot, typeNothing, keys, load](host::ReferenceHost& host) {
    if (boot && !boot(host)) return false;
    if (!boot) host.RunFrames(100);
    if (typeNothing) {
      load->command.clear();
      load->commandChords.clear();
    }
    rb_set_keys_down(keys);
    return true;
  };
}

void ReleaseHeldKeys() { rb_set_keys_down(0); }

}  // namespace reelbox::tools
