// What every host shell shares, the reference host's and the Windows checks':
// the slots no plug-in calls, the settings, kept in a SettingsStore, the
// option flags, the modal state, and dialogs left to their own defaults.
#pragma once

#include <cstring>
#include <string>

#include "contract/host_interfaces.h"
#include "host/settings_store.h"

namespace reelbox::host {

class ShellBase : public IHostShell {
 public:
  explicit ShellBase(SettingsStore* settings) : settings_(settings) {}

  HResult RB_CALL ShellSlot4() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot9() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot10() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot11() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot12() override { return RESULT_NOTIMPL; }
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
  HResult RB_CALL ShellSlot32() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot36() override { return RESULT_NOTIMPL; }

  HResult RB_CALL GetOptionFlags(std::uint32_t* flags) override {
    if (flags == nullptr) return RESULT_FAIL;
    *flags = optionFlags_;
    return RESULT_OK;
  }
  MessageResult RB_CALL DefDialogProc(WindowHandle, std::uint32_t, MessageWParam, MessageLParam,
                                      std::uint32_t* messageState) override {
    if (messageState != nullptr) *messageState = 0;
    return 0;
  }
  std::uint32_t RB_CALL SetModalState(std::uint32_t modal) override {
    const std::uint32_t previous = modal_;
    modal_ = modal;
    return previous;
  }

  HResult RB_CALL GetSettingDword(const char* key, const char* name, std::uint32_t* data) override {
    if (key == nullptr || name == nullptr || data == nullptr) return RESULT_FAIL;
    return settings_->GetDword(key, name, data) ? RESULT_OK : RESULT_FAIL;
  }
  HResult RB_CALL SetSettingDword(const char* key, const char* name, std::uint32_t data) override {
    if (key == nullptr || name == nullptr) return RESULT_FAIL;
    settings_->SetDword(key, name, data);
    return RESULT_OK;
  }
  HResult RB_CALL GetSettingString(const char* key, const char* name, char* buffer, std::uint32_t size) override {
    std::string text;
    if (key == nullptr || name == nullptr || buffer == nullptr || size == 0 ||
        !settings_->GetString(key, name, &text)) {
      return RESULT_FAIL;
    }
    const std::size_t copied = text.size() < size ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), copied);
    buffer[copied] = '\0';
    return RESULT_OK;
  }
  HResult RB_CALL SetSettingString(const char* key, const char* name, const char* text) override {
    if (key == nullptr || name == nullptr || text == nullptr) return RESULT_FAIL;
    settings_->SetString(key, name, text);
    return RESULT_OK;
  }

  // Bit 0: Ctrl-key accelerators.
  void SetOptionFlags(std::uint32_t flags) { optionFlags_ = flags; }
  std::uint32_t ModalState() const { return modal_; }

 protected:
  SettingsStore* settings_;
  std::uint32_t optionFlags_ = 0;
  std::uint32_t modal_ = 1;
};

}  // namespace reelbox::host
