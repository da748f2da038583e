// reelbox save OUT.tap|OUT.tzx [--program TAPE | --code START,LENGTH --from RAMFILE]
//
// Boots the machine, puts the program in memory (a program is merged from its
// tape, code is copied from a RAM file), creates the tape file through the
// plug-in or opens it to append, presses Record, types the SAVE command and
// answers its key prompt, and presses Stop once the ROM has saved.
#include "tools/save_command.h"

#include <strings.h>
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
#include "host/save_session.h"
#include "host/tap_image.h"
#include "tools/result_words.h"

namespace reelbox::tools {
namespace {

using namespace reelbox::host;

constexpr std::uint32_t RAM_START = 0x4000;
constexpr std::uint32_t RAM_BYTES = 0xC000;
constexpr std::uint16_t NO_AUTOSTART_LINE = 10000;  // line numbers run to 9999

struct SaveArguments {
  std::string out;
  std::string program;  // a tape whose first program is saved
  std::string ramPath;  // with code: the 48K RAM image the bytes come from
  std::string name;
  std::string jsonPath;
  std::string pluginPath = REELBOX_PLUGIN_PATH;
  std::string romPath = REELBOX_DEFAULT_ROM;
  bool code = false;
  std::uint32_t start = 0;
  std::uint32_t length = 0;
  double seconds = 120.0;
};

const char SAVE_HELP[] =
    "usage: reelbox save OUT.tap|OUT.tzx [options]\n"
    "Boots the reference Spectrum, puts a program in memory, creates OUT through the plug-in (or opens it\n"
    "to append), presses Record (Ctrl+Alt+Space), types SAVE, and presses Stop once the ROM has saved.\n"
    "  --program TAPE             save the first program on TAPE (merged with MERGE \"\")\n"
    "  --code START,LENGTH        save bytes instead, copied from the RAM image given with --from\n"
    "  --from RAMFILE             a 48K RAM image, 0x4000 to 0xFFFF (as reelbox run --ram writes)\n"
    "  --name NAME                the name on tape (default: the program's own, or \"code\")\n"
    "  --json FILE                write a report: exit reason, times, the blocks recorded\n"
    "  --seconds N                emulated time limit for the save (default 120)\n"
    "  --plugin FILE, --rom FILE  the plug-in library and the 16K ROM\n"
    "Without --program or --code, the built-in demonstration program is saved.\n";

int SaveUsage() {
  std::fputs(SAVE_HELP, stderr);
  return 2;
}

bool ParseCode(const char* text, SaveArguments* args) {
  char* end = nullptr;
  const unsigned long start = std::strtoul(text, &end, 0);
  if (end == text || *end != ',') return false;
  const char* lengthText = end + 1;
  const unsigned long length = std::strtoul(lengthText, &end, 0);
  if (end == lengthText || *end != '\0') return false;
  if (start < RAM_START || length == 0 || start + length > RAM_START + RAM_BYTES) return false;
  args->code = true;
  args->start = static_cast<std::uint32_t>(start);
  args->length = static_cast<std::uint32_t>(length);
  return true;
}

bool ParseValue(const std::string& name, const char* value, SaveArguments* args) {
  if (value == nullptr) return false;
  if (name == "--code") return ParseCode(value, args);
  if (name == "--seconds") {
    args->seconds = std::atof(value);
    return args->seconds > 0;
  }
  std::string* const paths[] = {&args->program,  &args->ramPath,    &args->name,
                                &args->jsonPath, &args->pluginPath, &args->romPath};
  const char* const names[] = {"--program", "--from", "--name", "--json", "--plugin", "--rom"};
  for (std::size_t i = 0; i < sizeof names / sizeof names[0]; ++i) {
    if (name == names[i]) {
      *paths[i] = value;
      return true;
    }
  }
  return false;
}

bool ParseSaveArguments(int argc, char** argv, SaveArguments* args) {
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.compare(0, 2, "--") == 0) {
      if (!ParseValue(arg, i + 1 < argc ? argv[i + 1] : nullptr, args)) {
        std::fprintf(stderr, "reelbox: bad or missing value for %s\n", arg.c_str());
        return false;
      }
      ++i;
    } else if (args->out.empty()) {
      args->out = arg;
    } else {
      std::fprintf(stderr, "reelbox: more than one output tape given\n");
      return false;
    }
  }
  if (args->out.empty()) return false;
  // Recording writes TAP records or TZX blocks: other tape files would be spoilt.
  const std::size_t dot = args->out.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : args->out.substr(dot);
  if (strcasecmp(extension.c_str(), ".tap") != 0 && strcasecmp(extension.c_str(), ".tzx") != 0) {
    std::fprintf(stderr, "reelbox: %s is not a .tap or .tzx file\n", args->out.c_str());
    return false;
  }
  if (args->code == args->ramPath.empty() || (args->code && !args->program.empty())) {
    std::fprintf(stderr, "reelbox: --code needs --from RAMFILE, and goes without --program\n");
    return false;
  }
  return true;
}

// The name and autostart line of the first program header, from its row in
// the recorder window: "Program: NAME" with " LINE n" when it starts itself.
struct ProgramHeader {
  std::string name;
  std::uint16_t line = NO_AUTOSTART_LINE;
};

bool FirstProgramHeader(ProgramHeader* header) {
  const std::string prefix = "Program: ";
  for (const RecorderRow& row : ReadRecorderWindow().rows) {
    if (row.text.compare(0, prefix.size(), prefix) != 0) continue;
    std::string name = row.text.substr(prefix.size());
    const std::size_t line = name.rfind(" LINE ");
    if (line != std::string::npos) {
      header->line = static_cast<std::uint16_t>(std::atoi(name.c_str() + line + 6));
      name.erase(line);
    }
    name.erase(name.find_last_not_of(' ') + 1);
    header->name = name;
    return true;
  }
  return false;
}

std::vector<std::uint8_t> ReadRam(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<std::uint8_t> ram(RAM_BYTES);
  if (!file.read(reinterpret_cast<char*>(ram.data()), RAM_BYTES)) ram.clear();
  return ram;
}

// The demonstration program goes to a temporary tape, to be merged from it.
std::string WriteDemoTape() {
  char path[] = "/tmp/reelbox-save-demo-XXXXXX.tap";
  const int fd = mkstemps(path, 4);
  if (fd < 0) return {};
  close(fd);
  return DemoTape().Save(path) ? std::string(path) : std::string();
}

// Merges the first program of tape into memory (MERGE does not run it) and
// returns the SAVE statement that puts it on tape as it was.
bool MergeProgram(ReferenceHost& host, const std::string& tape, const std::string& name, std::string* command) {
  LoadOptions load;
  load.tapePath = tape;
  load.command = "MERGE \"\"\n";
  load.maxSeconds = 600;
  const LoadReport report = RunLoad(host, load);
  if (report.exitReason != "loaded" && report.exitReason != "tape_end") {
    std::fprintf(stderr, "reelbox: the program did not merge from %s (%s)\n", tape.c_str(), report.exitReason.c_str());
    return false;
  }
  ProgramHeader header;
  if (!FirstProgramHeader(&header)) {
    std::fprintf(stderr, "reelbox: %s holds no program\n", tape.c_str());
    return false;
  }
  *command = "SAVE \"" + (name.empty() ? header.name : name) + "\"";
  if (header.line < NO_AUTOSTART_LINE) *command += " LINE " + std::to_string(header.line);
  *command += "\n";
  return true;
}

bool PokeCode(ReferenceHost& host, const SaveArguments& args, std::string* command) {
  const std::vector<std::uint8_t> ram = ReadRam(args.ramPath);
  if (ram.empty()) {
    std::fprintf(stderr, "reelbox: %s is not a 48K RAM image\n", args.ramPath.c_str());
    return false;
  }
  host.RunFrames(100);  // the ROM has booted
  for (std::uint32_t i = 0; i < args.length; ++i) {
    host.Cpu().Poke(static_cast<std::uint16_t>(args.start + i), ram[args.start - RAM_START + i]);
  }
  *command = "SAVE \"" + (args.name.empty() ? std::string("code") : args.name) + "\" CODE " +
             std::to_string(args.start) + "," + std::to_string(args.length) + "\n";
  return true;
}

std::string JsonText(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    if (static_cast<unsigned char>(c) >= 32) quoted += c;
  }
  return quoted + "\"";
}

bool WriteJson(const std::string& path, const std::string& tape, const SaveReport& report,
               const std::vector<std::string>& recorded) {
  std::ofstream file(path, std::ios::trunc);
  file << "{\n"
       << "  \"tape\": " << JsonText(tape) << ",\n"
       << "  \"exit_reason\": " << JsonText(report.exitReason) << ",\n"
       << "  \"created\": " << (report.created ? "true" : "false") << ",\n"
       << "  \"emulated_seconds\": " << report.emulatedSeconds << ",\n"
       << "  \"save_seconds\": " << report.saveSeconds << ",\n"
       << "  \"wall_seconds\": " << report.wallSeconds << ",\n"
       << "  \"saves\": " << report.savesRun << ",\n"
       << "  \"recorded_notices\": " << report.recordedNotices << ",\n"
       << "  \"deck_stopped\": " << (report.stopped ? "true" : "false") << ",\n"
       << "  \"blocks_recorded\": [";
  for (std::size_t i = 0; i < recorded.size(); ++i) file << (i > 0 ? ",\n" : "\n") << "    " << JsonText(recorded[i]);
  file << (recorded.empty() ? "]\n" : "\n  ]\n") << "}\n";
  return static_cast<bool>(file);
}

// The recorded blocks are the rows the recorder window gained.
int Report(const SaveArguments& args, const SaveReport& report, std::size_t rowsBefore) {
  const std::vector<RecorderRow> rows = ReadRecorderWindow().rows;
  std::vector<std::string> recorded;
  for (std::size_t i = rowsBefore; i < rows.size(); ++i) recorded.push_back(rows[i].text);
  std::printf("tape:      %s (%s)\n", args.out.c_str(), report.created ? "created" : "appended to");
  for (std::size_t i = 0; i < recorded.size(); ++i) {
    std::printf("recorded:  %4zu  %s\n", rowsBefore + i + 1, recorded[i].c_str());
  }
  std::printf("save:      %u call%s of the ROM's save routine, %.6f s emulated inside it\n", report.savesRun,
              report.savesRun == 1 ? "" : "s", report.saveSeconds);
  std::printf("time:      %.2f s emulated, %.2f s wall\n", report.emulatedSeconds, report.wallSeconds);
  std::printf("exit:      %s; deck %s\n", report.exitReason.c_str(), report.stopped ? "stopped" : "not stopped");
  bool ok = report.exitReason == "saved" && !recorded.empty();
  if (!args.jsonPath.empty() && !WriteJson(args.jsonPath, args.out, report, recorded)) {
    std::fprintf(stderr, "reelbox: cannot write %s\n", args.jsonPath.c_str());
    ok = false;
  }
  return ok ? 0 : 1;
}

}  // namespace

int SaveCommand(int argc, char** argv) {
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      PrintSaveHelp();
      return 0;
    }
  }
  SaveArguments args;
  if (!ParseSaveArguments(argc, argv, &args)) return SaveUsage();
  HostOptions options;
  options.pluginPath = args.pluginPath;
  options.romPath = args.romPath;
  ReferenceHost host(options);
  const HResult started = host.Start();
  if (Failed(started)) {
    std::fprintf(stderr, "reelbox: %s (0x%08X)\n", host.Error().c_str(), static_cast<unsigned>(started));
    return 1;
  }
  const bool demo = !args.code && args.program.empty();
  const std::string source = demo ? WriteDemoTape() : args.program;
  SaveOptions save;
  save.tapePath = args.out;
  save.maxSeconds = args.seconds;
  const bool ready =
      args.code ? PokeCode(host, args, &save.command) : MergeProgram(host, source, args.name, &save.command);
  if (demo) std::remove(source.c_str());
  if (!ready) return 1;

  // Rows on the window once OUT is the tape, just before Record.
  std::size_t rowsBefore = 0;
  save.pressRecord = [&rowsBefore](ReferenceHost& recorder) {
    rowsBefore = ReadRecorderWindow().rows.size();
    return PressRecordAccelerator(recorder);
  };
  std::printf("typed:     %s", save.command.c_str());
  const SaveReport report = RunSave(host, save);
  if (report.exitReason == "record_failed") {
    std::fprintf(stderr, "reelbox: the plug-in offers no Record command on Ctrl+Alt+Space\n");
  } else if (report.exitReason == "create_failed" || report.exitReason == "open_failed") {
    std::fprintf(stderr, "reelbox: the plug-in could not %s %s (0x%08X): %s\n", report.created ? "create" : "open",
                 args.out.c_str(), static_cast<unsigned>(report.openResult),
                 ResultWords(report.openResult, args.out).c_str());
    return 1;
  }
  return Report(args, report, rowsBefore);
}

void PrintSaveHelp() { std::fputs(SAVE_HELP, stdout); }

}  // namespace reelbox::tools
