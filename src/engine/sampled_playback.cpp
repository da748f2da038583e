// Sampled tapes played to the EAR signal: CSW run-length pieces (0xF0) and
// 8-bit samples pulled from VOC and WAV files (0xF1). Each sample of the
// recording lasts samplePeriod T-states; pieces follow one another without a
// seam because the last edge of one is the start of the next.
#include <cstring>

#include "engine/tape_deck.h"
#include "tape/sampled_blocks.h"

namespace reelbox {
namespace {

// 50 frames of 69,888 T-states: the second that CSW files are timed by.
constexpr std::uint32_t CSW_TSTATES_PER_SECOND = 3494400;
constexpr std::uint32_t TSTATES_PER_SECOND = 3500000;
constexpr std::uint8_t EAR_HIGH = 0x40;

// T-states per sample; at least 1, so that time always moves on, even at
// rates above the clock's.
std::uint32_t SamplePeriod(std::uint32_t tstatesPerSecond, std::uint32_t rate) {
  const std::uint32_t period = rate == 0 ? 0 : tstatesPerSecond / rate;
  return period == 0 ? 1 : period;
}

// The next run of the piece in samples: one byte, or a 0 byte and a u32.
// A run of 0 plays as 1 sample, so the level after it is the one the
// recording has and playing never stalls; a long run cut short (which the
// reader does not let through) ends the piece.
std::uint32_t NextRun(TapeDeck& deck) {
  std::uint32_t run = *deck.dataCursor++;
  --deck.bytesLeft;
  if (run == 0) {
    if (deck.bytesLeft < 4) {
      deck.bytesLeft = 0;
      return 1;
    }
    std::uint8_t bytes[4];
    std::memcpy(bytes, deck.dataCursor, 4);
    run = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
          (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
    deck.dataCursor += 4;
    deck.bytesLeft -= 4;
  }
  return run == 0 ? 1 : run;
}

SampleSourceRoutine RoutineOf(const std::uint8_t* blockData) { return DecodeSampledPieceData(blockData).sampleSource; }

// Fast loading runs the host at full speed while a sampled piece plays; not
// when the piece already handed over and the deck halted at the end of the tape.
void SpeedUp(TapeDeck& deck) {
  if (deck.fastLoading && deck.edgeHandler != nullptr) deck.RequestFullSpeed(1);
}

// Asks the piece for the next buffer of samples; false when it has none left
// or cannot read, which ends the piece.
bool RefillSamples(TapeDeck& deck) {
  std::uint32_t count = SAMPLE_BUFFER_BYTES;
  const HResult result = RoutineOf(deck.sampleSource)(SAMPLE_SOURCE_READ, deck.sampleSource,
                                                      reinterpret_cast<std::uint8_t*>(deck.sampleBuffer), &count);
  if (Failed(result) || result == RESULT_FALSE || count == 0) return false;
  deck.sampleCursor = deck.sampleBuffer;
  deck.samplesBuffered = static_cast<std::int32_t>(count < SAMPLE_BUFFER_BYTES ? count : SAMPLE_BUFFER_BYTES);
  return true;
}

}  // namespace

void TapeDeck::StartCsw(const TapeBlock& block) {
  CswPiece piece;
  if (!DecodeCswPiece(block, &piece) || piece.pulseDataLength == 0) {
    AdvancePhase();
    return;
  }
  dataCursor = piece.pulseData;
  bytesLeft = static_cast<std::int32_t>(piece.pulseDataLength);
  samplePeriod = SamplePeriod(CSW_TSTATES_PER_SECOND, piece.sampleRate);
  const std::uint32_t run = NextRun(*this);
  // Only the tape's first piece sets the level; later pieces go on from the
  // level the previous one left.
  if (blockIndex == 0) earLevel = piece.initialLevel != 0 ? EAR_HIGH : 0x00;
  runLeft = run - 1;
  QueuePulse(samplePeriod);
  edgeHandler = &TapeDeck::PlayCswRuns;
  CallHandler();
  SpeedUp(*this);
}

void TapeDeck::PlayCswRuns() {
  SyncClock();
  while (untilEdge <= 0) {
    if (runLeft > 0) {
      --runLeft;
      lastEdgeTime += static_cast<std::int32_t>(currentPulse);
    } else {
      Edge();
      if (bytesLeft <= 0) {
        AdvancePhase();
        return;
      }
      runLeft = NextRun(*this) - 1;
    }
    QueuePulse(samplePeriod);
  }
}

void TapeDeck::StartSampledAudio(const TapeBlock& block) {
  SampledPiece piece;
  if (!DecodeSampledPiece(block, &piece) || piece.sampleSource == nullptr) {
    AdvancePhase();
    return;
  }
  samplePeriod = SamplePeriod(TSTATES_PER_SECOND, piece.sampleRate);
  samplesBuffered = 0;
  edgeHandler = &TapeDeck::PlaySampledAudio;
  sampleSource = block.data;
  currentPulse = samplePeriod;  // nothing queued: the first sample is taken at once
  piece.sampleSource(SAMPLE_SOURCE_OPEN, block.data, nullptr, nullptr);
  CallHandler();
  SpeedUp(*this);
}

void TapeDeck::PlaySampledAudio() {
  SyncClock();
  while (untilEdge <= 0) {
    if (samplesBuffered <= 0 && !RefillSamples(*this)) {
      AdvancePhase();
      return;
    }
    // The file's unsigned samples read as signed: 1 to 127 is high, 0 and 128
    // to 255 low, so the level switches at the centre value with high and low
    // swapped, and silence (0x80) is low.
    const std::uint8_t level = *sampleCursor++ > 0 ? EAR_HIGH : 0x00;
    --samplesBuffered;
    PlaySampleAt(level);
  }
}

}  // namespace reelbox
