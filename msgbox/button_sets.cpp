#include "msgbox/button_sets.h"

#include <algorithm>

namespace rescuva::msgbox {
namespace {

const std::string* CustomText(const MessageBoxOptions& options) {
  const auto* text = std::get_if<std::string>(&options.custom_buttons);
  return text && !CustomButtonLabels(*text).empty() ? text : nullptr;
}

std::vector<int> ButtonSet(uint32_t style) {
  bool yes_to_all = style & PPMB_ADD_YES_TO_ALL;
  bool no_to_all = style & PPMB_ADD_NO_TO_ALL;
  auto yes_no = [&](bool with_cancel) {
    std::vector<int> codes{IDYES};
    if (yes_to_all) codes.push_back(IDYESTOALL);
    codes.push_back(IDNO);
    if (no_to_all) codes.push_back(IDNOTOALL);
    if (with_cancel) codes.push_back(IDCANCEL);
    return codes;
  };
  switch (style & kButtonSetMask) {
    case MB_OKCANCEL:
      return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
      return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
      return yes_no(true);
    case MB_YESNO:
      return yes_no(false);
    case MB_RETRYCANCEL:
      return {IDRETRY, IDCANCEL};
    case MB_CANCELTRYCONTINUE:
      return {IDCANCEL, IDRETRY, IDCONTINUE};
    case PPMB_CONTINUEABORT:
      return {IDCONTINUE, IDABORT};
    case PPMB_SKIPSKIPALLCANCEL:
      return {IDSKIP, IDSKIPALL, IDCANCEL};
    case PPMB_IGNOREIGNOREALLCANCEL:
      return {IDIGNORE, IDIGNOREALL, IDCANCEL};
    default:
      return {IDOK};
  }
}

}  // namespace

std::vector<std::string> CustomButtonLabels(const std::string& text) {
  std::string clean;
  std::remove_copy(text.begin(), text.end(), std::back_inserter(clean), '\r');
  clean += '\n';
  std::vector<std::string> labels;
  size_t start = 0;
  for (size_t end = clean.find('\n'); end != std::string::npos && labels.size() < 4;
       start = end + 1, end = clean.find('\n', start)) {
    if (end > start) labels.push_back(clean.substr(start, end - start));
  }
  return labels;
}

std::vector<int> ButtonsFor(const MessageBoxOptions& options) {
  std::vector<int> codes;
  if (const std::string* custom = CustomText(options)) {
    for (size_t i = 0; i < CustomButtonLabels(*custom).size(); ++i) {
      codes.push_back(IDCUSTOM1 + static_cast<int>(i));
    }
  } else {
    codes = ButtonSet(options.style);
  }
  if (options.style & MB_HELP) codes.push_back(IDHELP);
  if (options.owner != nullptr && options.report_message != 0) codes.push_back(IDREPORT);
  const auto* details = std::get_if<std::string>(&options.details_text);
  bool has_details = details ? !details->empty() : std::get<uint32_t>(options.details_text) != 0;
  if (has_details) codes.push_back(IDMORE);
  return codes;
}

size_t DefaultButtonIndex(uint32_t style, size_t button_count) {
  size_t index = (style & kDefaultButtonMask) >> 8;
  return index < button_count ? index : 0;
}

bool IsCancellable(const MessageBoxOptions& options) {
  if (CustomText(options)) return false;
  switch (options.style & kButtonSetMask) {
    case MB_ABORTRETRYIGNORE:
    case MB_YESNO:
    case PPMB_CONTINUEABORT:
      return false;
    default:
      return true;
  }
}

}  // namespace rescuva::msgbox
