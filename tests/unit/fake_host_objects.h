// Host objects for tests of the plug-in object: they record what the plug-in
// asks of them and live on the test's stack (Release never frees them).
#pragma once

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "contract/host_interfaces.h"

namespace reelbox::test {

template <typename Interface>
class CountedFake : public Interface {
 public:
  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override {
    *out = nullptr;
    if (riid != IID_IUnknown) return RESULT_NOINTERFACE;
    *out = this;
    this->AddRef();
    return RESULT_OK;
  }
  std::uint32_t RB_CALL AddRef() override { return ++references; }
  std::uint32_t RB_CALL Release() override { return --references; }

  std::atomic<std::uint32_t> references{1};
};

struct SettingWrite {
  std::string key;
  std::string name;
  std::uint32_t value;
};

class FakeHostShell final : public CountedFake<IHostShell> {
 public:
  HResult RB_CALL GetOptionFlags(std::uint32_t* flags) override {
    *flags = 0;
    return RESULT_OK;
  }
  HResult RB_CALL ShellSlot4() override { return RESULT_NOTIMPL; }
  MessageResult RB_CALL DefWindowProc(WindowHandle, std::uint32_t, MessageWParam, MessageLParam,
                                      std::uint32_t*) override {
    return 0;
  }
  MessageResult RB_CALL DefDialogProc(WindowHandle, std::uint32_t, MessageWParam, MessageLParam,
                                      std::uint32_t*) override {
    return 0;
  }
  HResult RB_CALL AddStatusPane(std::int32_t, std::uint32_t* paneIndex) override {
    *paneIndex = 1;
    return RESULT_OK;
  }
  HResult RB_CALL GetStatusBar(WindowHandle* statusBar) override {
    *statusBar = nullptr;
    return RESULT_FAIL;
  }
  HResult RB_CALL ShellSlot9() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot10() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot11() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot12() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL SetModalState(std::uint32_t) override { return 0; }
  HResult RB_CALL ShellSlot14() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot15() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot16() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot17() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot18() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot19() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot20() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot21() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot22() override { return RESULT_NOTIMPL; }
  HResult RB_CALL BeforeModalDialog() override { return RESULT_OK; }
  HResult RB_CALL ShellSlot24() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot25() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot26() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot27() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot28() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot29() override { return RESULT_NOTIMPL; }
  WindowHandle RB_CALL GetMainWindow() override { return nullptr; }
  HResult RB_CALL AddCommand(std::uint32_t, const char*, std::uint32_t, const HostAccelerator*,
                             std::uint32_t* commandId) override {
    *commandId = ++lastCommandId;
    return RESULT_OK;
  }
  HResult RB_CALL ShellSlot32() override { return RESULT_NOTIMPL; }
  std::int32_t RB_CALL AddToolbarImage(ModuleHandle, std::uint32_t, std::uint32_t) override { return 0; }
  HResult RB_CALL AddToolbarButton(std::uint32_t, const HostToolbarButton*) override { return RESULT_OK; }
  WindowHandle RB_CALL GetToolbar() override { return nullptr; }
  HResult RB_CALL ShellSlot36() override { return RESULT_NOTIMPL; }
  HResult RB_CALL StoreToolWindowPosition(WindowHandle, std::int32_t*, std::int32_t*) override { return RESULT_OK; }
  HResult RB_CALL PlaceToolWindow(WindowHandle, std::int32_t, std::int32_t) override { return RESULT_OK; }
  // Values in `stored` are found; every other read finds its value absent.
  HResult RB_CALL GetSettingDword(const char* key, const char* name, std::uint32_t* data) override {
    auto found = stored.find(std::string(key) + "\\" + name);
    if (found == stored.end()) return RESULT_FAIL;
    *data = found->second;
    return RESULT_OK;
  }
  HResult RB_CALL SetSettingDword(const char* key, const char* name, std::uint32_t data) override {
    dwordWrites.push_back({key, name, data});
    return RESULT_OK;
  }
  HResult RB_CALL GetSettingString(const char*, const char*, char*, std::uint32_t) override { return RESULT_FAIL; }
  HResult RB_CALL SetSettingString(const char*, const char*, const char*) override { return RESULT_OK; }

  // The value last written under key and name, or -1 when none was.
  std::int64_t Written(const std::string& key, const std::string& name) const {
    std::int64_t value = -1;
    for (const SettingWrite& write : dwordWrites) {
      if (write.key == key && write.name == name) value = write.value;
    }
    return value;
  }

  std::vector<SettingWrite> dwordWrites;
  std::map<std::string, std::uint32_t> stored;  // by "key\\name"
  std::uint32_t lastCommandId = 40000;
};

class FakeMediaHost final : public CountedFake<IMediaHost> {
 public:
  HResult RB_CALL MediaHostSlot3() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaHostSlot4() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaHostSlot5() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaHostSlot6() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL IsAutoLoadBlocked() override { return 0; }
  HResult RB_CALL MediaOpened(const char* path) override {
    opened.push_back(path);
    return RESULT_OK;
  }
  HResult RB_CALL MediaNotify(std::uint32_t code) override {
    notified.push_back(code);
    return RESULT_OK;
  }
  HResult RB_CALL MediaHostSlot10() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL GetModel() override { return MODEL_48K; }

  std::vector<std::string> opened;
  std::vector<std::uint32_t> notified;
};

}  // namespace reelbox::test
