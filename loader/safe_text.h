// Recovered text as outputs beside the listing write it: UTF-8 checked byte by byte,
// control characters kept out, and escaped inside XML and HTML (an XML document may
// not hold control characters even escaped).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rescuva::loader {

// Length of the valid UTF-8 sequence at `i`, or 0 when none starts there.
size_t Utf8Length(std::string_view s, size_t i);
bool IsValidUtf8(std::string_view s);

// `text` as valid UTF-8: bytes that are not UTF-8 and control characters become
// U+FFFD; line breaks and tabs too, unless `lines` keeps them (every line then ends
// in LF alone).
std::string PlainText(const std::string& text, bool lines = false);

// The same with & < > " ' escaped for XML and HTML.
std::string MarkupText(const std::string& text, bool lines = false);

}  // namespace rescuva::loader
