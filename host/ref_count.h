// Reference counts: of the host's own objects, which the host owns for its
// whole life (the count only tells whether every reference handed out came
// back), and of objects handed out to be released (the zlib service, its readers).
#pragma once

#include <atomic>
#include <cstdint>

#include "contract/com.h"

namespace reelbox::host {

class RefCount {
 public:
  std::uint32_t Add() { return ++count_; }
  std::uint32_t Drop() { return --count_; }
  // 1 when nobody but the host holds the object.
  std::uint32_t Count() const { return count_; }

 private:
  std::atomic<std::uint32_t> count_{1};
};

// An object that deletes itself when its last reference goes, answering for
// IUnknown and the interfaces IsOwnInterface names.
template <typename Interface>
class Counted : public Interface {
 public:
  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override {
    if (out == nullptr) return RESULT_FAIL;
    if (riid != IID_IUnknown && !IsOwnInterface(riid)) {
      *out = nullptr;
      return RESULT_NOINTERFACE;
    }
    AddRef();
    *out = static_cast<Interface*>(this);
    return RESULT_OK;
  }
  std::uint32_t RB_CALL AddRef() override { return ++references_; }
  std::uint32_t RB_CALL Release() override {
    const std::uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~Counted() = default;
  virtual bool IsOwnInterface(const Guid& riid) const = 0;

 private:
  std::atomic<std::uint32_t> references_{1};
};

}  // namespace reelbox::host
