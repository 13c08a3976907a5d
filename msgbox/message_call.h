// PPMessageBox: the one call through which the system shows a message, and the look
// every message of the application shares. What shows the box is installed by the
// program (a dialog in the desktop application, a line on stderr in the CLI).
#pragma once

#include <functional>

#include "msgbox/message_box_options.h"

namespace rescuva::msgbox {

// Shows the box described by the completed record and returns the result code.
using MessageBoxPresenter = std::function<int(const MessageBoxOptions&)>;

// Installs the presenter for the whole process; call once at start-up. Without one,
// the text goes to stderr and the box answers with its default button.
void SetMessageBoxPresenter(MessageBoxPresenter presenter);

// Copies `options` (or the defaults when null), fills in owner, text, caption and
// style from the arguments and shows the box. The caller's record is not changed.
int PPMessageBox(void* owner, const MessageText& text, const MessageText& caption, uint32_t style,
                 const MessageBoxOptions* options);

inline constexpr const char* kApplicationTitle = "Rescuva for Outlook Express";
// The program's own home page: the only address a link in a box may open.
inline constexpr const char* kHomePage = "https://rescuva.example.org/";
bool IsOwnAddress(const std::string& target);

// Text shown as it is inside a message's markup: recovered subjects, names and
// addresses never become tags.
std::string EscapeMarkup(const std::string& text);

// The application's common look: owner none, the application's title as caption and
// a vertical bump background (light blue, white, light blue).
MessageBoxOptions ApplicationMessageLook();

// Shows `text` in the application's look with style 0x40, 0x30 or 0x24.
int ShowApplicationMessage(const std::string& text, uint32_t style);

}  // namespace rescuva::msgbox
