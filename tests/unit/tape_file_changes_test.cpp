// A tape file cut short, deleted or rewritten while the deck plays it. Natively
// the parsed readers keep a private copy, so their tape plays on as it was
// read, and the sampled readers end their pieces once the file is no longer
// the one they read. On Windows the system refuses the change: the file is
// mapped or held open.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <thread>

#include "deck_harness.h"
#include "sampled_tape_files.h"
#include "tape/csw_reader.h"
#include "tape/tzx_reader.h"
#include "tape/voc_reader.h"
#include "tape/wav_reader.h"

namespace reelbox::test {
namespace {

using testing::CswVersion1;
using testing::Join;
using testing::RiffChunk;
using testing::VocHeader;
using testing::VocSound;
using testing::WaveFile;
using testing::WaveFormatChunk;

using Reader = HResult (*)(TapeBlockList& list, const char* path);
enum class Change { Truncate, Delete, Rewrite };

HResult ReadCsw(TapeBlockList& list, const char* path) { return ReadCswFile(list, path, nullptr); }

// Samples (or run lengths) of uneven lengths, so that a sample out of place shows.
Bytes Wave(std::size_t count, std::uint8_t high, std::uint8_t low) {
  Bytes samples;
  for (std::size_t length = 3; samples.size() < count; length = length % 17 + 2) {
    samples.insert(samples.end(), length, samples.size() / length % 2 ? high : low);
  }
  samples.resize(count);
  return samples;
}

Bytes TzxTape() { return Join({TzxHeader(), Turbo(DataBlockData(0xFF, 200)), Turbo(Wave(5000, 0x5A, 0xC3))}); }
Bytes CswTape() { return CswVersion1(22050, 0, Wave(3000, 9, 21)); }
Bytes VocTape() { return Join({VocHeader(), VocSound(0xA6, Wave(50000, 0xC0, 0x40)), Bytes{0}}); }
Bytes WavTape() {
  return WaveFile(Join({WaveFormatChunk(1, 1, 11025, 8), RiffChunk("data", Wave(40000, 0xC0, 0x40))}));
}

// Made by the test's own process, as another program would; false when the
// system refused it.
bool Apply(Change change, const std::string& path, std::size_t size) {
  std::error_code error;
  switch (change) {
    case Change::Truncate:
      std::filesystem::resize_file(path, size / 3, error);
      return !error;
    case Change::Delete:
      return std::filesystem::remove(path, error) && !error;
    case Change::Rewrite: {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      const Bytes other(size, 0x80);
      out.write(reinterpret_cast<const char*>(other.data()), static_cast<std::streamsize>(other.size()));
      out.close();
      return out.good();
    }
  }
  return false;
}

struct Played {
  std::vector<Transition> transitions;
  bool stopped;
  bool changed;
};

// Plays the file to its end (at most a minute), applying change after
// changeAfter transitions when one is given.
Played Play(Reader read, const Bytes& file, const Change* change, std::size_t changeAfter) {
  ScratchFolder folder;
  const std::string path = folder.Write("tape", file);
  DeckHarness harness;
  EXPECT_FALSE(Failed(read(harness.Tape(), path.c_str())));
  harness.Deck().ResetDeck();
  harness.Deck().Play();
  const std::int64_t end = harness.Now() + 60 * 3500000LL;
  Played played{harness.Run(change ? changeAfter : SIZE_MAX, end), false, false};
  if (change != nullptr) {
    // File times move on in clock ticks of a few milliseconds; a change within
    // the tick that wrote the file would not show in them.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    played.changed = Apply(*change, path, file.size());
    const std::vector<Transition> rest = harness.Run(SIZE_MAX, end);
    played.transitions.insert(played.transitions.end(), rest.begin(), rest.end());
  }
  played.stopped = harness.Deck().state == DECK_STOPPED;
  // The end of the tape as the window hears of it: stopped, back at block 0.
  const std::vector<TapeEvent> events = harness.Events();
  const std::vector<TapeEvent> ending = {{TAPE_EVENT_STATE, DECK_STOPPED}, {TAPE_EVENT_BLOCK, 0}};
  EXPECT_TRUE(events.size() >= 2 && std::equal(ending.begin(), ending.end(), events.end() - 2));
  return played;
}

bool SameAt(const std::vector<Transition>& a, const std::vector<Transition>& b, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (a[i].time != b[i].time || a[i].level != b[i].level) return false;
  }
  return true;
}

TEST(TapeFileChanges, WhilePlayingNeverPlayWhatWasNotRead) {
  struct Case {
    const char* name;
    Reader read;
    Bytes file;
    Change change;
    bool playsOn;  // natively: the whole tape as read; else it ends early
  };
  const Case cases[] = {
      {"tzx truncated", ReadTzxFile, TzxTape(), Change::Truncate, true},
      {"tzx deleted", ReadTzxFile, TzxTape(), Change::Delete, true},
      {"tzx rewritten", ReadTzxFile, TzxTape(), Change::Rewrite, true},
      {"csw truncated", ReadCsw, CswTape(), Change::Truncate, true},
      {"csw deleted", ReadCsw, CswTape(), Change::Delete, true},
      {"csw rewritten", ReadCsw, CswTape(), Change::Rewrite, true},
      {"voc truncated", ReadVocFile, VocTape(), Change::Truncate, false},
      {"voc deleted", ReadVocFile, VocTape(), Change::Delete, true},  // the open file lives on
      {"voc rewritten", ReadVocFile, VocTape(), Change::Rewrite, false},
      {"wav truncated", ReadWavFile, WavTape(), Change::Truncate, false},
      {"wav deleted", ReadWavFile, WavTape(), Change::Delete, true},
      {"wav rewritten", ReadWavFile, WavTape(), Change::Rewrite, false},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const Played whole = Play(test.read, test.file, nullptr, 0);
    ASSERT_TRUE(whole.stopped);
    ASSERT_GT(whole.transitions.size(), 300u);
    const Played changed = Play(test.read, test.file, &test.change, whole.transitions.size() / 3);
    EXPECT_TRUE(changed.stopped);
#ifdef _WIN32
    // Wine lets a mapped file's name go; Windows refuses that too.
    if (test.change != Change::Delete) {
      EXPECT_FALSE(changed.changed) << "the system let the file change in use";
    }
    const bool playsOn = true;
#else
    EXPECT_TRUE(changed.changed);
    const bool playsOn = test.playsOn;
#endif
    if (playsOn) {
      ASSERT_EQ(whole.transitions.size(), changed.transitions.size());
    } else {
      ASSERT_LT(changed.transitions.size(), whole.transitions.size());
    }
    EXPECT_TRUE(SameAt(whole.transitions, changed.transitions, changed.transitions.size()));
  }
}

// Between the size query and the view the file is cut (natively) or cannot be
// (Windows, whose open file refuses other writers): the view is refused or
// holds the whole file, never a part of it.
TEST(TapeFileChanges, FileShrinkingBeforeItsViewIsRefusedOrReadWhole) {
  ScratchFolder folder;
  const Bytes file = TzxTape();
  const std::string path = folder.Write("shrinking.tzx", file);
  platform::File open;
  ASSERT_EQ(RESULT_OK, open.OpenForSharedRead(path.c_str()));
  std::uint64_t size = 0;
  ASSERT_EQ(RESULT_OK, open.GetSize(&size));
  std::error_code error;
  std::filesystem::resize_file(path, size / 2, error);
  std::unique_ptr<platform::MappedView> view;
  const HResult result = platform::ViewReadOnly(open, size, &view);
  if (!error) {
    EXPECT_EQ(static_cast<HResult>(0x800703EE), result) << std::hex << result;  // ERROR_FILE_INVALID
    EXPECT_EQ(nullptr, view);
  } else {
    ASSERT_EQ(RESULT_OK, result);
    ASSERT_EQ(file.size(), view->Size());
    EXPECT_TRUE(std::equal(file.begin(), file.end(), view->Data()));
  }
#ifndef _WIN32
  EXPECT_FALSE(error) << error.message();
#endif
}

}  // namespace
}  // namespace reelbox::test
