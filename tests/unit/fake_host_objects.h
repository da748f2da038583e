// Host objects for tests of the plug-in object: they record what the plug-in
// asks of them and live on the test's stack (Release never frees them).
#pragma once

#include <atomic>
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

class FakeCompressionService final : public CountedFake<ICompressionService> {
 public:
  HResult RB_CALL Decompress(const void*, std::uint32_t, void*, std::uint32_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL OpenInflateReader(NativeFileHandle, std::uint32_t, IInflateReader**) override {
    return RESULT_NOTIMPL;
  }
  HResult RB_CALL CompressionSlot5() override { return RESULT_NOTIMPL; }
  HResult RB_CALL CompressionSlot6() override { return RESULT_NOTIMPL; }
  HResult RB_CALL CompressionSlot7() override { return RESULT_NOTIMPL; }
  HResult RB_CALL Compress(const void*, std::uint32_t, void*, std::uint32_t*) override { return RESULT_NOTIMPL; }
};

class FakeMediaHost final : public CountedFake<IMediaHost> {
 public:
  // Hands out compression when it is set.
  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override {
    if (riid != IID_ICompressionService || compression == nullptr) {
      return CountedFake<IMediaHost>::QueryInterface(riid, out);
    }
    compression->AddRef();
    *out = compression;
    return RESULT_OK;
  }
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

  ICompressionService* compression = nullptr;
  std::vector<std::string> opened;
  std::vector<std::uint32_t> notified;
};

}  // namespace reelbox::test
