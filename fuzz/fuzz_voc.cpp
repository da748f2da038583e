// VOC files: the block walk from memory, then every piece's samples from the file.
#include "sampled_fuzz_input.h"
#include "tape/voc_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = reelbox::fuzz::WriteInput(data, size, ".voc");
  reelbox::TapeBlockList list;
  reelbox::ReadVocImage(list, data, size, path.c_str());
  reelbox::fuzz::DrainPieces(list);
  reelbox::ReadVocFile(list, path.c_str());
  return 0;
}
