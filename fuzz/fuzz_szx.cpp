// The zx-state reader on any bytes: it accepts or refuses without reading
// outside the input, and what it accepts writes out and reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/szx_format.h"

using namespace reelbox::host;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SzxState state;
  std::string error;
  if (!ReadSzx(data, size, &state, &error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  const std::vector<std::uint8_t> file = WriteSzx(state);
  SzxState again;
  if (!ReadSzx(file.data(), file.size(), &again, &error)) __builtin_trap();
  if (again.pages.size() != state.pages.size() || again.z80.pc != state.z80.pc ||
      again.otherChunks.size() != state.otherChunks.size()) {
    __builtin_trap();
  }
  return 0;
}
