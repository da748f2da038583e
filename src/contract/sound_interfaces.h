// The subset of DirectSound the loading noise uses, declared with DirectSound's
// own slot order and record layouts so that the host's real device fits.
#pragma once

#include "contract/com.h"

namespace reelbox {

#pragma pack(push, 1)
struct WaveFormat {  // WAVEFORMATEX
  std::uint16_t formatTag;
  std::uint16_t channels;
  std::uint32_t samplesPerSec;
  std::uint32_t avgBytesPerSec;
  std::uint16_t blockAlign;
  std::uint16_t bitsPerSample;
  std::uint16_t extraSize;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormat) == 18, "WAVEFORMATEX layout");

// The buffer description of five fields (DirectX 3 layout).
struct SoundBufferDesc {
  std::uint32_t size;
  std::uint32_t flags;
  std::uint32_t bufferBytes;
  std::uint32_t reserved;
  WaveFormat* format;
};

constexpr std::uint32_t DSBCAPS_GLOBALFOCUS = 0x8000;
constexpr std::uint32_t DSBCAPS_GETCURRENTPOSITION2 = 0x10000;
constexpr std::uint32_t DSBPLAY_LOOPING = 1;
constexpr HResult DSERR_BUFFERLOST = static_cast<HResult>(0x88780096u);

struct IDirectSoundBuffer : IUnknown {
  virtual HResult RB_CALL GetCaps(void* caps) = 0;                                            // 3
  virtual HResult RB_CALL GetCurrentPosition(std::uint32_t* play, std::uint32_t* write) = 0;  // 4
  virtual HResult RB_CALL GetFormat(WaveFormat* format, std::uint32_t size, std::uint32_t* written) = 0;  // 5
  virtual HResult RB_CALL GetVolume(std::int32_t* volume) = 0;                                // 6
  virtual HResult RB_CALL GetPan(std::int32_t* pan) = 0;                                      // 7
  virtual HResult RB_CALL GetFrequency(std::uint32_t* frequency) = 0;                         // 8
  virtual HResult RB_CALL GetStatus(std::uint32_t* status) = 0;                               // 9
  virtual HResult RB_CALL Initialize(void* device, const SoundBufferDesc* desc) = 0;          // 10
  virtual HResult RB_CALL Lock(std::uint32_t offset, std::uint32_t bytes, void** part1, std::uint32_t* bytes1,
                               void** part2, std::uint32_t* bytes2, std::uint32_t flags) = 0;  // 11
  virtual HResult RB_CALL Play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags) = 0;  // 12
  virtual HResult RB_CALL SetCurrentPosition(std::uint32_t position) = 0;                     // 13
  virtual HResult RB_CALL SetFormat(const WaveFormat* format) = 0;                            // 14
  virtual HResult RB_CALL SetVolume(std::int32_t volume) = 0;                                 // 15
  virtual HResult RB_CALL SetPan(std::int32_t pan) = 0;                                       // 16
  virtual HResult RB_CALL SetFrequency(std::uint32_t frequency) = 0;                          // 17
  virtual HResult RB_CALL Stop() = 0;                                                         // 18
  virtual HResult RB_CALL Unlock(void* part1, std::uint32_t bytes1, void* part2, std::uint32_t bytes2) = 0;  // 19
  virtual HResult RB_CALL Restore() = 0;                                                      // 20
};

struct IDirectSound : IUnknown {
  virtual HResult RB_CALL CreateSoundBuffer(const SoundBufferDesc* desc, IDirectSoundBuffer** buffer,
                                            IUnknown* outer) = 0;  // 3
  virtual HResult RB_CALL GetCaps(void* caps) = 0;                  // 4
  virtual HResult RB_CALL DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** duplicate) = 0;  // 5
  virtual HResult RB_CALL SetCooperativeLevel(WindowHandle window, std::uint32_t level) = 0;  // 6
  virtual HResult RB_CALL Compact() = 0;                                                      // 7
  virtual HResult RB_CALL GetSpeakerConfig(std::uint32_t* config) = 0;                        // 8
  virtual HResult RB_CALL SetSpeakerConfig(std::uint32_t config) = 0;                         // 9
  virtual HResult RB_CALL Initialize(const Guid* driver) = 0;                                 // 10
};

}  // namespace reelbox
