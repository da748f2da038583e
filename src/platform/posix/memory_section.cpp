#include "platform/memory_section.h"

#include <sys/mman.h>

#include <cerrno>
#include <cstdint>
#include <new>
#include <utility>

#include "platform/posix/errno_error.h"

namespace reelbox::platform {
namespace {

// Below this size a section is heap memory: the C library serves it from
// memory it already holds (its own default limit for mapping a request
// separately is the same 128 KiB), where a fresh mapping costs system calls
// and page-table work out of all proportion to a tape of ordinary size.
constexpr std::size_t HEAP_SECTION_LIMIT = 128 * 1024;
// A mapped section is whole huge pages (2 MiB): one fault and one page-table
// entry per 2 MiB instead of one per 4 KiB. The unused tail of the last page
// is cheaper than the work saved.
constexpr std::size_t HUGE_PAGE_SIZE = 2 * 1024 * 1024;

class HeapSection final : public MemorySection {
 public:
  HeapSection(std::unique_ptr<std::uint8_t[]> bytes, std::size_t size) : bytes_(std::move(bytes)), size_(size) {}
  const std::uint8_t* Data() const override { return bytes_.get(); }
  std::size_t Size() const override { return size_; }
  std::uint8_t* WritableData() override { return bytes_.get(); }

 private:
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t size_;
};

// The first size bytes of an anonymous mapping of mapped bytes.
class AnonymousSection final : public MemorySection {
 public:
  AnonymousSection(void* address, std::size_t size, std::size_t mapped)
      : address_(address), size_(size), mapped_(mapped) {}
  ~AnonymousSection() override { munmap(address_, mapped_); }
  const std::uint8_t* Data() const override { return static_cast<const std::uint8_t*>(address_); }
  std::size_t Size() const override { return size_; }
  std::uint8_t* WritableData() override { return static_cast<std::uint8_t*>(address_); }

 private:
  void* address_;
  std::size_t size_;
  std::size_t mapped_;
};

HResult OutOfMemory() {
  errno = ENOMEM;
  return FailFromErrno();
}

HResult CreateHeapSection(std::size_t size, std::unique_ptr<MemorySection>* section) {
  std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size]());
  if (bytes == nullptr) return OutOfMemory();
  section->reset(new (std::nothrow) HeapSection(std::move(bytes), size));
  return *section != nullptr ? RESULT_OK : OutOfMemory();
}

// Populated at once: every byte is written next, and one bulk fault is far
// cheaper than one per page. Where huge pages or populating on advice are
// not to be had, the pages come one fault at a time as they are written.
void* MapPopulated(std::size_t length) {
  void* address = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (address == MAP_FAILED) return address;
#if defined(MADV_HUGEPAGE) && defined(MADV_POPULATE_WRITE)
  madvise(address, length, MADV_HUGEPAGE);
  madvise(address, length, MADV_POPULATE_WRITE);
#endif
  return address;
}

HResult CreateMappedSection(std::size_t size, std::unique_ptr<MemorySection>* section) {
  if (size > SIZE_MAX - HUGE_PAGE_SIZE) return OutOfMemory();
  const std::size_t length = (size + HUGE_PAGE_SIZE - 1) / HUGE_PAGE_SIZE * HUGE_PAGE_SIZE;
  void* address = MapPopulated(length);
  if (address == MAP_FAILED) return FailFromErrno();
  section->reset(new (std::nothrow) AnonymousSection(address, size, length));
  if (*section == nullptr) {
    munmap(address, length);
    return OutOfMemory();
  }
  return RESULT_OK;
}

}  // namespace

HResult CreateMemorySection(std::size_t size, std::unique_ptr<MemorySection>* section) {
  if (size == 0) {
    errno = EINVAL;
    return FailFromErrno();
  }
  return size < HEAP_SECTION_LIMIT ? CreateHeapSection(size, section) : CreateMappedSection(size, section);
}

}  // namespace reelbox::platform
