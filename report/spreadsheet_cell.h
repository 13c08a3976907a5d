// A cell of a CSV file that spreadsheets open without surprises: quoted as RFC 4180
// says, and text a spreadsheet would take for a formula made inert.
#pragma once

#include <string>

namespace rescuva::report {

// Untrusted text: valid UTF-8 (tabs and line breaks kept), quoted, and prefixed with an
// apostrophe when it begins with '=', '+', '-', '@', a tab or a carriage return.
std::string TextCell(const std::string& text);
// A number the program made: written as it is.
std::string NumberCell(uint64_t number);

}  // namespace rescuva::report
