// Result codes in words, for people reading the command's messages.
#pragma once

#include <string>

#include "contract/com.h"

namespace reelbox::tools {

// What code means for the tape file at path (its extension names the format):
// for example "no such file" or "not a TZX file".
std::string ResultWords(HResult code, const std::string& path);

}  // namespace reelbox::tools
