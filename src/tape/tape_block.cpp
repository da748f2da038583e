#include "tape/tape_block.h"

#include <cstring>
#include <new>

namespace reelbox {

TapeBlock* NewOwnedBlock(std::uint8_t id, std::uint32_t size) {
  if (size == 0) return nullptr;
  auto* data = new (std::nothrow) std::uint8_t[size]();
  if (data == nullptr) return nullptr;
  auto* block = new (std::nothrow) TapeBlock;
  if (block == nullptr) {
    delete[] data;
    return nullptr;
  }
  data[0] = id;
  block->id = id;
  block->ownsData = 1;
  block->data = data;
  block->size = size;
  return block;
}

TapeBlock* NewOwnedBlock(const std::uint8_t* bytes, std::uint32_t size) {
  if (size == 0) return nullptr;
  TapeBlock* block = NewOwnedBlock(bytes[0], size);
  if (block != nullptr) std::memcpy(const_cast<std::uint8_t*>(block->data), bytes, size);
  return block;
}

void FreeBlock(TapeBlock* block) {
  if (block == nullptr) return;
  if (block->ownsData) delete[] block->data;
  block->data = nullptr;
  if (!block->pooled) delete block;
}

}  // namespace reelbox
