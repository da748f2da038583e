#include "resources/strings.h"

#include <windows.h>

namespace reelbox {
namespace {

// A null module is the program itself (a test that links the plug-in's code
// statically): LoadImage would take null to mean the system's own images.
HINSTANCE ModuleOrProgram(ModuleHandle module) {
  return module != nullptr ? static_cast<HINSTANCE>(module) : GetModuleHandleA(nullptr);
}

}  // namespace

int LoadResourceString(ModuleHandle module, int id, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  const int copied = LoadStringA(ModuleOrProgram(module), static_cast<UINT>(id), buffer, size);
  if (copied == 0) buffer[0] = '\0';
  return copied;
}

IconHandle LoadResourceIcon(ModuleHandle module, int id, int size) {
  return LoadImageA(ModuleOrProgram(module), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
}

}  // namespace reelbox
