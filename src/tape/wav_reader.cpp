#include "tape/wav_reader.h"

#include <algorithm>

#include "platform/riff_file.h"
#include "tape/byte_cursor.h"
#include "tape/file_source.h"

namespace reelbox {
namespace {

using platform::FourCc;
using platform::RiffChunk;
using platform::RiffFile;

constexpr std::uint32_t FORMAT_CHUNK_BYTES = 16;
constexpr std::uint16_t FORMAT_PCM = 1;

struct WaveFormat {
  std::uint16_t formatTag = 0;
  std::uint16_t channels = 0;
  std::uint32_t samplesPerSecond = 0;
  std::uint16_t bitsPerSample = 0;
};

// The first 16 bytes of "fmt ": tag, channels, rate, bytes per second, block
// alignment, bits per sample.
bool ReadWaveFormat(RiffFile& riff, const RiffChunk& chunk, WaveFormat* format) {
  std::uint8_t bytes[FORMAT_CHUNK_BYTES];
  std::uint32_t got = 0;
  if (chunk.size < FORMAT_CHUNK_BYTES || !riff.Read(bytes, sizeof bytes, &got) || got < sizeof bytes) return false;
  format->formatTag = ReadU16(bytes);
  format->channels = ReadU16(bytes + 2);
  format->samplesPerSecond = ReadU32(bytes + 4);
  format->bitsPerSample = ReadU16(bytes + 14);
  return true;
}

// Finds the format, checks it, and leaves the file at the start of the data chunk.
HResult FindSamples(RiffFile& riff, WaveFormat* format, RiffChunk* data) {
  RiffChunk form;
  RiffChunk formatChunk;
  if (!riff.DescendIntoForm(FourCc('W', 'A', 'V', 'E'), &form) ||
      !riff.DescendIntoChunk(FourCc('f', 'm', 't', ' '), form, &formatChunk) ||
      !ReadWaveFormat(riff, formatChunk, format)) {
    return TAPE_E_BADFORMAT;
  }
  if (format->formatTag != FORMAT_PCM || format->channels != 1 || format->bitsPerSample != 8) {
    return TAPE_E_UNSUPPORTED;
  }
  if (!riff.Ascend(formatChunk) || !riff.DescendIntoChunk(FourCc('d', 'a', 't', 'a'), form, data)) {
    return TAPE_E_BADFORMAT;
  }
  return RESULT_OK;
}

HResult WalkWav(SampledCut& cut, RiffFile& riff) {
  WaveFormat format;
  RiffChunk data;
  HResult result = FindSamples(riff, &format, &data);
  if (Failed(result)) return result;
  std::uint32_t offset = 0;
  std::uint64_t fileSize = 0;
  if (!riff.Position(&offset) || !riff.Size(&fileSize)) return TAPE_E_BADFORMAT;
  // A data chunk that claims more than the file holds (a recording cut short)
  // gives the samples that are there.
  const auto count =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(data.size, fileSize > offset ? fileSize - offset : 0));
  if (count == 0 || format.samplesPerSecond == 0) return TAPE_E_BADFORMAT;
  return CutSampledPieces(cut, offset, count, format.samplesPerSecond);
}

}  // namespace

HResult ReadWavFile(TapeBlockList& list, const char* path) {
  FileSource* source = nullptr;
  HResult result = NewFileSource(path, &source);
  if (Failed(result)) return result;
  SampledCut cut{list, source};
  cut.emptyOnFailure = true;
  list.Clear();
  RiffFile riff;
  result = riff.Open(path);
  if (Succeeded(result)) result = WalkWav(cut, riff);
  return FinishSampledCut(cut, result);
}

}  // namespace reelbox
