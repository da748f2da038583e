#include "resources/strings.h"

#include <windows.h>

namespace reelbox {

int LoadResourceString(ModuleHandle module, int id, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  const int copied = LoadStringA(static_cast<HINSTANCE>(module), static_cast<UINT>(id), buffer, size);
  if (copied == 0) buffer[0] = '\0';
  return copied;
}

IconHandle LoadResourceIcon(ModuleHandle module, int id, int size) {
  return LoadImageA(static_cast<HINSTANCE>(module), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
}

}  // namespace reelbox
