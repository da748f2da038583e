#include "resources/snapshot_resources.h"

#include <windows.h>

namespace reelbox {

bool FindSnapshotResource(ModuleHandle module, std::uint32_t id, const void** data, std::uint32_t* size) {
  auto* instance = static_cast<HMODULE>(module);
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), "ZXSTATE");
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(instance, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return false;
  *data = bytes;
  *size = SizeofResource(instance, found);
  return true;
}

}  // namespace reelbox
