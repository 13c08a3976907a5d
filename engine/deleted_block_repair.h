// The repair a user may choose for deleted messages. Freeing a block overwrites its
// first four text bytes with a pointer along the free list and forgets how much of the
// last block the message used. The repair marks each lost spot (inside base64 lines
// with characters that keep the lines whole, so the rest decodes; elsewhere with a
// visible "????"), gives the first header back its name when what is left of it names
// one header only, and cuts the last block's unused zero bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/chain_trace.h"

namespace rescuva::engine {

// One block's part of a chain's text.
struct GatheredBlock {
  size_t start = 0;
  size_t length = 0;
  bool freed = false;  // the block's size field says Outlook Express freed it
};

// `text` holds the blocks' data as copied, before NUL bytes are replaced. Each spot
// mended joins `mends` when given.
void RepairDeletedBlocks(std::vector<uint8_t>& text, std::span<const GatheredBlock> blocks,
                         std::vector<Mend>* mends = nullptr);

}  // namespace rescuva::engine
