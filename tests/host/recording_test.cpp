// Recording on the reference host with the real ROM: the save trap, quick
// saves written together, and failed writes answered with Retry or Cancel.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <memory>

#include "host/load_session.h"
#include "host/recorder_window.h"
#include "host/save_session.h"
#include "host/tap_image.h"
#include "host_fixture.h"
#include "in_process_plugin.h"
#include "shell/tape_plugin.h"

namespace reelbox::host {
namespace {

constexpr std::uint16_t SAVE_ROUTINE = 0x04C2;
constexpr std::uint16_t CALLER = 0x8000;

struct SaveCall {
  std::uint8_t flag;
  std::uint16_t start;
  std::uint16_t length;
};

// A header and its data, an empty save, then a second header and its data.
const std::vector<SaveCall> QUICK_SAVES = {
    {0x00, 0x9000, 17}, {0xFF, 0x9100, 40}, {0xFF, 0x9200, 0}, {0x00, 0x9300, 17}, {0xFF, 0x9400, 300}};

// The first count saves as the file holds them: TAP records, or for TZX the
// same behind a standard speed block's id and 1000 ms pause.
Bytes RecordsOf(ReferenceHost& host, std::size_t count, bool tzx) {
  Bytes records;
  for (std::size_t i = 0; i < count; ++i) {
    const SaveCall& save = QUICK_SAVES[i];
    const Bytes data = test::RomData(save.flag, MemoryAt(host, save.start, save.length));
    test::Append(records, tzx ? test::StandardBlock(1000, data) : test::TapRecord(data));
  }
  return records;
}

// A host at the BASIC prompt, with test bytes to save, a new tape file made
// through the plug-in, and the Z80 routine that makes the quick saves.
class RecordingHost {
 public:
  explicit RecordingHost(const char* name = "rec.tap", const std::vector<SaveCall>& saves = QUICK_SAVES)
      : host(InProcessPluginOptions()), path(folder.PathOf(name)) {
    ok = Succeeded(host.Start());
    host.RunFrames(100);
    for (std::uint16_t i = 0; i < 0x1000; ++i) host.Cpu().Poke(static_cast<std::uint16_t>(0x9000 + i), i * 7 + 3);
    ok = ok && Succeeded(host.Plugin().Media()->CreateMedia(0, path.c_str(), &host.Media()));
    PokeSaver(saves);
  }

  Bytes Tape() const { return ReadBytes(path); }
  TapeBlockList& Blocks() { return static_cast<TapePlugin*>(host.Plugin().Device())->BlockList(); }
  TapeDeck& Deck() { return static_cast<TapePlugin*>(host.Plugin().Device())->Deck(); }

  // Calls the routine wherever the CPU is, as an interrupt would, and runs a
  // frame.
  void RunSaves() {
    const std::uint16_t sp = static_cast<std::uint16_t>(host.Cpu().Register(regSP) - 2);
    const std::uint16_t pc = host.Cpu().Register(regPC);
    host.Cpu().Poke(sp, static_cast<std::uint8_t>(pc));
    host.Cpu().Poke(static_cast<std::uint16_t>(sp + 1), static_cast<std::uint8_t>(pc >> 8));
    host.Cpu().SetRegister(regSP, sp);
    host.Cpu().SetRegister(regPC, CALLER);
    host.RunFrame();
  }

  ScratchFolder folder;
  ReferenceHost host;
  std::string path;
  std::vector<std::uint16_t> returns;  // address after each CALL
  bool ok = false;

 private:
  // Keeps the interrupted code's AF, BC, DE, HL, IX and AF' on the stack;
  // LD IX,start; LD DE,length; LD A,flag; CALL SA-BYTES; ...; restores them;
  // RET
  void PokeSaver(const std::vector<SaveCall>& saves) {
    Bytes code = {0xF5, 0xC5, 0xD5, 0xE5, 0xDD, 0xE5, 0x08, 0xF5, 0x08};
    for (const SaveCall& save : saves) {
      const auto word = [&code](std::uint16_t value) {
        code.insert(code.end(), {std::uint8_t(value), std::uint8_t(value >> 8)});
      };
      code.insert(code.end(), {0xDD, 0x21});
      word(save.start);
      code.push_back(0x11);
      word(save.length);
      code.insert(code.end(), {0x3E, save.flag, 0xCD});
      word(SAVE_ROUTINE);
      returns.push_back(static_cast<std::uint16_t>(CALLER + code.size()));
    }
    code.insert(code.end(), {0x08, 0xF1, 0x08, 0xDD, 0xE1, 0xE1, 0xD1, 0xC1, 0xF1, 0xC9});
    for (std::size_t i = 0; i < code.size(); ++i) host.Cpu().Poke(static_cast<std::uint16_t>(CALLER + i), code[i]);
  }
};

class SaveTrapOnRom : public ::testing::TestWithParam<const char*> {};

// Stopped, the deck sets no trap and the ROM would save at its own pace.
TEST_P(SaveTrapOnRom, QuickSavesArriveInOneWriteInOrderWithTheRegistersTheRomLeaves) {
  REQUIRE_ROM();
  RecordingHost rig(GetParam());
  ASSERT_TRUE(rig.ok);
  for (const ExecutionTrap& trap : rig.host.Machine().Traps()) EXPECT_NE(0x04D0, trap.address);
  const Bytes created = rig.Tape();
  ASSERT_TRUE(PressRecordAccelerator(rig.host));
  rig.host.RunFrame();
  std::vector<std::unique_ptr<ArrivalLog>> returns;
  for (std::uint16_t address : rig.returns) returns.push_back(std::make_unique<ArrivalLog>(rig.host, address));
  const std::uint16_t sp = rig.host.Cpu().Register(regSP);
  rig.RunSaves();

  for (std::size_t i = 0; i < returns.size(); ++i) {
    ASSERT_EQ(1u, returns[i]->arrivals.size()) << i;
    const Arrival& after = returns[i]->arrivals[0];
    EXPECT_EQ(1, after.af & 1) << i;  // carry: saved
    EXPECT_EQ(QUICK_SAVES[i].start + QUICK_SAVES[i].length, after.ix) << i;
    EXPECT_EQ(0xFFFF, after.de) << i;
    EXPECT_EQ(sp - 2 - 12, after.sp) << i;  // the return address and the six kept registers only
  }
  const bool tzx = std::string(GetParam()).find(".TZX") != std::string::npos;
  Bytes expected = created;
  const Bytes records = RecordsOf(rig.host, QUICK_SAVES.size(), tzx);
  expected.insert(expected.end(), records.begin(), records.end());
  EXPECT_EQ(expected, rig.Tape());
  EXPECT_EQ(1u, rig.host.Tape().RecordedNotices());  // the others went with the first
  EXPECT_EQ(static_cast<std::int32_t>(QUICK_SAVES.size()) + (tzx ? 1 : 0), rig.Blocks().GetCount());
  EXPECT_EQ(nullptr, rig.Deck().recordedBlocks);
  EXPECT_EQ(static_cast<std::size_t>(rig.Blocks().GetCount()), ReadRecorderWindow().rows.size());
  EXPECT_EQ(1u, rig.host.Shell().ModalState());
  EXPECT_EQ(32512u, rb_cursor());  // the arrow is back
}

INSTANTIATE_TEST_SUITE_P(Formats, SaveTrapOnRom, ::testing::Values("quick.tap", "quick.TZX"));

// The whole of memory saved at once does not fit a standard block: a TZX file
// takes it as a turbo block, a TAP file refuses it and says so.
TEST(SaveTrapOnRom, ASaveBeyondTheLengthFieldIsATurboBlockOnTzxAndRefusedOnTap) {
  REQUIRE_ROM();
  for (const char* name : {"long.tzx", "long.tap"}) {
    RecordingHost rig(name, {{0xFF, 0x0000, 0xFFFF}});
    ASSERT_TRUE(rig.ok);
    DialogScript boxes;
    boxes.messageAnswer = platform::ANSWER_OK;
    ASSERT_TRUE(PressRecordAccelerator(rig.host));
    rig.host.RunFrame();
    const std::size_t before = rig.Tape().size();
    rig.RunSaves();
    const Bytes tape = rig.Tape();
    if (std::string(name) == "long.tzx") {
      EXPECT_TRUE(boxes.asked.empty());
      ASSERT_EQ(before + 1 + 18 + 0xFFFF + 2, tape.size());
      EXPECT_EQ(0x11, tape[before]);
      EXPECT_EQ(0x11, rig.Blocks().GetBlock(1)->id);
    } else {
      ASSERT_EQ(1u, boxes.asked.size());
      EXPECT_NE(std::string::npos, boxes.asked[0].find("|A block of 65535 bytes is too long for a TAP "
                                                       "file and was not written to long.tap."))
          << boxes.asked[0];
      EXPECT_EQ(before, tape.size());
      EXPECT_EQ(0, rig.Blocks().GetCount());
    }
  }
}

// The user's way round: the demonstration program merged from its tape,
// Record pressed on its accelerator, SAVE typed; the tape then loads and runs.
TEST(SaveTrapOnRom, TheDemonstrationProgramSavedOnATzxFileLoadsAndRunsAsItsOwnTape) {
  REQUIRE_ROM();
  const ScratchFolder folder;
  const std::string demo = folder.PathOf("demo.tap");
  const std::string saved = folder.PathOf("saved.tzx");
  ASSERT_TRUE(DemoTape().Save(demo));
  {
    ReferenceHost host(TestHostOptions());
    ASSERT_TRUE(Succeeded(host.Start()));
    LoadOptions merge;
    merge.tapePath = demo;
    merge.command = "MERGE \"\"\n";
    ASSERT_EQ("tape_end", RunLoad(host, merge).exitReason);
    SaveOptions save;
    save.tapePath = saved;
    save.command = "SAVE \"demo\" LINE 10\n";
    const SaveReport report = RunSave(host, save);
    ASSERT_EQ("saved", report.exitReason);  // Record came through Ctrl+Alt+Space
    EXPECT_TRUE(report.created && report.stopped);
    EXPECT_EQ(2u, report.savesRun);
    EXPECT_EQ(2u,
              report.recordedNotices);  // a second apart: the header, then the data
    EXPECT_LT(report.saveSeconds, 0.001);
    const std::vector<RecorderRow> rows = ReadRecorderWindow().rows;
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ("Program: demo       LINE 10",
              rows[1].text);  // a 19-byte block of flag 0
    EXPECT_EQ(0u, rows[2].text.find("Normal Data Block"));
  }
  ReferenceHost host(TestHostOptions());
  ASSERT_TRUE(Succeeded(host.Start()));
  LoadOptions load;
  load.tapePath = saved;
  ASSERT_EQ("tape_end", RunLoad(host, load).exitReason);
  const std::string title = "REELBOX DEMO TAPE";
  for (std::size_t c = 0; c < title.size(); ++c) EXPECT_TRUE(CharacterAt(host, 1, 7 + static_cast<int>(c), title[c]));
  EXPECT_EQ(1, host.Cpu().Border());
}

// ---- failed writes, each in a child process as an ordinary user ----

// The user's answer to the message box, after putting the cause right or not.
struct FailureCase {
  const char* name;
  void (*cause)(const std::string& path);  // after Record is pressed
  void (*remedy)(const std::string& path);
  std::int32_t answer;
  std::size_t recordsKept;  // of QUICK_SAVES, in the file and on the tape
  const char* systemText;   // in the message
};

void MakeReadOnly(const std::string& path) { chmod(path.c_str(), 0444); }
void MakeWritable(const std::string& path) { chmod(path.c_str(), 0644); }
void Remove(const std::string& path) { unlink(path.c_str()); }
void Recreate(const std::string& path) { std::ofstream(path, std::ios::trunc).flush(); }
// Room for the first two records and three bytes of the third.
void FillDisk(const std::string& path) {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit = {40 + 2 + 2 + 17 + 2 + 2 + 3, RLIM_INFINITY};
  setrlimit(RLIMIT_FSIZE, &limit);
  (void)path;
}
void FreeDisk(const std::string&) {
  const rlimit limit = {RLIM_INFINITY, RLIM_INFINITY};
  setrlimit(RLIMIT_FSIZE, &limit);
}

const FailureCase FAILURE_CASES[] = {
    {"read-only, Retry", MakeReadOnly, MakeWritable, platform::ANSWER_RETRY, 5, "Permission denied"},
    {"vanished, Retry", Remove, Recreate, platform::ANSWER_RETRY, 5, "No such file"},
    {"disk full, Retry", FillDisk, FreeDisk, platform::ANSWER_RETRY, 5, "File too large"},
    {"disk full, Cancel", FillDisk, nullptr, platform::ANSWER_CANCEL, 2, "File too large"},
};

// Runs in the child; the exit code says whether all held.
void RunFailureCase(const FailureCase& failure) {
  if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) std::exit(3);
  RecordingHost rig;
  if (!rig.ok || !PressRecordAccelerator(rig.host)) std::exit(4);
  rig.host.RunFrame();
  bool answered = false;
  {
    DialogScript script;
    script.messageAnswer = failure.answer;
    script.beforeAnswer = [&] {
      if (failure.remedy != nullptr) failure.remedy(rig.path);
    };
    failure.cause(rig.path);
    rig.RunSaves();
    answered = script.asked.size() == 1 &&
               script.asked[0].find("Kestrelix|Kestrelix cannot update rec.tap.\n\n") == 0 &&
               script.asked[0].find(failure.systemText) != std::string::npos;
  }
  FreeDisk(rig.path);
  const bool file = rig.Tape() == RecordsOf(rig.host, failure.recordsKept, false);
  const bool tape = rig.Blocks().GetCount() == static_cast<std::int32_t>(failure.recordsKept);
  const bool freed = rig.Deck().recordedBlocks == nullptr;
  std::fprintf(stderr, "asked %d file %d tape %d freed %d\n", answered, file, tape, freed);
  std::exit(answered && file && tape && freed ? 0 : 1);
}

TEST(RecordingFailures, RetryWritesEveryBlockOnceAndCancelKeepsWholeRecordsOnly) {
  REQUIRE_ROM();
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const FailureCase& failure : FAILURE_CASES) {
    EXPECT_EXIT(RunFailureCase(failure), ::testing::ExitedWithCode(0), "") << failure.name;
  }
}

}  // namespace
}  // namespace reelbox::host
