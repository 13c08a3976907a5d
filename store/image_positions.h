// Positions in a mail file copied out of a disk image, turned into positions in the
// image through the places its bytes lay: a run that crosses from one extent into the
// next becomes two.
#pragma once

#include <vector>

#include "engine/chain_trace.h"
#include "store/mail_store.h"

namespace rescuva::store {

// A run, or the part of it, that lies in no extent (past the file's end, or sparse)
// is left out: no byte of the image holds it.
std::vector<engine::ByteRun> ImagePositions(const std::vector<engine::ByteRun>& runs,
                                            const std::vector<FileExtent>& extents);

}  // namespace rescuva::store
