// rescuva-msgbox-demo OUTPUT_FOLDER: renders the message box, the markup drawer and
// the colour picker's pop-up to PNG files, for looking at them.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "controls/colour_picker.h"
#include "msgbox/markup_drawer.h"
#include "msgbox/message_box_dialog.h"
#include "msgbox/message_call.h"
#include "msgbox/qt_markup_surface.h"
#include "msgbox/system_colours.h"

namespace {

using namespace rescuva;

bool Save(QWidget& widget, const QString& path) {
  widget.show();
  QApplication::processEvents();
  const bool saved = widget.grab().save(path);
  widget.hide();
  std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

bool SaveLook(const QString& folder, const char* name, const std::string& text, uint32_t style) {
  msgbox::MessageBoxOptions options = msgbox::ApplicationMessageLook();
  options.message_text = text;
  options.caption = std::string(msgbox::kApplicationTitle);
  options.style = style;
  msgbox::MessageBoxDialog box(options, nullptr);
  return Save(box, folder + "/" + name);
}

bool SaveRichBox(const QString& folder) {
  msgbox::MessageBoxOptions options = msgbox::ApplicationMessageLook();
  options.caption = std::string(msgbox::kApplicationTitle);
  options.style = msgbox::MB_YESNOCANCEL | msgbox::MB_ICONQUESTION | msgbox::PPMB_DONT_SHOW_AGAIN;
  options.header_height = 50;
  options.header_text = std::string("<h2>Save recovered messages</h2>");
  options.header_area = {
      1, 0, std::string("Step 3 of 4"), msgbox::kEffectHGradient, 0xFFFFFF, 0xFFFFFF, 0xFCE7D8};
  options.message_text = std::string(
      "<b>1,204</b> messages are ready to be saved.<br>Save them as a new folder file now?");
  options.control_area = {1, 2, std::string("Your choice"), -1};
  options.details_text = std::string(
      "<table border=1 cellpadding=3><tr><td bgcolor=#fce7d8><b>Existing</b></td><td>903</td></tr>"
      "<tr><td bgcolor=#fce7d8><b>Deleted</b></td><td><font "
      "color=red>301</font></td></tr></table>");
  options.details_area = {1, 0, std::string("Details"), -1};
  options.timeout = 9;
  msgbox::MessageBoxDialog box(options, nullptr);
  box.Press(msgbox::IDMORE);
  return Save(box, folder + "/box-header-details-countdown.png");
}

bool SaveMarkup(const QString& folder) {
  msgbox::MarkupDrawer drawer(msgbox::SystemColour);
  const std::string text =
      "<h1>Markup sample</h1>Text in <b>bold</b>, <i>italic</i>, <u>underlined</u> and "
      "<font color=#990000 face=Arial>Arial</font>.<br><span class=cpp-comment>// a "
      "comment</span> &amp; a <a href=\"https://example.org\">link</a> (hovered: <a "
      "msg=\"x\">this one</a>).<br><hr width=80% color=gray><br>"
      "<table border=1 cellpadding=4 bordercolor=navy><tr><td bgcolor=#fce7d8 colspan=2><center><b>"
      "Table</b></center></td></tr><tr><td width=60>left</td><td>right cell, stretched</td></tr>"
      "<tr><td bgeffect=vgradient bgcolor=white bgendcolor=#fce7d8>gradient</td><td "
      "valign=middle><right>right aligned</right></td></tr></table>";
  QImage image(460, 260, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  msgbox::QtMarkupSurface surface(painter);
  drawer.Measure(surface, text);
  drawer.HitTest(-1, -1);
  drawer.Draw(surface, {10, 10, 450, 250});
  const auto& links = drawer.Links();
  if (links.size() > 1) {
    drawer.HitTest(links[1].rect.left + 1, links[1].rect.top + 1);  // hover the second link
    painter.fillRect(image.rect(), Qt::white);
    drawer.Draw(surface, {10, 10, 450, 250});
  }
  painter.end();
  const QString path = folder + "/markup-sample.png";
  const bool saved = image.save(path);
  std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

bool SavePopup(const QString& folder) {
  controls::CColourPicker picker;
  picker.SetColour(controls::kPopupColours[13].colour);
  picker.resize(60, 24);
  picker.show();
  picker.DropDown();
  controls::ColourPopup* popup = picker.Popup();
  popup->show();
  QApplication::processEvents();
  const QString path = folder + "/colour-popup.png";
  const bool saved = popup->grab().save(path);
  std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  popup->End(false);
  return saved && Save(picker, folder + "/colour-picker.png");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(folder);
  bool ok = SaveLook(folder, "look-information.png", "Unable to open file...", 0x40);
  ok &= SaveLook(folder, "look-exclamation.png", "Please select emails to save", 0x30);
  ok &= SaveLook(folder, "look-question.png", "Do you really want to stop saving process", 0x24);
  ok &= SaveRichBox(folder);
  ok &= SaveMarkup(folder);
  ok &= SavePopup(folder);
  return ok ? 0 : 1;
}
