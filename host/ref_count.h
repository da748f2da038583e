// Reference counts of the host's own objects. The host owns them for its whole
// life; the count only tells whether every reference handed out came back.
#pragma once

#include <atomic>
#include <cstdint>

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

}  // namespace reelbox::host
