// Strings and icons from the library's resources.
#pragma once

#include <cstddef>

#include "contract/com.h"

namespace reelbox {

// Copies string id into buffer (at most size - 1 characters and a NUL);
// returns the characters copied, 0 when the string does not exist.
int LoadResourceString(ModuleHandle module, int id, char* buffer, int size);

// The text of string id, or null when it does not exist.
const char* FindResourceString(int id);

// Icon id at size x size pixels; null when absent.
IconHandle LoadResourceIcon(ModuleHandle module, int id, int size);

}  // namespace reelbox
