// End to end on the real ROM: one program saved as a TAP file, converted by
// outside tools into CSW, WAV and VOC recordings, loads from every one of them
// with the same memory afterwards.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/basic_program.h"
#include "host/compression_service.h"
#include "host/load_session.h"
#include "host/tap_image.h"
#include "host_fixture.h"

namespace reelbox::host {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t CODE_START = 32768;
constexpr std::uint16_t MARKER_ADDRESS = 30000;
constexpr std::uint8_t MARKER = 77;

bool ToolAvailable(const char* tool) {
  return std::system(("command -v " + std::string(tool) + " > /dev/null 2>&1").c_str()) == 0;
}

bool RunQuietly(const std::string& command) { return std::system((command + " > /dev/null 2>&1").c_str()) == 0; }

Bytes ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// A BASIC loader that loads a block of code and marks memory once it has it.
TapImage ProgramWithCode(const Bytes& code) {
  Bytes program;
  TokeniseProgram({"10 LOAD \"\"CODE", "20 POKE 30000,77"}, &program);
  TapImage tape;
  tape.AddProgram("sampled", program, 10);
  tape.AddCode("code", code, CODE_START);
  return tape;
}

// Inflates a CSW version 2 file's pulses through the host's service and
// writes them behind a version 1 header, initial level low.
bool WriteVersion1(const fs::path& version2, const fs::path& version1) {
  const Bytes original = ReadAll(version2);
  if (original.size() < 52 || original[23] != 2) return false;
  const std::size_t dataStart = 52 + original[35];
  Bytes converted(original.begin(), original.begin() + 32);
  converted[23] = 1;
  converted[24] = 1;
  converted[25] = original[25];  // the rate's low 16 bits; tapeconv writes 44100
  converted[26] = original[26];
  converted[27] = 1;  // run-length
  converted[28] = 0;  // flags
  ICompressionService* service = CreateCompressionService();
  const int fd = open(version2.c_str(), O_RDONLY);
  IInflateReader* reader = nullptr;
  bool good =
      fd >= 0 && lseek(fd, static_cast<off_t>(dataStart), SEEK_SET) >= 0 &&
      Succeeded(service->OpenInflateReader(fd, static_cast<std::uint32_t>(original.size() - dataStart), &reader));
  std::uint8_t chunk[4096];
  for (std::uint32_t produced = 1; good && produced > 0;) {
    good = Succeeded(reader->Read(chunk, sizeof chunk, &produced));
    converted.insert(converted.end(), chunk, chunk + produced);
  }
  SafeRelease(reader);
  service->Release();
  if (fd >= 0) close(fd);
  WriteAll(version1, converted);
  return good;
}

class SampledTapes : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_ROM();
    for (const char* tool : {"tapeconv", "tape2wav", "sox"}) {
      if (!ToolAvailable(tool)) GTEST_SKIP() << tool << " is not installed (fuse-emulator-utils, sox)";
    }
    char name[] = "/tmp/reelbox-sampled-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(name));
    folder_ = name;
    for (std::size_t i = 0; i < 1500; ++i) code_.push_back(static_cast<std::uint8_t>((i * 151 + 7) ^ (i >> 3)));
    ASSERT_TRUE(ProgramWithCode(code_).Save((folder_ / "program.tap").string()));
  }
  void TearDown() override {
    std::error_code ignored;
    if (!folder_.empty()) fs::remove_all(folder_, ignored);
  }

  fs::path In(const char* name) const { return folder_ / name; }
  bool Convert(const std::string& command) { return RunQuietly("cd " + folder_.string() + " && " + command); }

  // Loads the file on a fresh host; the loaded code and the marker, or a
  // failure naming why.
  ::testing::AssertionResult LoadsTheProgram(const fs::path& path) {
    ReferenceHost host(TestHostOptions());
    if (Failed(host.Start())) return ::testing::AssertionFailure() << host.Error();
    LoadOptions options;
    options.tapePath = path.string();
    options.maxSeconds = 120;
    const LoadReport report = RunLoad(host, options);
    const std::uint8_t* memory = host.Cpu().Memory();
    if (report.exitReason != "loaded" && report.exitReason != "tape_end") {
      return ::testing::AssertionFailure()
             << path.filename() << ": " << report.exitReason << ", open result " << std::hex << report.openResult;
    }
    if (!std::equal(code_.begin(), code_.end(), memory + CODE_START) || memory[MARKER_ADDRESS] != MARKER) {
      return ::testing::AssertionFailure() << path.filename() << ": memory differs after " << report.exitReason;
    }
    return ::testing::AssertionSuccess() << path.filename() << " in " << report.tapeSeconds << " s of tape";
  }

  fs::path folder_;
  Bytes code_;
};

TEST_F(SampledTapes, ProgramLoadsFromTapTheToolsCswWavAndVoc) {
  // tapeconv writes only version 2 (Z-RLE) CSW files; the version 1 file is
  // the same pulses inflated.
  ASSERT_TRUE(Convert("tapeconv program.tap program.csw"));
  ASSERT_EQ(2, ReadAll(In("program.csw")).at(23)) << "tapeconv's CSW version";
  ASSERT_TRUE(WriteVersion1(In("program.csw"), In("program-v1.csw")));
  // tape2wav writes 8-bit unsigned samples at full scale, 0x00 and 0xFF, which
  // both read as low (the deck switches at the centre, 0 counting as low):
  // sox halves them to 0x40 and 0xC0 first. The VOC file is sox's 8-bit
  // unsigned mono rendering of that (its time constant gives 43478 Hz).
  ASSERT_TRUE(Convert("tape2wav program.tap full-scale.wav"));
  ASSERT_TRUE(Convert("sox full-scale.wav -e unsigned-integer -b 8 -c 1 program.wav vol 0.5"));
  ASSERT_TRUE(Convert("sox program.wav -t voc -e unsigned-integer -b 8 -c 1 program.voc"));

  for (const char* name : {"program.tap", "program.csw", "program-v1.csw", "program.wav", "program.voc"}) {
    EXPECT_TRUE(LoadsTheProgram(In(name)));
  }
}

TEST_F(SampledTapes, FullScaleRecordingPlaysNoEdges) {
  ASSERT_TRUE(Convert("tape2wav program.tap full-scale.wav"));
  ReferenceHost host(TestHostOptions());
  ASSERT_EQ(RESULT_OK, host.Start()) << host.Error();
  LoadOptions options;
  options.tapePath = In("full-scale.wav").string();
  options.maxSeconds = 30;
  RunLoad(host, options);
  EXPECT_NE(MARKER, host.Cpu().Peek(MARKER_ADDRESS));
  EXPECT_FALSE(std::equal(code_.begin(), code_.end(), host.Cpu().Memory() + CODE_START));
}

}  // namespace
}  // namespace reelbox::host
