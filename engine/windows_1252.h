// The ANSI code page Outlook Express stores texts in (Windows-1252), to and from UTF-8,
// and file names compared as Windows compares them (A-Z as a-z).
#pragma once

#include <string>
#include <string_view>

namespace rescuva::engine {

// Latin letters and the Windows-1252 punctuation as they are; anything else as '?'.
std::string ToWindows1252(const std::string& utf8);
// Every byte as its Windows-1252 character; the five bytes the code page leaves
// unassigned as U+FFFD.
std::string FromWindows1252(std::string_view ansi);
// A-Z as a-z, every other byte as it is.
std::string AsciiLower(std::string text);

}  // namespace rescuva::engine
