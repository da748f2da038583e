// The host side of opening media: it learns which files a plug-in opened and
// lends the compression service and the registry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contract/host_interfaces.h"
#include "host/host_objects.h"
#include "host/ref_count.h"

namespace reelbox::host {

class MediaHost final : public IMediaHost {
 public:
  MediaHost(HostRegistry* registry, ICompressionService* compression, std::uint32_t model)
      : registry_(registry), compression_(compression), model_(model) {}

  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override { return refs_.Add(); }
  std::uint32_t RB_CALL Release() override { return refs_.Drop(); }
  HResult RB_CALL MediaHostSlot3() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaHostSlot4() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaHostSlot5() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaHostSlot6() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL IsAutoLoadBlocked() override { return autoLoadBlocked_; }
  HResult RB_CALL MediaOpened(const char* path) override;
  HResult RB_CALL MediaNotify(std::uint32_t code) override;
  HResult RB_CALL MediaHostSlot10() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL GetModel() override { return model_; }

  void SetModel(std::uint32_t model) { model_ = model; }
  void BlockAutoLoad(bool blocked) { autoLoadBlocked_ = blocked ? 1 : 0; }
  const std::vector<std::string>& OpenedPaths() const { return opened_; }
  const std::vector<std::uint32_t>& Notifications() const { return notifications_; }
  std::uint32_t References() const { return refs_.Count(); }

 private:
  RefCount refs_;
  HostRegistry* registry_;
  ICompressionService* compression_;
  std::uint32_t model_;
  std::uint32_t autoLoadBlocked_ = 0;
  std::vector<std::string> opened_;
  std::vector<std::uint32_t> notifications_;
};

}  // namespace reelbox::host
