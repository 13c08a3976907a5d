#include "msgbox/system_colours.h"

#include <QGuiApplication>
#include <QPalette>

#include "msgbox/message_box_options.h"

namespace rescuva::msgbox {
namespace {

QColor PaletteColour(int index) {
  const QPalette palette = QGuiApplication::palette();
  switch (index) {
    case 5:
      return palette.color(QPalette::Base);  // window
    case 8:
      return palette.color(QPalette::Text);  // window text
    case 13:
      return palette.color(QPalette::Highlight);
    case 14:
      return palette.color(QPalette::HighlightedText);
    case 16:
      return palette.color(QPalette::Mid);  // button shadow
    case 17:
      return palette.color(QPalette::Disabled, QPalette::Text);  // grey text
    case 18:
      return palette.color(QPalette::ButtonText);
    case 20:
      return palette.color(QPalette::Light);  // button highlight
    case 21:
      return palette.color(QPalette::Shadow);  // 3-D dark shadow
    case 22:
      return palette.color(QPalette::Midlight);  // 3-D light
    case 23:
      return palette.color(QPalette::ToolTipText);
    case 24:
      return palette.color(QPalette::ToolTipBase);
    case 2:
      return palette.color(QPalette::Highlight);  // active caption
    case 7:
    case 9:
      return palette.color(QPalette::WindowText);  // menu and caption text
    case 1:
    case 12:
      return palette.color(QPalette::Dark);  // desktop, workspace
    case 6:
      return palette.color(QPalette::Shadow);  // window frame
    default:
      return palette.color(QPalette::Button);  // faces, borders, menus
  }
}

}  // namespace

ColourRef SystemColour(int index) {
  const QColor c = PaletteColour(index);
  return Rgb(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
             static_cast<uint8_t>(c.blue()));
}

ColourRef ResolveColour(ColourRef colour) {
  return colour & kSystemColourFlag ? SystemColour(static_cast<int>(colour & 0xFF)) : colour;
}

}  // namespace rescuva::msgbox
