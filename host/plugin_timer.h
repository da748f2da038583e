// Wall time spent inside the plug-in's calls, measured only when asked for:
// reading the clock around every port read costs more than the read itself.
#pragma once

#include <chrono>
#include <cstdint>

namespace reelbox::host {

class PluginTimer {
 public:
  void Enable(bool on) { enabled_ = on; }
  bool Enabled() const { return enabled_; }
  double Seconds() const { return static_cast<double>(spent_.count()) * 1e-9; }
  std::uint64_t Calls() const { return calls_; }

  template <typename Call>
  auto Time(Call&& call) {
    if (!enabled_) return call();
    const auto start = std::chrono::steady_clock::now();
    auto result = call();
    spent_ += std::chrono::steady_clock::now() - start;
    ++calls_;
    return result;
  }

 private:
  bool enabled_ = false;
  std::chrono::nanoseconds spent_{0};
  std::uint64_t calls_ = 0;
};

}  // namespace reelbox::host
