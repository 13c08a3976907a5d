#include "msgbox/message_box_texts.h"

#include <map>

namespace rescuva::msgbox {
namespace {

struct BuiltInLabel {
  const char* text;
  uint32_t resource;
};

const std::map<uint32_t, BuiltInLabel>& BuiltInLabels() {
  static const std::map<uint32_t, BuiltInLabel> labels = {
      {1, {"OK", 9001}},
      {2, {"Cancel", 9002}},
      {3, {"Abort", 9005}},
      {4, {"Retry", 9004}},
      {5, {"Ignore", 9003}},
      {6, {"Yes", 9007}},
      {7, {"No", 9008}},
      {9, {"Help", 9006}},
      {10, {"Try again", 9015}},
      {11, {"Continue", 9009}},
      {14, {"Skip", 9018}},
      {15, {"Skip all", 9019}},
      {16, {"Ignore all", 9017}},
      {19, {"Yes to all", 9013}},
      {20, {"No to all", 9014}},
      {21, {"Report", 9016}},
      {30, {"<< More", 9011}},
      {31, {"More >>", 9010}},
      {kLabelCheckBox, {"Do not show again", 9012}},
      {kLabelCaptionCountdown, {"%s (%d seconds remaining)", 9020}},
  };
  return labels;
}

std::string StringResource(uint32_t number, const MessageBoxOptions& options) {
  if ((options.style & PPMB_NO_STRING_RESOURCES) || !options.string_module) return {};
  auto it = options.string_module->find(number);
  return it == options.string_module->end() ? std::string() : it->second.substr(0, 260);
}

void ReplaceFirst(std::string& text, const std::string& from, const std::string& to) {
  if (auto at = text.find(from); at != std::string::npos) text.replace(at, from.size(), to);
}

}  // namespace

std::string ResolveText(const MessageText& text, const MessageBoxOptions& options) {
  if (const auto* own = std::get_if<std::string>(&text)) return *own;
  const uint32_t number = std::get<uint32_t>(text);
  return number == 0 || number >= 0x10000 ? std::string() : StringResource(number, options);
}

std::string LookupLabel(uint32_t key, const MessageBoxOptions& options,
                        const std::string& fallback) {
  if (options.label_table) {
    auto it = options.label_table->find(key);
    if (it != options.label_table->end()) return ResolveText(it->second, options);
  }
  auto built_in = BuiltInLabels().find(key);
  if (built_in != BuiltInLabels().end()) {
    const std::string resource = StringResource(built_in->second.resource, options);
    if (!resource.empty()) return resource;
  }
  if (!fallback.empty()) return fallback;
  return built_in == BuiltInLabels().end() ? std::string() : built_in->second.text;
}

std::string CountdownLabel(const std::string& label, int seconds) {
  return label + " = " + std::to_string(seconds);
}

std::string CountdownCaption(const std::string& format, const std::string& caption, int seconds) {
  std::string text = format;
  ReplaceFirst(text, "%s", caption);
  ReplaceFirst(text, "%d", std::to_string(seconds));
  return text;
}

}  // namespace rescuva::msgbox
