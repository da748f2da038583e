// The TZX parse on any bytes after the file header: it must not read outside
// them, and the blocks it finds must follow one another from the start, the
// last ending at or before the end (a block cut short ends the tape).
#include <cstddef>
#include <cstdint>

#include "tape/tzx_reader.h"

using namespace reelbox;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TapeBlockList list;
  if (Failed(ParseTzx(list, data, size))) {
    if (list.GetCount() != 0) __builtin_trap();
    return 0;
  }
  const std::uint8_t* expected = data;
  std::uint32_t sum = 0;
  for (const TapeBlock* block = list.GetBlock(0); block != nullptr; block = block->next) {
    if (block->data != expected || block->size == 0 || block->id != block->data[0]) __builtin_trap();
    for (std::uint32_t i = 0; i < block->size; ++i) sum += block->data[i];
    expected += block->size;
  }
  if (expected > data + size) __builtin_trap();
  list.AnalyseForAutoLoad();
  for (std::int32_t i = 0; i < list.GetCount(); ++i) sum += list.IsRomLoadable(i);
  volatile std::uint32_t keep = sum;
  (void)keep;
  return 0;
}
