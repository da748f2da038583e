// SHA-256 (FIPS 180-4) of a byte range, as lower-case hexadecimal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace reelbox::host {

std::string Sha256Hex(const std::uint8_t* data, std::size_t size);

}  // namespace reelbox::host
