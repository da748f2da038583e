#include "host/plugin_library.h"

#include <dlfcn.h>

namespace reelbox::host {

PluginLibrary::~PluginLibrary() { Unload(); }

HResult PluginLibrary::Load(const std::string& path) {
  Unload();
  library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) {
    const char* reason = dlerror();
    error_ = reason != nullptr ? reason : "cannot open " + path;
    return RESULT_FAIL;
  }
  auto create = reinterpret_cast<CreateInstanceFunction>(dlsym(library_, "CreateInstance"));
  if (create == nullptr) {
    error_ = path + " does not export CreateInstance";
    Unload();
    return RESULT_FAIL;
  }
  void* object = nullptr;
  HResult result = create(nullptr, IID_IMediaHandler, &object);
  if (Failed(result)) {
    error_ = "CreateInstance failed";
    Unload();
    return result;
  }
  media_ = static_cast<IMediaHandler*>(object);
  const Guid* const ids[] = {&IID_IToolWindow, &IID_IDevice, &IID_IOptionsProvider};
  void** const slots[] = {reinterpret_cast<void**>(&toolWindow_), reinterpret_cast<void**>(&device_),
                          reinterpret_cast<void**>(&options_)};
  for (int i = 0; i < 3 && Succeeded(result); ++i) result = media_->QueryInterface(*ids[i], slots[i]);
  if (Failed(result)) {
    error_ = "the plug-in lacks one of its interfaces";
    Unload();
  }
  return result;
}

void PluginLibrary::Unload() {
  SafeRelease(options_);
  SafeRelease(device_);
  SafeRelease(toolWindow_);
  SafeRelease(media_);
  if (library_ != nullptr) dlclose(library_);
  library_ = nullptr;
}

}  // namespace reelbox::host
