// The markup's style sheet: named rules ("body", "a:hover", ".cpp-comment") whose
// declarations change the current style record.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "msgbox/style_record.h"
#include "msgbox/style_values.h"

namespace rescuva::msgbox {

class StyleSheet {
 public:
  StyleSheet();  // the default sheet

  // Nothing installs the default sheet; an empty text leaves no rules. A later rule
  // with the same selector replaces an earlier one.
  void SetText(const std::optional<std::string>& text);
  // Applies the declarations of the rule named `selector` (any case); an unknown
  // selector changes nothing.
  void ApplyRule(const std::string& selector, StyleRecord& style,
                 const ValueContext& context) const;
  std::optional<std::string> Declarations(const std::string& selector) const;

  // Applies one declaration text ("color:red; font-size:10pt") to the style.
  static void ApplyDeclarations(const std::string& declarations, StyleRecord& style,
                                const ValueContext& context);

 private:
  std::string text_;
  std::map<std::string, std::string> rules_;
};

extern const char* const kDefaultStyleSheet;

}  // namespace rescuva::msgbox
