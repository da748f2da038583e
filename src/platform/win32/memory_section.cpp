#include "platform/memory_section.h"

#include <windows.h>

#include <new>

#include "platform/system_error.h"

namespace reelbox::platform {
namespace {

class PagefileSection final : public MemorySection {
 public:
  PagefileSection(void* address, std::size_t size) : address_(address), size_(size) {}
  ~PagefileSection() override { UnmapViewOfFile(address_); }
  const std::uint8_t* Data() const override { return static_cast<const std::uint8_t*>(address_); }
  std::size_t Size() const override { return size_; }
  std::uint8_t* WritableData() override { return static_cast<std::uint8_t*>(address_); }

 private:
  void* address_;
  std::size_t size_;
};

}  // namespace

// A section backed by the paging file; the mapped view keeps it alive after
// its handle is closed.
HResult CreateMemorySection(std::size_t size, std::unique_ptr<MemorySection>* section) {
  const auto size64 = static_cast<unsigned long long>(size);
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, static_cast<DWORD>(size64 >> 32),
                                      static_cast<DWORD>(size64), nullptr);
  if (mapping == nullptr) return LastErrorResult();
  void* address = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, size);
  const HResult mapResult = address == nullptr ? LastErrorResult() : RESULT_OK;
  CloseHandle(mapping);
  if (address == nullptr) return mapResult;
  section->reset(new (std::nothrow) PagefileSection(address, size));
  if (*section == nullptr) {
    UnmapViewOfFile(address);
    return RESULT_OUTOFMEMORY;
  }
  return RESULT_OK;
}

}  // namespace reelbox::platform
