// End to end on the real ROM: one program saved as a TAP file, converted by
// outside tools into CSW, WAV and VOC recordings, loads from every one of them.
#include <cstdlib>

#include "host/basic_program.h"
#include "host/load_session.h"
#include "host/tap_image.h"
#include "host_fixture.h"

namespace reelbox::host {
namespace {

constexpr std::uint16_t CODE_START = 32768;
constexpr std::uint16_t MARKER_ADDRESS = 30000;
constexpr std::uint8_t MARKER = 77;

TEST(SampledTapes, ProgramLoadsFromTapTheToolsCswWavAndVocButNotFromAFullScaleWav) {
  REQUIRE_ROM();
  for (const char* tool : {"tapeconv", "tape2wav", "sox"}) {
    if (std::system(("command -v " + std::string(tool) + " > /dev/null 2>&1").c_str()) != 0) {
      GTEST_SKIP() << tool << " is not installed (fuse-emulator-utils, sox)";
    }
  }
  // A BASIC loader that loads a block of code and marks memory once it has it.
  Bytes code, program;
  for (std::size_t i = 0; i < 1500; ++i) code.push_back(static_cast<std::uint8_t>((i * 151 + 7) ^ (i >> 3)));
  TokeniseProgram({"10 LOAD \"\"CODE", "20 POKE 30000,77"}, &program);
  TapImage tap;
  tap.AddProgram("sampled", program, 10);
  tap.AddCode("code", code, CODE_START);
  const ScratchFolder folder;
  folder.Write("program.tap", tap.Bytes());
  // tapeconv writes version 2 (Z-RLE) CSW files. tape2wav writes 8-bit samples
  // at full scale, 0x00 and 0xFF, which both read as low (the deck switches at
  // the centre, 0 counting as low): sox halves them to 0x40 and 0xC0 first. The
  // VOC file is sox's 8-bit unsigned rendering of that (43478 Hz by its time constant).
  for (const char* command : {"tapeconv program.tap program.csw", "tape2wav program.tap full-scale.wav",
                              "sox full-scale.wav -e unsigned-integer -b 8 -c 1 program.wav vol 0.5",
                              "sox program.wav -t voc -e unsigned-integer -b 8 -c 1 program.voc"}) {
    ASSERT_EQ(0, std::system(("cd " + folder.PathOf("") + " && " + command + " > /dev/null 2>&1").c_str())) << command;
  }
  for (const char* name : {"program.tap", "program.csw", "program.wav", "program.voc", "full-scale.wav"}) {
    SCOPED_TRACE(name);
    const bool loads = std::string(name) != "full-scale.wav";
    ReferenceHost host(TestHostOptions());
    ASSERT_EQ(RESULT_OK, host.Start()) << host.Error();
    LoadOptions options;
    options.tapePath = folder.PathOf(name);
    options.maxSeconds = loads ? 120 : 30;
    const LoadReport report = RunLoad(host, options);
    EXPECT_TRUE(!loads || report.exitReason == "loaded" || report.exitReason == "tape_end") << report.exitReason;
    EXPECT_EQ(loads, MemoryAt(host, CODE_START, code.size()) == code);
    EXPECT_EQ(loads, host.Cpu().Peek(MARKER_ADDRESS) == MARKER);
  }
}

}  // namespace
}  // namespace reelbox::host
