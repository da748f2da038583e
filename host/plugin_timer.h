// Wall time spent inside the plug-in's calls, measured only when asked for:
// reading the clock around every port read costs about as much as the read
// itself, so the clock's own cost, measured when timing is switched on, is
// taken off again.
#pragma once

#include <chrono>
#include <cstdint>

namespace reelbox::host {

class PluginTimer {
 public:
  void Enable(bool on) {
    enabled_ = on;
    if (on) Calibrate();
  }
  bool Enabled() const { return enabled_; }
  double Seconds() const {
    const double measured = static_cast<double>(spent_.count()) * 1e-9;
    const double clockCost = static_cast<double>(calls_) * overheadSeconds_;
    return measured > clockCost ? measured - clockCost : 0.0;
  }
  std::uint64_t Calls() const { return calls_; }
  // What reading the clock added to the wall time.
  double ClockCostSeconds() const { return static_cast<double>(calls_) * overheadSeconds_; }

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
  // The time an empty call appears to take.
  void Calibrate() {
    constexpr int SAMPLES = 100000;
    overheadSeconds_ = 0.0;
    spent_ = std::chrono::nanoseconds(0);
    calls_ = 0;
    volatile int sink = 0;
    for (int i = 0; i < SAMPLES; ++i) sink = Time([&sink] { return sink + 1; });
    overheadSeconds_ = Seconds() / SAMPLES;
    spent_ = std::chrono::nanoseconds(0);
    calls_ = 0;
  }

  bool enabled_ = false;
  double overheadSeconds_ = 0.0;
  std::chrono::nanoseconds spent_{0};
  std::uint64_t calls_ = 0;
};

}  // namespace reelbox::host
