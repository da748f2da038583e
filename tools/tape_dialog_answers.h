// `reelbox run`'s answers to a tape's dialogs: messages are printed as they
// come, with their block number; a select block is answered with a chosen
// entry (--select N, default the first) or cancelled (--select none).
#pragma once

#include <cstdio>

namespace reelbox::tools {

constexpr int SELECT_NONE = -1;

// "none" or an entry number from 1; false when neither.
bool ParseSelect(const char* text, int* entry);

class TapeDialogAnswers {
 public:
  // entry: 1-based entry to choose, or SELECT_NONE. Installed as the host's
  // dialog handler until destroyed.
  TapeDialogAnswers(int entry, std::FILE* out);
  ~TapeDialogAnswers();
  TapeDialogAnswers(const TapeDialogAnswers&) = delete;
  TapeDialogAnswers& operator=(const TapeDialogAnswers&) = delete;

 private:
  int entry_;
  std::FILE* out_;
};

}  // namespace reelbox::tools
