// Copying out of a file mapped into memory: a page the file no longer holds (it shrank)
// or the disk cannot read raises a bus error, which ends the copy with false instead
// of the program.
#pragma once

#include <cstddef>

namespace rescuva::platform {

// Copies `size` bytes from mapped file memory at `from` to `to`. False when a page of
// them could not be read; `to` is then partly written.
bool GuardedCopy(void* to, const void* from, size_t size);

}  // namespace rescuva::platform
