// WAV files: the RIFF walk over the input as a file, then every piece's samples.
#include "sampled_fuzz_input.h"
#include "tape/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = reelbox::fuzz::WriteInput(data, size, ".wav");
  reelbox::TapeBlockList list;
  if (reelbox::Succeeded(reelbox::ReadWavFile(list, path.c_str()))) reelbox::fuzz::DrainPieces(list);
  return 0;
}
