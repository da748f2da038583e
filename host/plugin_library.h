// The plug-in as a host loads it: the shared library opened at run time and
// the object made through its only export, with its four interfaces.
#pragma once

#include <string>

#include "contract/plugin_interfaces.h"

namespace reelbox::host {

class PluginLibrary {
 public:
  PluginLibrary() = default;
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  // Opens the library and creates the object; on failure error() says why.
  HResult Load(const std::string& path);
  // Releases the interfaces (the last Release destroys the object) and closes
  // the library.
  void Unload();

  IMediaHandler* Media() const { return media_; }
  IToolWindow* ToolWindow() const { return toolWindow_; }
  IDevice* Device() const { return device_; }
  IOptionsProvider* Options() const { return options_; }
  const std::string& Error() const { return error_; }

 private:
  void* library_ = nullptr;
  IMediaHandler* media_ = nullptr;
  IToolWindow* toolWindow_ = nullptr;
  IDevice* device_ = nullptr;
  IOptionsProvider* options_ = nullptr;
  std::string error_;
};

}  // namespace reelbox::host
