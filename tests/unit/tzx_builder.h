// Tapes built in memory for deck tests: each function returns one TZX block
// (identifier byte and body) and AppendBlocks puts blocks on a tape.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tape/tape_block_list.h"

namespace reelbox::test {

using Bytes = std::vector<std::uint8_t>;

struct TurboTimings {
  std::uint16_t pilot = 2168;
  std::uint16_t sync1 = 667;
  std::uint16_t sync2 = 735;
  std::uint16_t zero = 855;
  std::uint16_t one = 1710;
  std::uint16_t pilotPulses = 3223;
};

// data starts with the flag byte (and ends with the checksum, if any).
Bytes StandardBlock(std::uint16_t pauseMs, const Bytes& data);
Bytes TurboBlock(const TurboTimings& timings, std::uint8_t usedBits, std::uint16_t pauseMs, const Bytes& data);
Bytes PureTone(std::uint16_t pulseLength, std::uint16_t pulses);
Bytes PulseSequence(const std::vector<std::uint16_t>& pulses);
Bytes PureData(std::uint16_t zero, std::uint16_t one, std::uint8_t usedBits, std::uint16_t pauseMs, const Bytes& data);
Bytes DirectRecording(std::uint16_t tstatesPerSample, std::uint16_t pauseMs, std::uint8_t usedBits, const Bytes& data);
Bytes PauseBlock(std::uint16_t ms);  // 0: stop the tape
Bytes GroupStart(const std::string& name);
Bytes GroupEnd();
Bytes JumpBlock(std::int16_t offset);
Bytes LoopStart(std::uint16_t passes);
Bytes LoopEnd();
Bytes CallSequence(const std::vector<std::int16_t>& offsets);
Bytes ReturnFromSequence();
Bytes StopIf48K();
Bytes TextDescription(const std::string& text);
Bytes MessageBlock(std::uint8_t seconds, const std::string& text);

// A standard ROM block of the given flag with a checksum: flag, body, checksum.
Bytes RomData(std::uint8_t flag, const Bytes& body);

void AppendBlocks(TapeBlockList& tape, const std::vector<Bytes>& blocks);

}  // namespace reelbox::test
