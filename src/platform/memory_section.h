// Anonymous memory sections: read-write memory, not backed by a file, that
// stands in for a file view (the block list owns it like one).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/file.h"

namespace reelbox::platform {

// Held while the object lives: small sections on the heap, larger ones mapped.
class MemorySection : public MappedView {
 public:
  virtual std::uint8_t* WritableData() = 0;
};

// Creates and maps a zero-filled section of size bytes. A size of 0 fails.
HResult CreateMemorySection(std::size_t size, std::unique_ptr<MemorySection>* section);

}  // namespace reelbox::platform
