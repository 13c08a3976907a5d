// The one UTF-8 rule the CLI's text output needs.
#pragma once

#include <cstddef>
#include <string>

namespace rescuva::cli {

// Length of the valid UTF-8 sequence at `i`, or 0 when none starts there.
size_t Utf8Length(const std::string& s, size_t i);

}  // namespace rescuva::cli
