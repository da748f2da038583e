// A read fault inside a guarded call becomes a result code; the thread goes on.
#include "platform/guarded_read.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/system_error.h"

namespace reelbox::platform {
namespace {

constexpr HResult NO_ACCESS_RESULT = static_cast<HResult>(0x800703E6u);  // ERROR_NOACCESS

// Address space reserved with no pages behind it: every read faults.
class ReservedRange {
 public:
  ReservedRange()
      : base_(static_cast<volatile std::uint8_t*>(VirtualAlloc(nullptr, 65536, MEM_RESERVE, PAGE_NOACCESS))) {}
  ~ReservedRange() { VirtualFree(const_cast<std::uint8_t*>(base_), 0, MEM_RELEASE); }
  volatile std::uint8_t* Base() const { return base_; }

 private:
  volatile std::uint8_t* base_;
};

TEST(GuardedRead, ReturnsTheFunctionsOwnResult) {
  int calls = 0;
  auto function = [&calls]() -> HResult {
    ++calls;
    return RESULT_FALSE;
  };
  EXPECT_EQ(RESULT_FALSE, RunGuarded(function));
  EXPECT_EQ(1, calls);
}

TEST(GuardedRead, ReadFaultEndsTheCallWithTheSystemError) {
  ReservedRange range;
  ASSERT_NE(nullptr, range.Base());
  int reached = 0;
  auto function = [&]() -> HResult {
    reached = 1;
    const std::uint8_t byte = range.Base()[100];
    reached = 2 + byte;
    return RESULT_OK;
  };
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(NO_ACCESS_RESULT, RunGuarded(function));
    EXPECT_EQ(1, reached);
    EXPECT_EQ(998, LastSystemError());
  }
}

TEST(GuardedRead, InnerFaultLeavesTheOuterGuardWorking) {
  ReservedRange range;
  HResult inner = RESULT_OK;
  auto faulting = [&]() -> HResult { return range.Base()[0] == 0 ? RESULT_OK : RESULT_FALSE; };
  auto outer = [&]() -> HResult {
    inner = RunGuarded(faulting);
    return range.Base()[1] == 0 ? RESULT_OK : RESULT_FALSE;
  };
  EXPECT_EQ(NO_ACCESS_RESULT, RunGuarded(outer));
  EXPECT_EQ(NO_ACCESS_RESULT, inner);
}

TEST(GuardedRead, GuardsOnlyTheCallingThread) {
  ReservedRange range;
  HResult otherThread = RESULT_FAIL;
  auto waitForThread = [&]() -> HResult {
    struct Work {
      HResult* result;
      volatile std::uint8_t* address;
    } work{&otherThread, range.Base()};
    auto run = [](LPVOID parameter) -> DWORD {
      auto* job = static_cast<Work*>(parameter);
      *job->result = RunGuarded(
          [](void* address) -> HResult {
            return static_cast<volatile std::uint8_t*>(address)[7] == 0 ? RESULT_OK : RESULT_FALSE;
          },
          const_cast<std::uint8_t*>(job->address));
      return 0;
    };
    HANDLE thread = CreateThread(nullptr, 0, run, &work, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return RESULT_OK;
  };
  EXPECT_EQ(RESULT_OK, RunGuarded(waitForThread));
  EXPECT_EQ(NO_ACCESS_RESULT, otherThread);
}

}  // namespace
}  // namespace reelbox::platform
