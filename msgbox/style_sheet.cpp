#include "msgbox/style_sheet.h"

#include <algorithm>
#include <cctype>

namespace rescuva::msgbox {

const char* const kDefaultStyleSheet =
    "body {font-size: 10pt; color:black; font-family:Verdana}\r\n"
    "p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
    "h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}\r\n"
    "h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
    "h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}\r\n"
    "pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}\r\n"
    "code {color:#990000; font-family:Arial}\r\n"
    "a:link {text-decoration:none; color:blue}\r\n"
    "a:hover {text-decoration:underline; color:blue}\r\n"
    "sub {font-size:65%; vertical-align:bottom}\r\n"
    "sup {font-size:65%; vertical-align:top}\r\n"
    "big {font-size:125%}\r\n"
    "small {font-size:75%}\r\n"
    ".cpp-comment {color:green; font-style:italic}\r\n";

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool StartsName(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '.';
}

size_t SkipToName(const std::string& text, size_t at) {
  while (at < text.size() && !StartsName(text[at])) ++at;
  return at;
}

size_t SkipSpaces(const std::string& text, size_t at) {
  while (at < text.size() && text[at] == ' ') ++at;
  return at;
}

// Sets the field to the setting of the keyword the value names; any other value
// leaves it unchanged.
template <typename T>
void SetFromKeyword(const std::string& value, T& field,
                    std::initializer_list<std::pair<const char*, T>> keywords) {
  for (const auto& [word, setting] : keywords) {
    if (value == word) {
      field = setting;
      return;
    }
  }
}

void ApplyDecoration(const std::string& value, StyleRecord& style) {
  size_t at = 0;
  const std::string words = value.empty() ? "none" : value;
  while (at < words.size()) {
    const size_t end = std::min(words.find_first_of(" ,", at), words.size());
    const std::string word = words.substr(at, end - at);
    if (word == "none") {
      style.underline = style.strike_out = style.overline = false;
    } else if (word == "underline") {
      style.underline = true;
    } else if (word == "line-through") {
      style.strike_out = true;
    } else if (word == "overline") {
      style.overline = true;
    }
    at = end + 1;
  }
}

void ApplyProperty(const std::string& name, const std::string& value, StyleRecord& style,
                   const ValueContext& context) {
  if (name == "font-size") {
    style.font_height = ParseLength(value, style.font_height, true, context);
  } else if (name == "font-family") {
    if (!value.empty()) style.font_face = value;
  } else if (name == "font-style") {
    SetFromKeyword(value, style.italic,
                   {{"normal", false}, {"", false}, {"italic", true}, {"oblique", true}});
  } else if (name == "font-weight") {
    style.font_weight = LeadingInteger(value);  // a number, unless it is a keyword
    SetFromKeyword(value, style.font_weight,
                   {{"normal", 400}, {"", 400}, {"bold", 700}, {"bolder", 900}, {"lighter", 100}});
  } else if (name == "text-align") {
    SetFromKeyword(value, style.horizontal_alignment,
                   {{"left", HorizontalAlignment::kLeft},
                    {"", HorizontalAlignment::kLeft},
                    {"center", HorizontalAlignment::kCentre},
                    {"right", HorizontalAlignment::kRight}});
  } else if (name == "text-transform") {
    SetFromKeyword(value, style.text_transform,
                   {{"none", TextTransform::kNone},
                    {"", TextTransform::kNone},
                    {"uppercase", TextTransform::kUpper},
                    {"lowercase", TextTransform::kLower},
                    {"capitalize", TextTransform::kCapitalise}});
  } else if (name == "color") {
    style.text_colour = ParseColour(value, style.text_colour, context);
  } else if (name == "background-color") {
    if (value == "transparent" || !context.enabled) {
      style.background_mode = BackgroundMode::kTransparent;
    } else {
      style.background_mode = BackgroundMode::kOpaque;
      style.background_colour = ParseColour(value, style.background_colour, context);
    }
  } else if (name == "text-decoration") {
    ApplyDecoration(value, style);
  } else if (name == "vertical-align") {
    SetFromKeyword(value, style.vertical_alignment,
                   {{"baseline", VerticalAlignment::kBaseline},
                    {"", VerticalAlignment::kBaseline},
                    {"middle", VerticalAlignment::kMiddle},
                    {"vcenter", VerticalAlignment::kMiddle},
                    {"top", VerticalAlignment::kTop},
                    {"bottom", VerticalAlignment::kBottom}});
  } else if (name == "border-color") {
    style.border_light = style.border_dark = ParseColour(value, style.border_light, context);
  } else if (name == "border-width" || name == "size") {
    if (value == "thin") {
      style.border_width = style.border_width * 75 / 100;
    } else if (value == "thick") {
      style.border_width = style.border_width * 125 / 100;
    } else if (value != "medium") {
      style.border_width = ParseLength(value, style.border_width, false, context);
    }
    if (style.border_width == 0) {
      style.border_style = kBorderNone;
    } else if (style.border_style == kBorderNone) {
      style.border_style = kBorderSolid;
    }
  } else if (name == "border-style") {
    SetFromKeyword(value, style.border_style,
                   {{"none", int{kBorderNone}},
                    {"", int{kBorderNone}},
                    {"solid", int{kBorderSolid}},
                    {"dashed", int{kBorderDashed}},
                    {"dotted", int{kBorderDotted}},
                    {"double", int{kBorderDouble}}});
    if (style.border_style != kBorderNone && style.border_width == 0) style.border_width = 1;
  } else if (name == "margin") {
    style.cell_padding = ParseLength(value, style.cell_padding, false, context);
  } else if (name == "padding") {
    style.cell_spacing = ParseLength(value, style.cell_spacing, false, context);
  }
}

}  // namespace

StyleSheet::StyleSheet() {
  SetText(std::nullopt);
}

void StyleSheet::SetText(const std::optional<std::string>& text) {
  text_ = text.value_or(kDefaultStyleSheet);
  rules_.clear();
  size_t at = 0;
  while ((at = SkipToName(text_, at)) < text_.size()) {
    const size_t selector_end = std::min(text_.find_first_of(" {", at), text_.size());
    const std::string selector = text_.substr(at, selector_end - at);
    const size_t open = text_.find('{', selector_end);
    const size_t close = open == std::string::npos ? open : text_.find('}', open);
    if (close == std::string::npos) break;
    rules_[Lower(selector)] = text_.substr(open + 1, close - open - 1);
    at = close + 1;
  }
}

std::optional<std::string> StyleSheet::Declarations(const std::string& selector) const {
  auto it = rules_.find(Lower(selector));
  if (it == rules_.end()) return std::nullopt;
  return it->second;
}

void StyleSheet::ApplyRule(const std::string& selector, StyleRecord& style,
                           const ValueContext& context) const {
  if (auto declarations = Declarations(selector)) ApplyDeclarations(*declarations, style, context);
}

void StyleSheet::ApplyDeclarations(const std::string& declarations, StyleRecord& style,
                                   const ValueContext& context) {
  const std::string text = Lower(declarations);
  size_t at = 0;
  while ((at = SkipToName(text, at)) < text.size()) {
    const size_t name_end = std::min(text.find_first_of(" :", at), text.size());
    const std::string name = text.substr(at, name_end - at);
    at = SkipSpaces(text, name_end);
    std::string value;
    if (at < text.size() && text[at] == ':') {
      at = SkipSpaces(text, at + 1);
      if (at < text.size() && text[at] == '"') {
        const size_t end = std::min(text.find('"', at + 1), text.size());
        value = text.substr(at + 1, end - at - 1);
        at = end + 1;
      } else {
        const size_t end = std::min(text.find_first_of("; ", at), text.size());
        value = text.substr(at, end - at);
        at = end;
      }
    }
    ApplyProperty(name, value, style, context);
  }
}

}  // namespace rescuva::msgbox
