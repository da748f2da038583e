// TAPE chunks handed straight to LoadState, on the reference host's own media
// host, registry and zlib service. The input is the chunk after its
// identifier and size field, which are made to fit it, so every other field,
// the stored data and its lengths are the fuzzer's.
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "host/compression_service.h"
#include "host/host_objects.h"
#include "host/media_host.h"
#include "shell/tape_plugin.h"
#include "snapshot/tape_chunk.h"

extern "C" reelbox::HResult RB_CALL CreateInstance(reelbox::IUnknown* outer, const reelbox::Guid& riid, void** out);

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Extracted tapes go to a folder of this process's own.
  static const std::string home = "/tmp/reelbox-fuzz-data-" + std::to_string(getpid());
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace reelbox;
  if (size > 0xFFFFFF) return 0;
  std::vector<std::uint8_t> chunk(8 + size);
  PutU32(chunk.data(), TAPE_CHUNK_ID);
  PutU32(chunk.data() + TAPE_AT_SIZE, static_cast<std::uint32_t>(size));
  std::copy(data, data + size, chunk.begin() + 8);
  chunk.resize(chunk.size() < TAPE_CHUNK_HEADER ? TAPE_CHUNK_HEADER : chunk.size());  // the fixed fields exist

  static host::HostRegistry registry;
  static ICompressionService* compression = host::CreateCompressionService();
  static host::MediaHost media(&registry, compression, MODEL_48K);
  void* out = nullptr;
  if (Failed(CreateInstance(nullptr, IID_IDevice, &out))) return 0;
  auto* device = static_cast<IDevice*>(out);
  device->LoadState(chunk.data(), &media, 0);
  device->Release();  // empties the private tape folder
  return 0;
}
