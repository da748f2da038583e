// The loading noise: the square wave that the EAR line carried during each
// frame, box-filtered at 16 sub-steps a sample into the next fiftieth of a
// second of a looping one-second 16-bit mono buffer at 44100 Hz.
#include <algorithm>

#include "engine/tape_deck.h"

namespace reelbox {
namespace {

constexpr std::int32_t SUB_STEPS = 16;  // per sample
constexpr std::int32_t LOUD_AMPLITUDE = 0x4000;
constexpr std::int32_t QUIET_AMPLITUDE = 0x400;

}  // namespace

HResult TapeDeck::StopNoise() {
  if (noisePlaying) {
    noiseBuffer->Stop();
    noisePlaying = 0;
  }
  noiseCountdown = noiseLeadFrames;
  return RESULT_OK;
}

void TapeDeck::NoiseFrameStart(std::uint32_t flag) {
  if (soundDevice == nullptr || noiseBuffer == nullptr) return;
  if (state != DECK_PLAYING) {
    StopNoise();
    return;
  }
  const std::uint32_t suspended = host->IsSoundSuspended();
  hostRealTime = host->GetRealTimeFlag();
  if (suspended != 0 || loadingNoise == 0 || hostRealTime == 0) {
    StopNoise();
    return;
  }
  if (flag != 0) return;  // the write position stays where it is this frame
  // The pulse under way began before the frame did; this frame's edges count on from its start.
  lastEdgeTime = untilEdge - static_cast<std::int32_t>(currentPulse);
  HResult positioned = RESULT_OK;
  if (noiseCountdown == noiseLeadFrames) {
    positioned = noiseBuffer->SetCurrentPosition(0);
    noiseWritePos = 0;
  } else {
    noiseWritePos += noiseFrameBytes;
    if (noiseWritePos >= noiseBufferBytes) noiseWritePos = 0;
  }
  // The first frames fill the buffer ahead of the play cursor.
  if (!noisePlaying && noiseCountdown > 0 && --noiseCountdown == 0) {
    noiseBuffer->Play(0, 0, DSBPLAY_LOOPING);
    noisePlaying = 1;
  }
  if (Failed(positioned)) StopNoise();
}

HResult TapeDeck::NoiseFrameEnd() {
  HResult locked = RESULT_OK;
  if (noiseBuffer != nullptr && host->IsSoundOff() == 0 && host->IsSoundSuspended() == 0 && loadingNoise != 0 &&
      (state == DECK_PLAYING || edgeCount > 0)) {
    void* part1 = nullptr;
    void* part2 = nullptr;
    std::uint32_t bytes1 = 0;
    std::uint32_t bytes2 = 0;
    locked = noiseBuffer->Lock(noiseWritePos, noiseFrameBytes, &part1, &bytes1, &part2, &bytes2, 0);
    if (locked == DSERR_BUFFERLOST) {
      noiseBuffer->Restore();
    } else if (Succeeded(locked)) {
      // A frame never straddles the end of the buffer: the first part holds it all.
      if (bytes1 >= noiseFrameBytes) {
        RenderNoiseFrame(static_cast<std::int16_t*>(part1), loudNoise ? LOUD_AMPLITUDE : QUIET_AMPLITUDE);
      }
      noiseBuffer->Unlock(part1, noiseFrameBytes, nullptr, 0);
    }
  }
  // A block was flash-loaded: the noise starts again after its lead frames.
  if (noiseRestart) StopNoise();
  return Failed(locked) ? locked : RESULT_OK;
}

void TapeDeck::RenderNoiseFrame(std::int16_t* destination, std::int32_t amplitude) {
  const std::int64_t samples = noiseFrameBytes / 2;
  const std::int64_t subSteps = SUB_STEPS * samples;
  const std::uint32_t frameLength = std::max<std::uint32_t>(host->GetFrameLength(), 1);
  const std::int32_t edges = std::min(edgeCount, EDGE_LOG_ENTRIES);
  std::uint8_t level = frameStartLevel;
  std::int64_t sum = 0;               // level x sub-steps gathered in sample k so far
  std::int64_t last = 0;              // sub-step up to which sum reaches
  std::int64_t boundary = SUB_STEPS;  // end of sample k, in sub-steps
  std::int64_t k = 0;
  auto value = [&] { return static_cast<std::int64_t>(level == 0x40 ? amplitude : -amplitude); };
  for (std::int32_t i = 0; i < edges; ++i) {
    const std::uint32_t time = std::min(edgeLog[i], frameLength);
    const std::int64_t pos = static_cast<std::int64_t>(static_cast<std::uint64_t>(time) * subSteps / frameLength);
    const std::int64_t v = value();
    if (pos < boundary) {
      sum += (pos - last) * v;
      last = pos;
    } else {
      destination[k++] = static_cast<std::int16_t>((sum + (boundary - last) * v) / SUB_STEPS);
      const std::int64_t m = pos / SUB_STEPS;  // the sample that holds pos
      std::fill(destination + k, destination + m, static_cast<std::int16_t>(v));
      k = m;
      boundary = SUB_STEPS * (m + 1);
      last = SUB_STEPS * m;
      sum = 0;
      if (last < pos) {
        sum = (pos - last) * v;
        last = pos;
      }
    }
    level ^= 0x40;
  }
  if (k < samples) {
    const std::int64_t v = value();
    destination[k++] = static_cast<std::int16_t>((sum + (boundary - last) * v) / SUB_STEPS);
    std::fill(destination + k, destination + samples, static_cast<std::int16_t>(v));
  }
}

}  // namespace reelbox
