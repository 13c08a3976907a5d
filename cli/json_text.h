// Text as a JSON string literal.
#pragma once

#include <string>

namespace rescuva::cli {

// Quotes and escapes `text`; bytes that are not valid UTF-8 become U+FFFD.
std::string JsonString(const std::string& text);

}  // namespace rescuva::cli
