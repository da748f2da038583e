// One line of text per block of a tape, as the plug-in's readers see it.
#pragma once

#include <string>

#include "tape/tape_block.h"

namespace reelbox::tools {

std::string DescribeBlock(const TapeBlock& block);

}  // namespace reelbox::tools
