// The in-memory tape: an ordered list of blocks in TZX layout, filled by the
// readers, walked by the deck, appended to by recording.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "platform/file.h"
#include "tape/tape_block.h"

namespace reelbox {

enum AutoLoadKind : std::int32_t { None = 0, Program = 1, Code = 2 };

class TapeBlockList {
 public:
  TapeBlockList() = default;
  ~TapeBlockList();
  TapeBlockList(const TapeBlockList&) = delete;
  TapeBlockList& operator=(const TapeBlockList&) = delete;

  // Index 0 or below yields the first block; the caller keeps index below the count.
  TapeBlock* GetBlock(std::int32_t index) const;
  std::int32_t GetCount() const { return count; }
  // A record from the list's own pool, for readers that make many blocks; it is
  // freed with the list's other blocks and must be appended to this list.
  // Throws std::bad_alloc when the pool cannot grow.
  TapeBlock* NewBlock();
  // Room in the index for blocks more blocks, for readers that count first.
  void Reserve(std::size_t blocks);
  // Takes ownership and adds the block at the end; always 0. Throws
  // std::bad_alloc, leaving the list as it was, when the index cannot grow.
  HResult Append(TapeBlock* block);
  // Releases every block and the view.
  void Clear();
  // Hands over the view that blocks point into.
  void SetMappedView(std::unique_ptr<platform::MappedView> view);
  const platform::MappedView* MappedView() const { return mappedView.get(); }

  AutoLoadKind AnalyseForAutoLoad() const;
  std::uint32_t IsRomLoadable(std::int32_t index) const;

  // Whole-tape facts, established by the readers.
  std::uint32_t standardOnly = 0;
  std::uint32_t hasSignalBlocks = 0;
  std::uint32_t recordable = 0;
  std::uint32_t edgeDetectionAllowed = 1;

 private:
  void ExamineArchiveInfo(const TapeBlock& block);

  TapeBlock* first = nullptr;
  TapeBlock* last = nullptr;
  std::int32_t count = 0;
  // Index of every block, so the deck reaches block n without walking the chain.
  std::vector<TapeBlock*> index_;
  // Block records made by NewBlock: no allocation per block.
  std::deque<TapeBlock> pool_;
  std::unique_ptr<platform::MappedView> mappedView;
};

}  // namespace reelbox
