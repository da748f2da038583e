// The TAP parse on any bytes: every block is a standard block holding a whole
// record, and the records never add up to more than the input.
#include <cstddef>
#include <cstdint>

#include "tape/byte_cursor.h"
#include "tape/tap_reader.h"

using namespace reelbox;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TapeBlockList list;
  if (Failed(ParseTap(list, data, size))) __builtin_trap();
  std::size_t consumed = 0;
  std::uint32_t sum = 0;
  for (const TapeBlock* block = list.GetBlock(0); block != nullptr; block = block->next) {
    if (block->id != 0x10 || block->size < 5 || ReadU16(block->data + 3) != block->size - 5) __builtin_trap();
    for (std::uint32_t i = 0; i < block->size; ++i) sum += block->data[i];
    consumed += 2 + (block->size - 5);
  }
  if (consumed > size || size - consumed > 65536) __builtin_trap();
  list.AnalyseForAutoLoad();
  for (std::int32_t i = 0; i < list.GetCount(); ++i) sum += list.IsRomLoadable(i);
  volatile std::uint32_t keep = sum;
  (void)keep;
  return 0;
}
