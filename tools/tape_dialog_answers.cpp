#include "tools/tape_dialog_answers.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/message_service/message_service.h"

namespace reelbox::tools {
namespace {

// Each line of a message (CR LF breaks) on its own indented line.
void PrintMessage(std::FILE* out, const rb_dialog& dialog) {
  std::fprintf(out, "message:   block %d", dialog.value + 1);
  if (dialog.style != 0) std::fprintf(out, " (%u s)", dialog.style);
  std::fputc('\n', out);
  std::string line;
  for (const char* c = dialog.text;; ++c) {
    if (*c == '\r' || *c == '\n' || *c == '\0') {
      if (!line.empty() || *c == '\r') std::fprintf(out, "  | %s\n", line.c_str());
      line.clear();
      if (*c == '\0') break;
      if (*c == '\r' && c[1] == '\n') ++c;
    } else {
      line += *c;
    }
  }
}

std::intptr_t Choose(std::FILE* out, const rb_dialog& dialog, int entry) {
  std::fprintf(out, "select:    block %d, %u entr%s\n", dialog.value + 1, dialog.itemCount,
               dialog.itemCount == 1 ? "y" : "ies");
  for (std::uint32_t i = 0; i < dialog.itemCount; ++i) std::fprintf(out, "  %3u. %s\n", i + 1, dialog.items[i]);
  const bool chosen = entry != SELECT_NONE && entry >= 1 && static_cast<std::uint32_t>(entry) <= dialog.itemCount;
  if (chosen) {
    std::fprintf(out, "  chose %d\n", entry);
    return entry - 1;
  }
  std::fprintf(out, "  cancelled%s\n", entry == SELECT_NONE ? "" : " (no such entry)");
  return -1;
}

}  // namespace

bool ParseSelect(const char* text, int* entry) {
  if (std::strcmp(text, "none") == 0) {
    *entry = SELECT_NONE;
    return true;
  }
  char* end = nullptr;
  const long number = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || number < 1 || number > 255) return false;
  *entry = static_cast<int>(number);
  return true;
}

TapeDialogAnswers::TapeDialogAnswers(int entry, std::FILE* out) : entry_(entry), out_(out) {
  rb_set_dialog_handler(
      [](void* context, const rb_dialog* dialog) -> std::intptr_t {
        auto* self = static_cast<TapeDialogAnswers*>(context);
        switch (dialog->kind) {
          case RB_DIALOG_MESSAGE:
            PrintMessage(self->out_, *dialog);
            std::fflush(self->out_);
            return 0;
          case RB_DIALOG_CHOICE:
            return Choose(self->out_, *dialog, self->entry_);
          default:
            return dialog->defaultAnswer;
        }
      },
      this);
}

TapeDialogAnswers::~TapeDialogAnswers() { rb_set_dialog_handler(nullptr, nullptr); }

}  // namespace reelbox::tools
