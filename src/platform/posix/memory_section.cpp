#include "platform/memory_section.h"

#include <sys/mman.h>

#include <cerrno>
#include <new>

#include "platform/posix/errno_error.h"

namespace reelbox::platform {
namespace {

class AnonymousSection final : public MemorySection {
 public:
  AnonymousSection(void* address, std::size_t size) : address_(address), size_(size) {}
  ~AnonymousSection() override { munmap(address_, size_); }
  const std::uint8_t* Data() const override { return static_cast<const std::uint8_t*>(address_); }
  std::size_t Size() const override { return size_; }
  std::uint8_t* WritableData() override { return static_cast<std::uint8_t*>(address_); }

 private:
  void* address_;
  std::size_t size_;
};

}  // namespace

HResult CreateMemorySection(std::size_t size, std::unique_ptr<MemorySection>* section) {
  if (size == 0) {
    errno = EINVAL;
    return FailFromErrno();
  }
  // Populated at once: every byte is written next, and one bulk fault is far
  // cheaper than one per page.
  void* address = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  if (address == MAP_FAILED) return FailFromErrno();
  section->reset(new (std::nothrow) AnonymousSection(address, size));
  if (*section == nullptr) {
    munmap(address, size);
    errno = ENOMEM;
    return FailFromErrno();
  }
  return RESULT_OK;
}

}  // namespace reelbox::platform
