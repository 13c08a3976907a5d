// Deterministic made-up messages for generated folder files: headers, a body of a
// few kilobytes, now and then an attachment.
#pragma once

#include <cstddef>

#include "bench/folder_generator.h"

namespace rescuva::bench {

// Message number i, between about 1 and 9 KiB; `deleted` marks it as deleted.
GeneratedMessage GeneratedMail(size_t i, bool deleted);

}  // namespace rescuva::bench
