// Taking an embedded tape out of a TAPE chunk into the private tape folder.
#include <cstring>
#include <memory>
#include <new>

#include "platform/file.h"
#include "platform/private_folder.h"
#include "snapshot/tape_snapshot.h"

namespace reelbox {
namespace {

constexpr const char* EXTRACTED_PREFIX = "~zx";

// The reserved name with the text after its last "." replaced by extension
// (the dot goes too when there is no extension).
std::string WithExtension(const std::string& reserved, const char* extension) {
  const std::size_t dot = reserved.rfind('.');
  std::string name = dot == std::string::npos ? reserved : reserved.substr(0, dot);
  if (extension[0] != '\0') name += std::string(".") + extension;
  return name;
}

ICompressionService* CompressionServiceOf(IMediaHost* media, HResult* result) {
  void* service = nullptr;
  *result = media != nullptr ? media->QueryInterface(IID_ICompressionService, &service) : RESULT_FAIL;
  return Succeeded(*result) ? static_cast<ICompressionService*>(service) : nullptr;
}

// The file's bytes into buffer (uncompressedSize bytes).
HResult UnpackStoredData(const TapeChunk& chunk, ICompressionService* service, std::uint8_t* buffer) {
  if (!chunk.Compressed()) {
    std::memcpy(buffer, chunk.data, chunk.uncompressedSize);
    return RESULT_OK;
  }
  std::uint32_t produced = chunk.uncompressedSize;
  const HResult result = service->Decompress(chunk.data, chunk.storedLength, buffer, &produced);
  if (Failed(result)) return result;
  return produced == chunk.uncompressedSize ? RESULT_OK : TAPE_E_BADFORMAT;
}

HResult WriteWholeFile(const std::string& path, const std::uint8_t* bytes, std::uint32_t size) {
  platform::File file;
  HResult result = file.OpenForReadWrite(path.c_str(), true);
  if (Succeeded(result) && size > 0) result = file.Write(bytes, size);
  file.Close();
  if (Failed(result)) platform::DeleteFileAt(path);
  return result;
}

HResult UnpackInto(const TapeChunk& chunk, IMediaHost* media, const std::string& path) {
  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[std::size_t{chunk.uncompressedSize} + 1]);
  if (buffer == nullptr) return RESULT_OUTOFMEMORY;
  // A file stored plain needs no compression service.
  HResult result = RESULT_OK;
  ICompressionService* service = chunk.Compressed() ? CompressionServiceOf(media, &result) : nullptr;
  if (Failed(result)) return result;
  result = UnpackStoredData(chunk, service, buffer.get());
  SafeRelease(service);
  if (Failed(result)) return result;
  return WriteWholeFile(path, buffer.get(), chunk.uncompressedSize);
}

}  // namespace

HResult ExtractEmbeddedTape(const TapeChunk& chunk, IMediaHost* media, std::string* path) {
  std::string folder;
  HResult result = platform::MakePrivateTapeFolder(&folder);
  if (Failed(result)) return result;
  std::string reserved;
  result = platform::ReserveUniqueFileName(folder, EXTRACTED_PREFIX, &reserved);
  if (Failed(result)) return result;
  *path = WithExtension(reserved, chunk.extension);
  result = UnpackInto(chunk, media, *path);
  if (Failed(result)) platform::DeleteFileAt(reserved);
  return result;
}

void EmptyPrivateTapeFolder() {
  std::string folder;
  if (platform::PrivateTapeFolderPath(&folder)) platform::DeleteFolderEntries(folder);
}

}  // namespace reelbox
