// Makes the auto-load snapshots: boots each machine on its original ROMs,
// goes into 128 BASIC or 48 BASIC through its menu, types LOAD "" (or
// LOAD "" CODE) and saves the machine once the ROM waits in its loader.
//
//   reelbox-make-snapshots --roms DIR --out DIR     write zxstate-ID.szx files
//   reelbox-make-snapshots --roms DIR --check DIR   compare with files there
//
// Exits 0 on success, 1 on a failure or a difference, 77 when the ROMs are
// not there (the check then has nothing to compare).
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/machine_snapshot.h"
#include "host/rom_set.h"
#include "host/snapshot_rows.h"

using namespace reelbox;
using namespace reelbox::host;

namespace {

constexpr int EXIT_SKIPPED = 77;
constexpr std::uint32_t LOADER_WAIT_FRAMES = 500;
constexpr std::uint16_t LOADER_FIRST = 0x055A;
constexpr std::uint16_t LOADER_LAST = 0x05F5;
constexpr std::uint16_t SYSVAR_E_LINE = 0x5C59;
constexpr std::uint8_t TOKEN_LOAD = 0xEF;
constexpr std::uint8_t TOKEN_CODE = 0xAF;

std::vector<std::uint8_t> TypedCommand(bool code) {
  if (code) return {TOKEN_LOAD, '"', '"', TOKEN_CODE, 0x0D};
  return {TOKEN_LOAD, '"', '"', 0x0D};
}

// The ROM sits in its loader, with the command in the edit line.
bool WaitingInLoader(ReferenceHost& host, bool code) {
  const Spectrum& cpu = host.Cpu();
  const std::uint16_t pc = cpu.Register(regPC);
  if (host.Typing() || pc < LOADER_FIRST || pc > LOADER_LAST) return false;
  if (cpu.Register(regIFF1) != 0 || cpu.Register(regIM) != 1 || cpu.Border() != 7) return false;
  if (cpu.RomPage() != static_cast<int>(cpu.Description().basicRomPage)) return false;
  const std::uint16_t line = static_cast<std::uint16_t>(cpu.Peek(SYSVAR_E_LINE) | cpu.Peek(SYSVAR_E_LINE + 1) << 8);
  const std::vector<std::uint8_t> command = TypedCommand(code);
  for (std::size_t i = 0; i < command.size(); ++i) {
    if (cpu.Peek(static_cast<std::uint16_t>(line + i)) != command[i]) return false;
  }
  return true;
}

bool Make(const SnapshotRow& row, const std::string& roms, std::vector<std::uint8_t>* file, std::string* error) {
  HostOptions options;
  options.model = row.model;
  options.romFolder = roms;
  options.plugin = false;
  ReferenceHost host(options);
  if (Failed(host.Start())) {
    *error = host.Error();
    return false;
  }
  if (!EnterBasic(host, row.mode, error)) return false;
  host.TypeChords(LoadCommandChords(host, row.mode, row.code));
  for (std::uint32_t frame = 0; !WaitingInLoader(host, row.code); ++frame) {
    if (frame == LOADER_WAIT_FRAMES) {
      *error = "the ROM did not reach its loader with the command typed";
      return false;
    }
    host.RunFrame();
  }
  SzxState state = CaptureMachine(host.Cpu(), row.speechUnit);
  state.hasPlus3 = row.model == MODEL_PLUS3;
  state.hasCreator = row.creator;
  state.creator = "Reelbox snapshot maker";
  state.creatorMajor = 1;
  state.minorVersion = row.creator ? 1 : 0;
  *file = WriteSzx(state);
  return true;
}

std::string FileName(const std::string& folder, std::uint32_t id) {
  return folder + "/zxstate-" + std::to_string(id) + ".szx";
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

bool Store(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  return static_cast<bool>(file.write(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool RomsPresent(const std::string& folder) {
  std::size_t count = 0;
  const MachineDescription* machines = Machines(&count);
  for (std::size_t i = 0; i < count; ++i) {
    std::vector<std::uint8_t> roms;
    std::string error;
    if (!LoadRoms(machines[i], folder, "", &roms, &error)) {
      std::printf("skipped: %s\n", error.c_str());
      return false;
    }
  }
  return true;
}

int Usage() {
  std::fprintf(stderr, "usage: reelbox-make-snapshots --roms DIR (--out DIR | --check DIR)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string roms;
  std::string out;
  std::string check;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string* target = std::strcmp(argv[i], "--roms") == 0    ? &roms
                          : std::strcmp(argv[i], "--out") == 0   ? &out
                          : std::strcmp(argv[i], "--check") == 0 ? &check
                                                                 : nullptr;
    if (target == nullptr) return Usage();
    *target = argv[i + 1];
  }
  if (roms.empty() || out.empty() == check.empty()) return Usage();
  if (!RomsPresent(roms)) return EXIT_SKIPPED;
  int failures = 0;
  for (const SnapshotRow& row : SNAPSHOT_ROWS) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    const char* verdict = "made";
    if (!Make(row, roms, &bytes, &error)) {
      verdict = error.c_str();
    } else if (!out.empty() && !Store(FileName(out, row.id), bytes)) {
      verdict = "cannot write the file";
    } else if (!check.empty() && ReadFile(FileName(check, row.id)) != bytes) {
      verdict = "differs from the committed file";
    } else if (!check.empty()) {
      verdict = "same as the committed file";
    }
    const bool ok = std::strcmp(verdict, "made") == 0 || std::strcmp(verdict, "same as the committed file") == 0;
    failures += ok ? 0 : 1;
    std::printf("%u  %-16s %-9s %-4s %s\n", row.id, MachineByModel(row.model)->title,
                row.mode == BasicMode::Basic128 ? "128 BASIC" : "48 BASIC", row.code ? "code" : "prog", verdict);
  }
  return failures == 0 ? 0 : 1;
}
