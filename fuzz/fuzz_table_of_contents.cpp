// The recorder's table of contents filled from whatever the TZX and TAP
// readers make of any bytes (the first byte picks the reader), in both views:
// every row fits its 127 characters, and every block's row is -1 or a row
// that exists.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "tape/tap_reader.h"
#include "tape/tzx_reader.h"
#include "ui/table_of_contents.h"

using namespace reelbox;

namespace {

class CheckedRows final : public RowSink {
 public:
  explicit CheckedRows(std::int32_t blocks) : blocks_(blocks) {}
  void AddRow(const char* text, std::int32_t parameter) override {
    if (std::strlen(text) >= ROW_TEXT_LENGTH || parameter < 0 || parameter >= blocks_) __builtin_trap();
    ++rows;
  }
  std::int32_t rows = 0;

 private:
  std::int32_t blocks_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  TapeBlockList list;
  const bool tzx = (data[0] & 1) == 0;
  if (Failed(tzx ? ParseTzx(list, data + 1, size - 1) : ParseTap(list, data + 1, size - 1))) return 0;
  for (bool detailed : {false, true}) {
    CheckedRows rows(list.GetCount());
    if (FillRows(nullptr, list, detailed, rows) != rows.rows) __builtin_trap();
    for (std::int32_t i = 0; i < list.GetCount(); ++i) {
      const std::int32_t row = list.GetBlock(i)->tocRow;
      if (row < -1 || row >= rows.rows) __builtin_trap();
    }
  }
  return 0;
}
