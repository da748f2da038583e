#include "platform/open_file_dialog.h"

#include <vector>

#include "platform/posix/message_service/message_service.h"

namespace reelbox::platform {
namespace {

constexpr std::uint32_t PATH_CAPACITY = 4096;

}  // namespace

// The host's dialog handler answers for the person: it writes the chosen
// path into the buffer and answers 1, or answers 0 for Cancel.
bool AskForFileToOpen(const OpenFileRequest& request, std::string* path, std::string* folder) {
  std::vector<char> buffer(PATH_CAPACITY, '\0');
  const char* const items[] = {request.description};
  rb_dialog dialog{};
  dialog.kind = RB_DIALOG_OPEN_FILE;
  dialog.owner = request.owner;
  dialog.caption = request.patterns;
  dialog.text = request.initialFolder;
  dialog.items = items;
  dialog.itemCount = 1;
  dialog.buffer = buffer.data();
  dialog.bufferSize = PATH_CAPACITY;
  dialog.defaultAnswer = 0;
  if (rb_show_dialog(&dialog) != 1) return false;
  buffer.back() = '\0';
  *path = buffer.data();
  if (path->empty()) return false;
  const std::size_t slash = path->rfind('/');
  *folder = slash == std::string::npos ? std::string(".") : path->substr(0, slash == 0 ? 1 : slash);
  return true;
}

}  // namespace reelbox::platform
