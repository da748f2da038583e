// Each auto-load snapshot, on its machine and ROMs, loads a tape played from
// block 0: the program tape's screen and program, or a code block over the
// system variables, arrive in memory. Prints the table of the runs.
#include <algorithm>

#include "host/snapshot_rows.h"
#include "host/tap_image.h"
#include "host_fixture.h"
#include "resources/snapshot_resources.h"

namespace reelbox::host {
namespace {

const std::string ROMS = SharedTape("../roms");
const std::string PROGRAM_TAPE = SharedTape("rom-loaded/rustzx-simple_tape.tap");
constexpr std::uint16_t SYSVARS = 0x5C00;
constexpr std::uint16_t SYSVARS_END = 0x5CDE;
constexpr std::uint16_t MARKER_AT = 0x5CB0;  // NMIADD: no ROM routine uses it

// The code tape: the waiting machine's own system variables with a marker
// in an unused one, loaded over them by LOAD "" CODE.
Bytes SystemVariablesTape(ReferenceHost& host) {
  Bytes code = MemoryAt(host, SYSVARS, SYSVARS_END - SYSVARS);
  code[MARKER_AT - SYSVARS] = 0xA5;
  TapImage tap;
  tap.AddCode("sysvars", code, SYSVARS);
  return tap.Bytes();
}

std::string Prove(const SnapshotRow& row, double* seconds) {
  const void* data = nullptr;
  std::uint32_t size = 0;
  if (!FindSnapshotResource(nullptr, row.id, &data, &size)) return "no ZXSTATE resource";
  HostOptions options = TestHostOptions();
  options.model = row.model;
  options.romFolder = ROMS;
  ReferenceHost host(options);
  ApplyOptions(host, ALL_ON);
  if (Failed(host.Start()) || Failed(host.LoadSnapshot(static_cast<const std::uint8_t*>(data), size))) {
    return host.Error();
  }
  if (host.Machine().GetModel() != row.model) return "wrong machine";
  const Bytes tape = row.code ? SystemVariablesTape(host) : ReadBytes(PROGRAM_TAPE);
  const ScratchFolder folder;
  const double start = host.EmulatedSeconds();
  if (Failed(host.OpenTape(folder.Write("tape.tap", tape)))) return "tape not opened";
  // The program loads its screen after itself: the tape stops twice.
  while (!host.Tape().RanToEnd() || host.Tape().Playing()) {
    if (host.EmulatedSeconds() - start > 60) return "tape did not end";
    host.RunFrame();
  }
  *seconds = host.EmulatedSeconds() - start;
  host.RunFrames(50);
  if (row.code) return host.Cpu().Peek(MARKER_AT) == 0xA5 ? "ok" : "code not in memory";
  const std::vector<Bytes> records = TapBodies(tape);
  if (MemoryAt(host, Word(host, SYSVAR_PROG), records[1].size()) != records[1]) return "program not in memory";
  // The top two thirds of the screen: BASIC's closing report is in the last.
  if (!std::equal(records[3].begin(), records[3].begin() + 4096, host.Cpu().Screen())) return "screen differs";
  return host.Cpu().Border() == 5 ? "ok" : "program did not run";
}

TEST(AutoLoadSnapshots, EachLoadsATapeOnItsMachine) {
  REQUIRE_FILE(ROMS + "/128-0.rom");
  REQUIRE_FILE(PROGRAM_TAPE);
  std::printf("  id  machine          mode       emulated s  result\n");
  for (const SnapshotRow& row : SNAPSHOT_ROWS) {
    double seconds = 0;
    const std::string result = Prove(row, &seconds);
    const char* mode = !MachineByModel(row.model)->editor128 ? "-"
                       : row.mode == BasicMode::Basic128     ? "128 BASIC"
                                                             : "48 BASIC";
    std::printf("  %u %-16s %-10s %10.2f  %s%s\n", row.id, MachineByModel(row.model)->title, mode, seconds,
                row.code ? "code: " : "program: ", result.c_str());
    EXPECT_EQ("ok", result) << row.id;
  }
}

}  // namespace
}  // namespace reelbox::host
