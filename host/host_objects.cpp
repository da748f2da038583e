#include "host/host_objects.h"

#include <algorithm>
#include <cstring>

namespace reelbox::host {

HResult QueryWithRegistry(IUnknown* self, HostRegistry* registry, const Guid& riid, void** out) {
  if (out == nullptr) return RESULT_FAIL;
  *out = nullptr;
  IUnknown* chosen = nullptr;
  if (riid == IID_IUnknown) {
    chosen = self;
  } else if (riid == IID_IHostRegistry && registry != nullptr) {
    chosen = registry;
  }
  if (chosen == nullptr) return RESULT_NOINTERFACE;
  chosen->AddRef();
  *out = chosen;
  return RESULT_OK;
}

HResult HostDevice::QueryInterface(const Guid& riid, void** out) { return QueryWithRegistry(this, nullptr, riid, out); }

HResult HostDevice::WritePort(std::uint16_t port, std::uint8_t value) {
  if (!sink_) return RESULT_NOTIMPL;
  ++portWrites_;
  sink_(port, value);
  return RESULT_OK;
}

HResult HostDevice::GetName(const char** name) {
  if (name == nullptr) return RESULT_FAIL;
  *name = name_.c_str();
  return RESULT_OK;
}

HResult HostRegistry::QueryInterface(const Guid& riid, void** out) { return QueryWithRegistry(this, this, riid, out); }

HResult HostRegistry::GetProperty(const char* name, void* buffer, std::uint32_t size) {
  if (name == nullptr || buffer == nullptr) return RESULT_FAIL;
  auto found = properties_.find(name);
  if (found == properties_.end()) return RESULT_FAIL;
  const std::vector<std::uint8_t>& value = found->second;
  const std::size_t copied = std::min<std::size_t>(size, value.size());
  std::memcpy(buffer, value.data(), copied);
  std::memset(static_cast<std::uint8_t*>(buffer) + copied, 0, size - copied);
  return RESULT_OK;
}

HResult HostRegistry::SetProperty(const char* name, const void* data, std::uint32_t size) {
  if (name == nullptr || (data == nullptr && size != 0)) return RESULT_FAIL;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  properties_[name].assign(bytes, bytes + size);
  return RESULT_OK;
}

HResult HostRegistry::GetObjectCount(std::uint32_t kind, std::uint32_t* count) {
  if (count == nullptr) return RESULT_FAIL;
  *count = static_cast<std::uint32_t>(
      std::count_if(objects_.begin(), objects_.end(), [kind](const Entry& entry) { return entry.kind == kind; }));
  return RESULT_OK;
}

HResult HostRegistry::GetObjectAt(std::uint32_t kind, std::uint32_t index, IHostObject** object) {
  if (object == nullptr) return RESULT_FAIL;
  *object = nullptr;
  for (const Entry& entry : objects_) {
    if (entry.kind != kind) continue;
    if (index-- == 0) {
      *object = reinterpret_cast<IHostObject*>(entry.object);
      return RESULT_OK;
    }
  }
  return RESULT_FAIL;
}

void HostRegistry::SetDword(const std::string& name, std::uint32_t value) {
  SetProperty(name.c_str(), &value, sizeof value);
}

bool HostRegistry::GetDword(const std::string& name, std::uint32_t* value) const {
  auto found = properties_.find(name);
  if (found == properties_.end() || found->second.size() < sizeof *value) return false;
  std::memcpy(value, found->second.data(), sizeof *value);
  return true;
}

void HostRegistry::AddObject(std::uint32_t kind, IUnknown* object) { objects_.push_back(Entry{kind, object}); }

}  // namespace reelbox::host
