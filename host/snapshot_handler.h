// The host's media handler for ".szx" snapshots, listed among the host's
// objects as a media handler so that plug-ins can have it open a snapshot
// from memory. Opening hands the bytes to a loader (the reference host).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "contract/plugin_interfaces.h"
#include "host/ref_count.h"

namespace reelbox::host {

class SnapshotHandler final : public IMediaHandler {
 public:
  using Loader = std::function<HResult(const std::uint8_t* data, std::size_t size)>;
  explicit SnapshotHandler(Loader loader) : loader_(std::move(loader)) {}

  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override { return refs_.Add(); }
  std::uint32_t RB_CALL Release() override { return refs_.Drop(); }
  HResult RB_CALL CreateMedia(std::uint32_t, const char*, IMediaHost*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL OpenMedia(const char* path, IMediaHost* media, std::uint32_t flags) override;
  HResult RB_CALL OpenMediaFromMemory(const void* data, std::uint32_t size, IMediaHost* media,
                                      std::uint32_t flags) override;
  HResult RB_CALL MediaSlot6(std::uintptr_t, std::uintptr_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetCreateType(std::uint32_t, CreateTypeInfo*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaSlot8(std::uintptr_t, std::uintptr_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaSlot9(std::uintptr_t, std::uintptr_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaSlot10(std::uintptr_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetCapabilities(std::uint32_t* flags) override;
  HResult RB_CALL GetFilterText(std::uint32_t kind, char* buffer, std::int32_t size) override;
  HResult RB_CALL GetExtensions(std::uint32_t kind, const char* const** list, std::uint32_t* count) override;

  std::uint32_t Opened() const { return opened_; }

 private:
  Loader loader_;
  RefCount refs_;
  std::uint32_t opened_ = 0;
};

}  // namespace reelbox::host
