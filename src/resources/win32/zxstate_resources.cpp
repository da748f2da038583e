#include <windows.h>

#include "snapshot/auto_load_snapshots.h"

namespace reelbox {

// The module that holds this code: the plug-in's library, or a program that
// links the plug-in's objects with its resources.
SnapshotBytes FindAutoLoadSnapshot(int id) {
  HMODULE module = nullptr;
  const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (!GetModuleHandleExA(flags, reinterpret_cast<LPCSTR>(&FindAutoLoadSnapshot), &module)) return {nullptr, 0};
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "ZXSTATE");
  if (found == nullptr) return {nullptr, 0};
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return {nullptr, 0};
  return {static_cast<const std::uint8_t*>(bytes), static_cast<std::uint32_t>(SizeofResource(module, found))};
}

}  // namespace reelbox
