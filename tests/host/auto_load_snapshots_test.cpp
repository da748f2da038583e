// Each auto-load snapshot, on its machine and ROMs, loads a tape played from
// block 0: the program tape's screen and program, or a code block over the
// system variables, arrive in memory. Prints the table of the runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "host/snapshot_rows.h"
#include "host/tap_image.h"
#include "host_fixture.h"
#include "load_helpers.h"
#include "resources/snapshot_resources.h"

namespace reelbox::host {
namespace {

const std::string ROMS = std::string(REELBOX_SHARED_TAPES) + "/../roms";
const std::string PROGRAM_TAPE = std::string(REELBOX_SHARED_TAPES) + "/rom-loaded/rustzx-simple_tape.tap";
constexpr std::uint16_t SYSVARS = 0x5C00;
constexpr std::uint16_t SYSVARS_END = 0x5CDE;
constexpr std::uint16_t MARKER_AT = 0x5CB0;  // NMIADD: no ROM routine uses it

Bytes ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The TAP's records, each without its length, flag and checksum.
std::vector<Bytes> Records(const Bytes& tap) {
  std::vector<Bytes> records;
  for (std::size_t at = 0; at + 2 <= tap.size();) {
    const std::size_t length = tap[at] | tap[at + 1] << 8;
    records.emplace_back(tap.begin() + at + 3, tap.begin() + at + 1 + length);
    at += 2 + length;
  }
  return records;
}

// The code tape: the waiting machine's own system variables with a marker
// in an unused one, loaded over them by LOAD "" CODE.
Bytes SystemVariablesTape(ReferenceHost& host) {
  Bytes code = MemoryAt(host, SYSVARS, SYSVARS_END - SYSVARS);
  code[MARKER_AT - SYSVARS] = 0xA5;
  code[MARKER_AT + 1 - SYSVARS] = 0x5A;
  TapImage tap;
  tap.AddCode("sysvars", code, SYSVARS);
  return tap.Bytes();
}

struct Outcome {
  double seconds = 0;
  std::string result;
};

Outcome Prove(const SnapshotRow& row) {
  const void* data = nullptr;
  std::uint32_t size = 0;
  if (!FindSnapshotResource(nullptr, row.id, &data, &size)) return {0, "no ZXSTATE resource"};
  HostOptions options = TestHostOptions();
  options.model = row.model;
  options.romFolder = ROMS;
  ReferenceHost host(options);
  ApplyOptions(host, ALL_ON);
  if (Failed(host.Start())) return {0, host.Error()};
  if (Failed(host.LoadSnapshot(static_cast<const std::uint8_t*>(data), size))) return {0, host.Error()};
  if (host.Machine().GetModel() != row.model) return {0, "wrong machine"};
  const Bytes tapeBytes = row.code ? SystemVariablesTape(host) : ReadBytes(PROGRAM_TAPE);
  TemporaryFile tape(tapeBytes, ".tap");
  const double start = host.EmulatedSeconds();
  if (Failed(host.OpenTape(tape.Path()))) return {0, "tape not opened"};
  // The program loads its screen after itself: the tape stops twice.
  while (!host.Tape().RanToEnd() || host.Tape().Playing()) {
    if (host.EmulatedSeconds() - start > 60) return {60, "tape did not end"};
    host.RunFrame();
  }
  const double seconds = host.EmulatedSeconds() - start;
  host.RunFrames(50);
  const std::vector<Bytes> records = Records(tapeBytes);
  if (row.code) {
    const bool marked = host.Cpu().Peek(MARKER_AT) == 0xA5 && host.Cpu().Peek(MARKER_AT + 1) == 0x5A;
    return {seconds, marked ? "ok" : "code not in memory"};
  }
  const std::uint16_t prog = Word(host, SYSVAR_PROG);
  if (MemoryAt(host, prog, records[1].size()) != records[1]) return {seconds, "program not in memory"};
  // BASIC's closing report covers the last two character rows.
  const std::uint8_t* screen = host.Cpu().Screen();
  for (int y = 0; y < 176; ++y) {
    const int offset = ((y & 0xC0) << 5) | ((y & 7) << 8) | ((y & 0x38) << 2);
    if (std::memcmp(screen + offset, records[3].data() + offset, 32) != 0) return {seconds, "screen differs"};
  }
  if (std::memcmp(screen + 6144, records[3].data() + 6144, 22 * 32) != 0) return {seconds, "attributes differ"};
  return {seconds, host.Cpu().Border() == 5 ? "ok" : "program did not run"};
}

TEST(AutoLoadSnapshots, EachLoadsATapeOnItsMachine) {
  if (ReadBytes(ROMS + "/128-0.rom").empty()) GTEST_SKIP() << "no original ROMs in " << ROMS;
  if (ReadBytes(PROGRAM_TAPE).empty()) GTEST_SKIP() << "no " << PROGRAM_TAPE;
  std::printf("  id  machine          mode       emulated s  result\n");
  for (const SnapshotRow& row : SNAPSHOT_ROWS) {
    const Outcome outcome = Prove(row);
    const char* mode = !MachineByModel(row.model)->editor128 ? "-"
                       : row.mode == BasicMode::Basic128     ? "128 BASIC"
                                                             : "48 BASIC";
    std::printf("  %u %-16s %-10s %10.2f  %s%s\n", row.id, MachineByModel(row.model)->title, mode, outcome.seconds,
                row.code ? "code: " : "program: ", outcome.result.c_str());
    EXPECT_EQ(outcome.result, "ok") << row.id;
  }
}

}  // namespace
}  // namespace reelbox::host
