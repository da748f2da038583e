// The message and program-choice dialogs' reading of message (0x31) and
// select (0x28) blocks: fed TZX bytes (after the file header), every such
// block the reader finds is read; the input itself is also read as one
// block of each kind, cut wherever the input ends. Nothing may be read
// outside a block, and every text must end inside its buffer.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tape/tzx_reader.h"
#include "ui/tape_dialog_content.h"

using namespace reelbox;

namespace {

void ReadDialogs(const TapeBlock& block) {
  const TapeMessage message = ReadTapeMessage(block);
  if (std::memchr(message.text, 0, sizeof message.text) == nullptr) __builtin_trap();
  for (const ProgramChoice& choice : ReadProgramChoices(block)) {
    if (std::strlen(choice.description) > 31) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TapeBlockList list;
  if (Succeeded(ParseTzx(list, data, size))) {
    for (const TapeBlock* block = list.GetBlock(0); block != nullptr; block = block->next) {
      if (block->id == 0x31 || block->id == 0x28) ReadDialogs(*block);
    }
  }
  // A copy of exactly the input's size, so that a read past it is caught.
  for (std::uint8_t id : {0x31, 0x28}) {
    std::vector<std::uint8_t> bytes(1 + size);
    bytes[0] = id;
    if (size != 0) std::memcpy(bytes.data() + 1, data, size);
    TapeBlock block;
    block.id = id;
    block.data = bytes.data();
    block.size = static_cast<std::uint32_t>(bytes.size());
    ReadDialogs(block);
  }
  return 0;
}
