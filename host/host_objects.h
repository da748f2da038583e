// The host's registry of sibling properties and of its objects, and the
// objects themselves (the display among them).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "contract/host_interfaces.h"
#include "host/ref_count.h"

namespace reelbox::host {

// One of the host's devices, reached by kind and index. A port sink, when
// given, receives WritePort.
class HostDevice final : public IHostObject {
 public:
  using PortSink = std::function<void(std::uint16_t port, std::uint8_t value)>;
  HostDevice(std::string name, PortSink sink) : name_(std::move(name)), sink_(std::move(sink)) {}

  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override { return refs_.Add(); }
  std::uint32_t RB_CALL Release() override { return refs_.Drop(); }
  HResult RB_CALL ObjectSlot3() override { return RESULT_NOTIMPL; }
  HResult RB_CALL WritePort(std::uint16_t port, std::uint8_t value) override;
  HResult RB_CALL ObjectSlot5() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot6() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot7() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot8() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot9() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot10() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot11() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot12() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot13() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot14() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot15() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot16() override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetName(const char** name) override;

  std::uint32_t References() const { return refs_.Count(); }
  std::uint32_t PortWrites() const { return portWrites_; }

 private:
  std::string name_;
  PortSink sink_;
  RefCount refs_;
  std::uint32_t portWrites_ = 0;
};

class HostRegistry final : public IHostRegistry {
 public:
  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override { return refs_.Add(); }
  std::uint32_t RB_CALL Release() override { return refs_.Drop(); }
  // Absent properties fail; a property shorter than size is padded with zeros.
  HResult RB_CALL GetProperty(const char* name, void* buffer, std::uint32_t size) override;
  HResult RB_CALL SetProperty(const char* name, const void* data, std::uint32_t size) override;
  HResult RB_CALL RegistrySlot5() override { return RESULT_NOTIMPL; }
  HResult RB_CALL RegistrySlot6() override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetObjectCount(std::uint32_t kind, std::uint32_t* count) override;
  HResult RB_CALL GetObjectAt(std::uint32_t kind, std::uint32_t index, IHostObject** object) override;

  // The host's side: sibling plug-ins' properties and the objects it lists.
  void SetDword(const std::string& name, std::uint32_t value);
  bool GetDword(const std::string& name, std::uint32_t* value) const;
  // Objects of kind 1 are IHostObject; other kinds carry their own interface
  // (kind 2: media handlers, IMediaHandler), handed out as GetObjectAt's pointer.
  void AddObject(std::uint32_t kind, IUnknown* object);

  std::uint32_t References() const { return refs_.Count(); }

 private:
  struct Entry {
    std::uint32_t kind;
    IUnknown* object;
  };
  std::map<std::string, std::vector<std::uint8_t>> properties_;
  std::vector<Entry> objects_;
  RefCount refs_;
};

// QueryInterface of the objects that hand out the registry: IUnknown gives self,
// IHostRegistry the registry, anything else fails.
HResult QueryWithRegistry(IUnknown* self, HostRegistry* registry, const Guid& riid, void** out);

}  // namespace reelbox::host
