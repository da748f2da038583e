// The reelbox command: loads a tape on the reference host the way a user
// does, or lists a tape's blocks.
//
//   reelbox run [TAPE] [options]   boot, LOAD "", play, report
//   reelbox list TAPE              the blocks as the plug-in reads them
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "host/load_session.h"
#include "host/reference_host.h"
#include "host/screen_image.h"
#include "host/sha256.h"
#include "host/tap_image.h"
#include "tape/tape_opener.h"
#include "tools/block_listing.h"
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
  SpectrumModel model = SpectrumModel::Spectrum48K;
  int fastLoading = -1;  // -1: the plug-in's own setting
  int flashLoading = -1;
  int edgeDetection = -1;
  bool realTime = false;
  bool untilTapeEnd = false;
  int select = 1;  // a select block's entry, or tools::SELECT_NONE
  double seconds = 600.0;
};

int Usage() {
  std::fprintf(stderr,
               "usage: reelbox run [TAPE] [--fast-loading on|off] [--flash-loading on|off]\n"
               "                   [--edge-detection on|off] [--real-time] [--model 16k|48k] [--seconds N]\n"
               "                   [--png FILE] [--noise FILE.wav] [--json FILE] [--ram FILE]\n"
               "                   [--until-tape-end] [--settings FILE] [--plugin FILE] [--rom FILE]\n"
               "                   [--select N|none]\n"
               "       reelbox list TAPE\n"
               "Without TAPE, run loads a built-in demonstration tape.\n");
  return 2;
}

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

bool ParseModel(const char* text, SpectrumModel* model) {
  if (strcasecmp(text, "48k") == 0 || std::strcmp(text, "1") == 0) {
    *model = SpectrumModel::Spectrum48K;
  } else if (strcasecmp(text, "16k") == 0 || std::strcmp(text, "0") == 0) {
    *model = SpectrumModel::Spectrum16K;
  } else {
    return false;
  }
  return true;
}

// An option with a value: false when the value is missing or bad.
bool ParseValueOption(const std::string& name, const char* value, RunArguments* args) {
  if (value == nullptr) return false;
  if (name == "--fast-loading") return ParseSwitch(value, &args->fastLoading);
  if (name == "--flash-loading") return ParseSwitch(value, &args->flashLoading);
  if (name == "--edge-detection") return ParseSwitch(value, &args->edgeDetection);
  if (name == "--model") return ParseModel(value, &args->model);
  if (name == "--select") return tools::ParseSelect(value, &args->select);
  if (name == "--seconds") {
    args->seconds = std::atof(value);
    return args->seconds > 0;
  }
  std::string* const paths[] = {&args->pngPath,      &args->noisePath,  &args->jsonPath, &args->ramPath,
                                &args->settingsPath, &args->pluginPath, &args->romPath};
  const char* const names[] = {"--png", "--noise", "--json", "--ram", "--settings", "--plugin", "--rom"};
  for (std::size_t i = 0; i < sizeof names / sizeof names[0]; ++i) {
    if (name == names[i]) {
      *paths[i] = value;
      return true;
    }
  }
  return false;
}

bool ParseRunArguments(int argc, char** argv, RunArguments* args) {
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--real-time") {
      args->realTime = true;
    } else if (arg == "--until-tape-end") {
      args->untilTapeEnd = true;
    } else if (arg.compare(0, 2, "--") == 0) {
      if (!ParseValueOption(arg, i + 1 < argc ? argv[i + 1] : nullptr, args)) {
        std::fprintf(stderr, "reelbox: bad or missing value for %s\n", arg.c_str());
        return false;
      }
      ++i;
    } else if (args->tape.empty()) {
      args->tape = arg;
    } else {
      std::fprintf(stderr, "reelbox: more than one tape given\n");
      return false;
    }
  }
  return true;
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
  bool ok = WritePng(args.pngPath, RenderScreen(host.Cpu().Memory(), host.Cpu().BorderLines()));
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
  options.model = args.model;
  options.romPath = args.romPath;
  options.pluginPath = args.pluginPath;
  options.settingsPath = args.settingsPath;
  // The loading noise sounds only while the host runs in real time.
  options.realTime = args.realTime || !args.noisePath.empty();
  options.keepSound = !args.noisePath.empty();
  return options;
}

int Run(int argc, char** argv) {
  RunArguments args;
  if (!ParseRunArguments(argc, argv, &args)) return Usage();
  const bool demo = args.tape.empty();
  const std::string tapePath = demo ? WriteDemoTape() : args.tape;
  if (tapePath.empty()) {
    std::fprintf(stderr, "reelbox: cannot write the demonstration tape\n");
    return 1;
  }
  const tools::TapeDialogAnswers dialogs(args.select, stdout);
  ReferenceHost host(HostOptionsFor(args));
  PresetPluginSettings(args, host.Settings());
  HResult result = host.Start();
  if (Failed(result)) {
    std::fprintf(stderr, "reelbox: %s (0x%08X)\n", host.Error().c_str(), static_cast<unsigned>(result));
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
  const LoadReport report = RunLoad(host, load);
  if (load.progress) std::fprintf(stderr, "\r%72s\r", "");
  if (demo) std::remove(tapePath.c_str());
  if (report.exitReason == "open_failed") {
    std::fprintf(stderr, "reelbox: the plug-in could not open %s (0x%08X)\n", tapePath.c_str(),
                 static_cast<unsigned>(report.openResult));
    return 1;
  }
  const std::string tapeName = demo ? "built-in demonstration tape" : args.tape;
  PrintReport(report, tapeName);
  return WriteOutputs(args, report, host, tapeName) ? 0 : 1;
}

int List(int argc, char** argv) {
  if (argc != 3) return Usage();
  TapeBlockList list;
  const HResult result = ReadTapeFile(list, FormatFromPath(argv[2]), argv[2], nullptr);
  if (Failed(result)) {
    std::fprintf(stderr, "reelbox: cannot read %s (0x%08X)\n", argv[2], static_cast<unsigned>(result));
    return 1;
  }
  for (std::int32_t i = 0; i < list.GetCount(); ++i) {
    std::printf("%4d  %s\n", i + 1, tools::DescribeBlock(*list.GetBlock(i)).c_str());
  }
  std::printf("%d block%s\n", list.GetCount(), list.GetCount() == 1 ? "" : "s");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "run") == 0) return Run(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "list") == 0) return List(argc, argv);
  return Usage();
}
