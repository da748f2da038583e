#include "host/media_host.h"

namespace reelbox::host {

HResult MediaHost::QueryInterface(const Guid& riid, void** out) {
  // Without a compression service the registry's answer (no interface) stands.
  if (out != nullptr && riid == IID_ICompressionService && compression_ != nullptr) {
    compression_->AddRef();
    *out = compression_;
    return RESULT_OK;
  }
  return QueryWithRegistry(this, registry_, riid, out);
}

HResult MediaHost::MediaOpened(const char* path) {
  opened_.push_back(path != nullptr ? path : "");
  return RESULT_OK;
}

HResult MediaHost::MediaNotify(std::uint32_t code) {
  notifications_.push_back(code);
  return RESULT_OK;
}

}  // namespace reelbox::host
