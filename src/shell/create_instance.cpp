// The library's only export.
#include <new>

#include "shell/tape_plugin.h"

#if defined(_WIN32)
#define RB_EXPORT extern "C" __declspec(dllexport)
#else
#define RB_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using namespace reelbox;

RB_EXPORT HResult RB_CALL CreateInstance(IUnknown* outer, const Guid& riid, void** out) {
  if (out == nullptr) return RESULT_FAIL;
  *out = nullptr;
  if (outer != nullptr) return RESULT_NOAGGREGATION;
  auto* plugin = new (std::nothrow) TapePlugin;
  if (plugin == nullptr) return RESULT_OUTOFMEMORY;
  // The plug-in starts at no reference: a failed query frees it through the
  // reference it took and gave back.
  plugin->AddRef();
  const HResult result = plugin->QueryInterface(riid, out);
  plugin->Release();
  return result;
}
