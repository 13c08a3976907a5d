// Recovered text inside XML and HTML: escaped, valid UTF-8, no control characters (an
// XML document may not hold them even escaped).
#pragma once

#include <string>

namespace rescuva::report {

std::string MarkupText(const std::string& text);

}  // namespace rescuva::report
