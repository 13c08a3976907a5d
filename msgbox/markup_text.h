// Reading markup text: entities and line feeds before layout, and the tokens (text
// runs and tags with their attributes) the layout walks through.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace rescuva::msgbox {

// Entities replaced, carriage returns removed, and with `line_feeds` each line feed
// turned into <br> and each tab into <t> (removed otherwise).
std::string PreprocessMarkup(const std::string& text, bool line_feeds);

struct MarkupToken {
  bool is_tag = false;
  std::string text;  // a run's text
  std::string name;  // a tag's name; a closing tag's starts with '/'
  std::string rest;  // what follows the name: the attributes
};

// The token at `at` (which it moves past); nothing at the end of the text.
std::optional<MarkupToken> NextToken(const std::string& text, size_t& at);

// Attributes by name, from the text after a tag's name.
std::map<std::string, std::string> ParseAttributes(const std::string& rest);

// The position of "<" + name at or after `from`, passing over any "<" preceded by
// another "<"; npos when there is none.
size_t FindTag(const std::string& text, const std::string& name, size_t from);

// The position just after the ">" of the closing tag that matches the opening tag
// `name` at `open`, counting nested ones; the end of the text when there is none.
size_t FindMatchingEnd(const std::string& text, const std::string& name, size_t open);

}  // namespace rescuva::msgbox
