#include "report/markup_text.h"

#include "report/report_text.h"

namespace rescuva::report {

std::string MarkupText(const std::string& text) {
  std::string out;
  for (char c : PlainText(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace rescuva::report
