// Recovered text as the outputs beside the listing write it: UTF-8 checked byte by
// byte, control characters kept out, and times in one form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "loader/safe_text.h"

namespace rescuva::report {

using loader::MarkupText;
using loader::PlainText;

// A command line as a shell would take it back: arguments holding other characters
// than letters, digits and "-_./=+:,@%" are quoted.
std::string CommandLine(const std::vector<std::string>& arguments);

// Date and time as "2004-02-10T19:26:59Z", or "" when unknown.
std::string IsoTime(const std::optional<int64_t>& seconds);

}  // namespace rescuva::report
