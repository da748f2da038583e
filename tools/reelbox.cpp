// The reelbox command: loads a tape on the reference host the way a user
// does, or lists a tape's blocks.
//
//   reelbox run [TAPE] [options]   boot, LOAD "", play, report
//   reelbox list TAPE [--detailed] the table of contents, as the recorder window shows it
//   reelbox save OUT [options]     SAVE a program onto a TAP or TZX file
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "host/load_session.h"
#include "host/recorder_window.h"
#include "host/reference_host.h"
#include "host/screen_image.h"
#include "host/sha256.h"
#include "host/tap_image.h"
#include "tools/auto_load_options.h"
#include "tools/machine_options.h"
#include "tools/result_words.h"
#include "tools/save_command.h"
#include "tools/tape_dialog_answers.h"

using namespace reelbox;
using namespace reelbox::host;

namespace {

struct RunArguments {
  std::string tape;
  std::string pngPath = "reelbox-screen.png";
  std::string noisePath;
  std::string jsonPath;
  std::string ramPath;
  std::string settingsPath;
  std::string pluginPath = REELBOX_PLUGIN_PATH;
  std::string romPath = REELBOX_DEFAULT_ROM;
  tools::MachineArguments machine;
  tools::AutoLoadArguments autoLoad;
  int fastLoading = -1;  // -1: the plug-in's own setting
  int flashLoading = -1;
  int edgeDetection = -1;
  int autoPlay = -1;
  bool realTime = false;
  bool untilTapeEnd = false;
  bool detailed = false;
  int select = 1;  // a select block's entry, or tools::SELECT_NONE
  double seconds = 600.0;
};

bool ParseSwitch(const char* text, int* value) {
  if (std::strcmp(text, "on") == 0) {
    *value = 1;
  } else if (std::strcmp(text, "off") == 0) {
    *value = 0;
  } else {
    return false;
  }
  return true;
}

bool ParseSeconds(const char* text, double* seconds) {
  char* end = nullptr;
  *seconds = std::strtod(text, &end);
  return end != text && *end == '\0' && *seconds > 0;
}

constexpr tools::OptionResult Taken = tools::OptionResult::Taken;

bool MachineValue(const char* name, const char* value, RunArguments& args) {
  return tools::ParseMachineOption(name, value, &args.machine) == Taken;
}

// One option of a command: its name, the name of its value (null for a flag),
// its help line, and what it sets.
struct Option {
  const char* name;
  const char* value;
  const char* help;
  bool (*apply)(RunArguments& args, const char* value);
};

const Option RUN_OPTIONS[] = {
    {"--fast-loading", "on|off", "fast loading (pilot skip, full speed while the tape plays)",
     [](RunArguments& a, const char* v) { return ParseSwitch(v, &a.fastLoading); }},
    {"--flash-loading", "on|off", "whole-block and byte flash loading",
     [](RunArguments& a, const char* v) { return ParseSwitch(v, &a.flashLoading); }},
    {"--edge-detection", "on|off", "edge detection in loaders' sampling loops",
     [](RunArguments& a, const char* v) { return ParseSwitch(v, &a.edgeDetection); }},
    {"--auto-play", "on|off", "auto play / stop; off: Play is pressed (F7) after LOAD \"\" is typed",
     [](RunArguments& a, const char* v) { return ParseSwitch(v, &a.autoPlay); }},
    {"--real-time", nullptr, "run at 50 frames a second unless the plug-in asks for full speed",
     [](RunArguments& a, const char*) { return a.realTime = true; }},
    {"--model", "16k|48k|128k|plus2|plus2a|plus3|plus3e|scorpion", "the machine (default 48k)",
     [](RunArguments& a, const char* v) { return MachineValue("--model", v, a); }},
    {"--roms", "DIR", "the folder of the original ROMs (default: $REELBOX_ROMS)",
     [](RunArguments& a, const char* v) { return MachineValue("--roms", v, a); }},
    {"--basic", "128|48", "the BASIC a 128K-class machine enters through its menu (default 128)",
     [](RunArguments& a, const char* v) { return MachineValue("--basic", v, a); }},
    {"--speech-unit", nullptr, "fit the speech unit",
     [](RunArguments& a, const char*) { return tools::ParseMachineFlag("--speech-unit", &a.machine) == Taken; }},
    {"--snapshot", "FILE.szx", "start from a zx-state snapshot instead of booting",
     [](RunArguments& a, const char* v) { return MachineValue("--snapshot", v, a); }},
    {"--save-snapshot", "FILE.szx", "write a zx-state snapshot when the run ends",
     [](RunArguments& a, const char* v) { return MachineValue("--save-snapshot", v, a); }},
    {"--auto-load", nullptr, "type nothing: the plug-in auto-loads the tape (needs the original ROMs)",
     [](RunArguments& a, const char*) { return tools::ParseAutoLoadFlag("--auto-load", &a.autoLoad) == Taken; }},
    {"--hold", "ctrl|shift|ctrl+shift", "keys held down while the tape opens",
     [](RunArguments& a, const char* v) { return tools::ParseAutoLoadOption("--hold", v, &a.autoLoad) == Taken; }},
    {"--seconds", "N", "stop after N emulated seconds (default 600)",
     [](RunArguments& a, const char* v) { return ParseSeconds(v, &a.seconds); }},
    {"--until-tape-end", nullptr, "a stop before the tape's end does not finish the run",
     [](RunArguments& a, const char*) { return a.untilTapeEnd = true; }},
    {"--select", "N|none", "answer a tape's menus with entry N (default 1); none cancels them",
     [](RunArguments& a, const char* v) { return tools::ParseSelect(v, &a.select); }},
    {"--png", "FILE", "where the screen goes (default reelbox-screen.png)",
     [](RunArguments& a, const char* v) { return !(a.pngPath = v).empty(); }},
    {"--noise", "FILE.wav", "record the loading noise into a WAV file (runs in real time)",
     [](RunArguments& a, const char* v) { return !(a.noisePath = v).empty(); }},
    {"--json", "FILE", "write a report in JSON",
     [](RunArguments& a, const char* v) { return !(a.jsonPath = v).empty(); }},
    {"--ram", "FILE", "write the 48K of RAM at the end",
     [](RunArguments& a, const char* v) { return !(a.ramPath = v).empty(); }},
    {"--settings", "FILE", "an INI file of host settings, read at start and written at the end",
     [](RunArguments& a, const char* v) { return !(a.settingsPath = v).empty(); }},
    {"--plugin", "FILE", "the plug-in library to load",
     [](RunArguments& a, const char* v) { return !(a.pluginPath = v).empty(); }},
    {"--rom", "FILE", "a 16K Spectrum ROM (default: OpenSE BASIC)",
     [](RunArguments& a, const char* v) { return !(a.romPath = v).empty(); }},
};

const Option LIST_OPTIONS[] = {
    {"--detailed", nullptr, "every block, as the window's detailed view shows it",
     [](RunArguments& a, const char*) { return a.detailed = true; }},
    {"--plugin", "FILE", "the plug-in library to load",
     [](RunArguments& a, const char* v) { return !(a.pluginPath = v).empty(); }},
    {"--rom", "FILE", "a 16K Spectrum ROM (default: OpenSE BASIC)",
     [](RunArguments& a, const char* v) { return !(a.romPath = v).empty(); }},
};

template <std::size_t N>
void PrintOptions(const Option (&options)[N]) {
  for (const Option& option : options) {
    const std::string head =
        std::string(option.name) + (option.value != nullptr ? std::string(" ") + option.value : "");
    std::printf("  %-26s %s\n", head.c_str(), option.help);
  }
  std::printf("  %-26s %s\n", "--help", "this text");
}

void PrintRunHelp() {
  std::printf(
      "usage: reelbox run [TAPE] [options]\n"
      "Boots the reference Spectrum, opens TAPE in the plug-in, types LOAD \"\" and runs until the\n"
      "loaded program has the machine. Without TAPE it loads a built-in demonstration tape.\n");
  PrintOptions(RUN_OPTIONS);
}

void PrintListHelp() {
  std::printf(
      "usage: reelbox list TAPE [options]\n"
      "Prints the tape's table of contents as the cassette recorder window shows it.\n");
  PrintOptions(LIST_OPTIONS);
}

int Usage() {
  std::fprintf(stderr,
               "usage: reelbox run [TAPE] [options]  |  reelbox list TAPE [--detailed]  |  reelbox save OUT [options]"
               "  |  reelbox --help\n");
  return 2;
}

int Help() {
  PrintRunHelp();
  std::printf("\n");
  PrintListHelp();
  std::printf("\n");
  tools::PrintSaveHelp();
  return 0;
}

// Reads the options of a command and at most one tape; false, after saying
// why, on a word that is no option or a bad value.
template <std::size_t N>
bool ParseArguments(int argc, char** argv, const Option (&options)[N], RunArguments* args) {
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.compare(0, 2, "--") != 0) {
      if (!args->tape.empty()) {
        std::fprintf(stderr, "reelbox: more than one tape given (%s and %s)\n", args->tape.c_str(), arg.c_str());
        return false;
      }
      args->tape = arg;
      continue;
    }
    const Option* option = nullptr;
    for (const Option& candidate : options) {
      if (arg == candidate.name) option = &candidate;
    }
    if (option == nullptr) {
      std::fprintf(stderr, "reelbox: bad or missing value for %s: %s is an unknown option (see reelbox %s --help)\n",
                   arg.c_str(), arg.c_str(), argv[1]);
      return false;
    }
    const char* value = nullptr;
    if (option->value != nullptr) {
      value = i + 1 < argc ? argv[++i] : nullptr;
      if (value == nullptr) {
        std::fprintf(stderr, "reelbox: bad or missing value for %s (expected %s)\n", option->name, option->value);
        return false;
      }
    }
    if (!option->apply(*args, value)) {
      std::fprintf(stderr, "reelbox: bad or missing value for %s: \"%s\" (expected %s)\n", option->name,
                   value != nullptr ? value : "", option->value != nullptr ? option->value : "nothing");
      return false;
    }
  }
  return true;
}

bool WantsHelp(int argc, char** argv) {
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
  }
  return false;
}

void PrintOpenFailure(const std::string& path, HResult result) {
  std::fprintf(stderr, "reelbox: the plug-in could not open %s (0x%08X): %s\n", path.c_str(),
               static_cast<unsigned>(result), tools::ResultWords(result, path).c_str());
}

// The deck's options reach it as the plug-in's own settings, read when its
// window is created.
void PresetPluginSettings(const RunArguments& args, SettingsStore& settings) {
  const char* key = "Plugins\\Reelbox";
  if (args.fastLoading >= 0) settings.SetDword(key, "Fast Load", static_cast<std::uint32_t>(args.fastLoading));
  if (args.flashLoading >= 0) settings.SetDword(key, "FlashLoad", static_cast<std::uint32_t>(args.flashLoading));
  if (args.edgeDetection >= 0) {
    settings.SetDword(key, "Edge Detection", static_cast<std::uint32_t>(args.edgeDetection));
  }
  if (args.autoPlay >= 0) settings.SetDword(key, "AutoPlay", static_cast<std::uint32_t>(args.autoPlay));
  if (!args.noisePath.empty()) settings.SetDword(key, "Loading Tones", 1);
}

// The demonstration tape goes to a temporary file, as the plug-in opens files.
std::string WriteDemoTape() {
  char path[] = "/tmp/reelbox-demo-XXXXXX.tap";
  const int fd = mkstemps(path, 4);
  if (fd < 0) return {};
  close(fd);
  return DemoTape().Save(path) ? std::string(path) : std::string();
}

void PrintProgress(const ReferenceHost& host, double wallSeconds) {
  const TapeWatch& tape = host.Tape();
  std::fprintf(stderr, "\r  %7.1f s emulated, %5.1f s wall, block %d, %s   ", host.EmulatedSeconds(), wallSeconds,
               tape.Block() + 1, tape.Playing() ? "playing" : (tape.EverPlayed() ? "stopped" : "waiting"));
  std::fflush(stderr);
}

std::string JsonText(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    if (static_cast<unsigned char>(c) >= 32) quoted += c;
  }
  return quoted + "\"";
}

bool WriteJson(const std::string& path, const LoadReport& report, ReferenceHost& host, const std::string& tape) {
  const std::uint8_t* memory = host.Cpu().Memory();
  std::ofstream file(path, std::ios::trunc);
  file << "{\n"
       << "  \"tape\": " << JsonText(tape) << ",\n"
       << "  \"exit_reason\": " << JsonText(report.exitReason) << ",\n"
       << "  \"emulated_seconds\": " << report.emulatedSeconds << ",\n"
       << "  \"tape_seconds\": " << report.tapeSeconds << ",\n"
       << "  \"wall_seconds\": " << report.wallSeconds << ",\n"
       << "  \"tape_stopped\": " << (report.tapeStopped ? "true" : "false") << ",\n"
       << "  \"blocks_played\": " << report.blocksPlayed << ",\n"
       << "  \"played_by\": " << JsonText(PlayedByName(report.playedBy)) << ",\n"
       << "  \"pc\": " << report.pc << ",\n"
       << "  \"full_speed_requests\": " << host.Machine().FullSpeedRequests().size() << ",\n"
       << "  \"ram_sha256\": " << JsonText(Sha256Hex(memory + 0x4000, 0xC000)) << ",\n"
       << "  \"screen_sha256\": " << JsonText(Sha256Hex(memory + SCREEN_START, SCREEN_BYTES)) << "\n"
       << "}\n";
  return static_cast<bool>(file);
}

bool WriteRam(const std::string& path, ReferenceHost& host) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(host.Cpu().Memory() + 0x4000), 0xC000);
  return static_cast<bool>(file);
}

void PrintReport(const LoadReport& report, const std::string& tapeName) {
  std::printf("tape:      %s\n", tapeName.c_str());
  std::printf("played:    %zu block%s by %s; tape %s\n", report.blocksPlayed, report.blocksPlayed == 1 ? "" : "s",
              PlayedByName(report.playedBy), report.tapeStopped ? "stopped" : "not stopped");
  std::printf("time:      %.2f s emulated (tape %.2f s), %.2f s wall", report.emulatedSeconds, report.tapeSeconds,
              report.wallSeconds);
  if (report.wallSeconds > 0) std::printf(", %.1fx real time", report.emulatedSeconds / report.wallSeconds);
  std::printf("\nexit:      %s at PC 0x%04X\n", report.exitReason.c_str(), report.pc);
}

bool WriteOutputs(const RunArguments& args, const LoadReport& report, ReferenceHost& host, const std::string& tape) {
  bool ok = WritePng(args.pngPath, RenderScreen(host.Cpu().Screen(), host.Cpu().BorderLines()));
  std::printf("screen:    %s\n", args.pngPath.c_str());
  if (!args.noisePath.empty()) {
    ok = WriteWav(args.noisePath, host.Sound().Played(), 44100) && ok;
    std::printf("noise:     %s (%.2f s)\n", args.noisePath.c_str(), host.Sound().Played().size() / 88200.0);
  }
  if (!args.jsonPath.empty()) ok = WriteJson(args.jsonPath, report, host, tape) && ok;
  if (!args.ramPath.empty()) ok = WriteRam(args.ramPath, host) && ok;
  if (!ok) std::fprintf(stderr, "reelbox: could not write every output file\n");
  return ok;
}

HostOptions HostOptionsFor(const RunArguments& args) {
  HostOptions options;
  tools::ApplyMachineArguments(args.machine, &options);
  options.romPath = args.romPath;
  options.pluginPath = args.pluginPath;
  options.settingsPath = args.settingsPath;
  // The loading noise sounds only while the host runs in real time.
  options.realTime = args.realTime || !args.noisePath.empty();
  options.keepSound = !args.noisePath.empty();
  return options;
}

int Run(int argc, char** argv) {
  if (WantsHelp(argc, argv)) {
    PrintRunHelp();
    return 0;
  }
  RunArguments args;
  if (!ParseArguments(argc, argv, RUN_OPTIONS, &args)) return 2;
  // A snapshot brings its own tape, if it has one.
  const bool demo = args.tape.empty() && args.machine.snapshot.empty();
  const std::string tapePath = demo ? WriteDemoTape() : args.tape;
  if (demo && tapePath.empty()) {
    std::fprintf(stderr, "reelbox: cannot write the demonstration tape\n");
    return 1;
  }
  HostOptions hostOptions = HostOptionsFor(args);
  std::string autoLoadError;
  if (!tools::ApplyAutoLoadArguments(args.autoLoad, &hostOptions, &autoLoadError)) {
    std::fprintf(stderr, "reelbox: %s\n", autoLoadError.c_str());
    return 1;
  }
  const tools::TapeDialogAnswers dialogs(args.select, stdout);
  ReferenceHost host(hostOptions);
  PresetPluginSettings(args, host.Settings());
  HResult result = host.Start();
  if (Failed(result)) {
    std::fprintf(stderr, "reelbox: %s (0x%08X): %s\n", host.Error().c_str(), static_cast<unsigned>(result),
                 tools::ResultWords(result, args.pluginPath).c_str());
    return 1;
  }
  if (!host.Attached()) {
    std::fprintf(stderr, "reelbox: warning: the plug-in's device did not attach (0x%08X)\n",
                 static_cast<unsigned>(host.AttachResult()));
  }
  LoadOptions load;
  load.tapePath = tapePath;
  load.maxSeconds = args.seconds;
  load.untilTapeEnd = args.untilTapeEnd;
  load.throttle = args.realTime;
  load.progress = isatty(STDERR_FILENO) ? PrintProgress : nullptr;
  std::string bootError;
  tools::PrepareLoad(args.machine, &load, &bootError);
  tools::PrepareAutoLoad(args.autoLoad, &load);
  const LoadReport report = RunLoad(host, load);
  tools::ReleaseHeldKeys();
  if (load.progress) std::fprintf(stderr, "\r%72s\r", "");
  if (demo) std::remove(tapePath.c_str());
  if (report.exitReason == "open_failed") {
    PrintOpenFailure(tapePath, report.openResult);
    return 1;
  }
  if (report.exitReason == "boot_failed") {
    std::fprintf(stderr, "reelbox: %s\n", bootError.c_str());
    return 1;
  }
  const std::string tapeName = demo ? "built-in demonstration tape" : args.tape.empty() ? "the snapshot's" : args.tape;
  PrintReport(report, tapeName);
  const bool saved = tools::SaveRequestedSnapshot(args.machine, host);
  return WriteOutputs(args, report, host, tapeName) && saved ? 0 : 1;
}

// The rows come from the plug-in's own window, filled by the same code that
// fills the list view on Windows.
int List(int argc, char** argv) {
  if (WantsHelp(argc, argv)) {
    PrintListHelp();
    return 0;
  }
  RunArguments args;
  if (!ParseArguments(argc, argv, LIST_OPTIONS, &args)) return 2;
  if (args.tape.empty()) return Usage();
  HostOptions options;
  options.pluginPath = args.pluginPath;
  options.romPath = args.romPath;
  options.soundDevice = false;
  ReferenceHost host(options);
  host.Settings().SetDword("Plugins\\Reelbox", "Detailed TOC", args.detailed ? 1 : 0);
  host.Settings().SetDword("Plugins\\Reelbox", "AutoLoad", 0);
  HResult result = host.Start();
  if (Failed(result)) {
    std::fprintf(stderr, "reelbox: %s (0x%08X): %s\n", host.Error().c_str(), static_cast<unsigned>(result),
                 tools::ResultWords(result, args.pluginPath).c_str());
    return 1;
  }
  result = host.OpenTape(args.tape);
  if (Failed(result)) {
    PrintOpenFailure(args.tape, result);
    return 1;
  }
  const RecorderWindowState window = ReadRecorderWindow();
  for (const RecorderRow& row : window.rows) std::printf("%s\n", row.text.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0)) return Help();
  if (argc >= 2 && std::strcmp(argv[1], "run") == 0) return Run(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "list") == 0) return List(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "save") == 0) return tools::SaveCommand(argc, argv);
  return Usage();
}
