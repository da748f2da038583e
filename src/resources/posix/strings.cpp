#include "resources/strings.h"

#include <cstring>

namespace reelbox {
int LoadResourceString(ModuleHandle /*module*/, int id, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  const char* text = FindResourceString(id);
  if (text == nullptr) {
    buffer[0] = '\0';
    return 0;
  }
  std::size_t length = std::strlen(text);
  if (length > static_cast<std::size_t>(size - 1)) length = static_cast<std::size_t>(size - 1);
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}

// Natively an icon is named by its resource id, so callers can tell which one they hold.
IconHandle LoadResourceIcon(ModuleHandle /*module*/, int id, int /*size*/) {
  return reinterpret_cast<IconHandle>(static_cast<std::uintptr_t>(id));
}

}  // namespace reelbox
