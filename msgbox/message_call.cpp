#include "msgbox/message_call.h"

#include <cstdio>
#include <mutex>

#include "msgbox/button_sets.h"

namespace rescuva::msgbox {
namespace {

std::mutex presenter_mutex;
MessageBoxPresenter installed_presenter;

int PrintToStderr(const MessageBoxOptions& options) {
  if (const auto* text = std::get_if<std::string>(&options.message_text)) {
    std::fprintf(stderr, "%s\n", text->c_str());
  }
  auto buttons = ButtonsFor(options);
  return buttons[DefaultButtonIndex(options.style, buttons.size())];
}

}  // namespace

void SetMessageBoxPresenter(MessageBoxPresenter presenter) {
  std::lock_guard lock(presenter_mutex);
  installed_presenter = std::move(presenter);
}

int PPMessageBox(void* owner, const MessageText& text, const MessageText& caption, uint32_t style,
                 const MessageBoxOptions* options) {
  MessageBoxOptions copy = options ? *options : MessageBoxOptions{};
  copy.owner = owner;
  copy.message_text = text;
  copy.caption = caption;
  copy.style = style;
  MessageBoxPresenter presenter;
  {
    std::lock_guard lock(presenter_mutex);
    presenter = installed_presenter;
  }
  return presenter ? presenter(copy) : PrintToStderr(copy);
}

bool IsOwnAddress(const std::string& target) {
  return target.starts_with(kHomePage);
}

// "<<" is the markup's literal "<"; the entities that remain only ever make text.
std::string EscapeMarkup(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '<') out += '<';
    out += c;
  }
  return out;
}

MessageBoxOptions ApplicationMessageLook() {
  MessageBoxOptions look;
  look.body_area.background_effect = 12;  // vertical bump
  look.body_area.caption_alignment = 2;
  look.body_area.colour1 = 0xFCE7D8;
  look.body_area.colour2 = 0xFFFFFF;
  look.body_area.colour3 = 0xFCE7D8;
  return look;
}

int ShowApplicationMessage(const std::string& text, uint32_t style) {
  MessageBoxOptions look = ApplicationMessageLook();
  return PPMessageBox(nullptr, text, std::string(kApplicationTitle), style, &look);
}

}  // namespace rescuva::msgbox
