// The record a caller fills to describe one message box, the style word's flags and
// the result codes the box returns.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>

namespace rescuva::msgbox {

// A text given either as UTF-8 or as a string-resource number (below 0x10000).
using MessageText = std::variant<std::string, uint32_t>;

// A system colour stands in a COLORREF field as this flag plus the colour index; the
// box resolves it through the palette when it draws.
constexpr uint32_t kSystemColourFlag = 0x80000000u;
constexpr uint32_t kColourButtonFace = kSystemColourFlag | 15u;

// Button sets (style & 0xF).
constexpr uint32_t MB_OK = 0x0;
constexpr uint32_t MB_OKCANCEL = 0x1;
constexpr uint32_t MB_ABORTRETRYIGNORE = 0x2;
constexpr uint32_t MB_YESNOCANCEL = 0x3;
constexpr uint32_t MB_YESNO = 0x4;
constexpr uint32_t MB_RETRYCANCEL = 0x5;
constexpr uint32_t MB_CANCELTRYCONTINUE = 0x6;
constexpr uint32_t PPMB_CONTINUEABORT = 0x7;
constexpr uint32_t PPMB_SKIPSKIPALLCANCEL = 0x8;
constexpr uint32_t PPMB_IGNOREIGNOREALLCANCEL = 0x9;
constexpr uint32_t kButtonSetMask = 0xF;

// Icons (style & 0xF0).
constexpr uint32_t MB_ICONSTOP = 0x10;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr uint32_t MB_ICONINFORMATION = 0x40;
constexpr uint32_t PPMB_ICONCUSTOM = 0x80;
constexpr uint32_t kIconMask = 0xF0;

constexpr uint32_t kDefaultButtonMask = 0xF00;  // n << 8: index of the default button
constexpr uint32_t MB_HELP = 0x00004000;
constexpr uint32_t MB_SETFOREGROUND = 0x00010000;
constexpr uint32_t MB_TOPMOST = 0x00040000;
constexpr uint32_t MB_RIGHT = 0x00080000;
constexpr uint32_t PPMB_DONT_SHOW_AGAIN = 0x01000000;
constexpr uint32_t PPMB_DONT_SHOW_AGAIN_CHECKED = 0x02000000;
constexpr uint32_t PPMB_CHECKBOX_AT_BOTTOM = 0x04000000;
constexpr uint32_t PPMB_ADD_YES_TO_ALL = 0x08000000;
constexpr uint32_t PPMB_ADD_NO_TO_ALL = 0x10000000;
constexpr uint32_t PPMB_NO_STRING_RESOURCES = 0x20000000;
constexpr uint32_t PPMB_SILENT = 0x40000000;

// Result codes.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDHELP = 9;
constexpr int IDCONTINUE = 11;
constexpr int IDSKIP = 14;
constexpr int IDSKIPALL = 15;
constexpr int IDIGNOREALL = 16;
constexpr int IDYESTOALL = 19;
constexpr int IDNOTOALL = 20;
constexpr int IDREPORT = 21;
constexpr int IDCUSTOM1 = 23;
constexpr int IDMORE = 31;

struct MessageBoxArea {
  int32_t separator_style = 0;    // 0 none, 1 etched, 2 black line, 3 white line
  int32_t caption_alignment = 0;  // 0 left, 1 right, 2 centre
  MessageText caption;
  int32_t background_effect = -1;  // -1 none, else a background effect number
  uint32_t colour1 = kColourButtonFace;
  uint32_t colour2 = kColourButtonFace;
  uint32_t colour3 = kColourButtonFace;
};

using LabelTable = std::map<uint32_t, MessageText>;
// A string table: what texts given as resource numbers are looked up in.
using StringTable = std::map<uint32_t, std::string>;

struct MessageBoxOptions {
  void* owner = nullptr;
  const StringTable* string_module = nullptr;  // null: the program's own strings
  const void* icon_module = nullptr;
  MessageText caption;
  std::string remember_prefix;
  std::string company_name;
  int32_t remember_number = 0;
  uint32_t report_message = 0;
  MessageBoxArea body_area;
  int32_t header_height = 0;
  MessageText header_text;
  MessageBoxArea header_area;
  MessageText message_text;
  int32_t button_alignment = 2;
  uint32_t style = MB_ICONEXCLAMATION;
  MessageBoxArea control_area;
  MessageText details_text;
  MessageBoxArea details_area;
  int32_t timeout = 0;
  int32_t delay = 0;
  int32_t countdown_in_caption = 0;
  uint32_t help_context = 0;
  MessageText custom_icon;
  MessageText custom_buttons;
  MessageText check_box_label;
  const LabelTable* label_table = nullptr;
};

}  // namespace rescuva::msgbox
