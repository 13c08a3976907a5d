// What the browser shows of the HTML messages mail programs write: the archive the
// preview writes from the loaded message renders the HTML body, in its charset, and
// never the text alternative.
#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <cstdlib>

#include "loader/message_loader.h"
#include "tests/temp_dir.h"
#include "views/htm_view.h"

namespace rescuva::views {
namespace {

const std::string kHead =
    "From: a@example.org\r\nTo: b@example.org\r\nSubject: s\r\nMIME-Version: 1.0\r\n";
const std::string kText = "Content-Type: text/plain; charset=us-ascii\r\n\r\nplainwords only\r\n";
const std::string kHtml =
    "Content-Type: text/html; charset=us-ascii\r\n\r\n<html><body><p>htmlwords "
    "shown</p></body></html>\r\n";

std::string Multipart(const std::string& subtype, const std::vector<std::string>& parts,
                      const std::string& boundary = "b1") {
  std::string text =
      "Content-Type: multipart/" + subtype + "; boundary=\"" + boundary + "\"\r\n\r\n";
  for (const auto& part : parts) text += "--" + boundary + "\r\n" + part + "\r\n";
  return text + "--" + boundary + "--\r\n";
}

class HtmlPreviewTest : public ::testing::Test {
 protected:
  // The text of the page the browser shows for the message, which `name` labels in
  // the picture of the cases.
  QString Shown(const std::string& message, const QString& name = {}) {
    const auto loaded = loader::LoadMessage({message.data(), message.size()});
    EXPECT_TRUE(loaded);
    if (!loaded) return {};
    const std::string archive = loader::MhtmlArchive(*loaded);
    EXPECT_FALSE(archive.empty());
    const QString path =
        QString::fromStdString(dir_.Path()) + QString("/%1dddd.mhtml").arg(serial_++);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(archive));
    file.close();
    view_.resize(500, 300);
    view_.show();
    view_.Navigate(path);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view_.Idle(); }, 30000));
    QString text;
    bool done = false;
    view_.View().page()->toPlainText([&](const QString& page) {
      text = page;
      done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
    if (std::getenv("RESCUVA_SCREENSHOTS")) {
      QTest::qWait(300);
      tiles_.emplace_back(name, view_.grab());
    }
    return text;
  }
  // With RESCUVA_SCREENSHOTS=DIR: the pages shown, side by side with their labels.
  void SavePicture(const char* file) {
    const char* folder = std::getenv("RESCUVA_SCREENSHOTS");
    if (!folder || tiles_.empty()) return;
    constexpr int kColumns = 3, kWidth = 300, kHeight = 70, kLabel = 22;
    const int rows = (static_cast<int>(tiles_.size()) + kColumns - 1) / kColumns;
    QImage picture(kColumns * kWidth, rows * (kHeight + kLabel), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    for (size_t i = 0; i < tiles_.size(); ++i) {
      const int x = static_cast<int>(i) % kColumns * kWidth;
      const int y = static_cast<int>(i) / kColumns * (kHeight + kLabel);
      painter.drawText(QRect(x + 4, y, kWidth - 8, kLabel), Qt::AlignVCenter, tiles_[i].first);
      painter.drawPixmap(QRect(x + 4, y + kLabel, kWidth - 8, kHeight - 8),
                         tiles_[i].second.copy(0, 0, kWidth - 8, kHeight - 8));
      painter.drawRect(QRect(x + 4, y + kLabel, kWidth - 9, kHeight - 9));
    }
    painter.end();
    picture.save(QString("%1/%2").arg(folder, file));
  }

  testing::TempDir dir_;
  CHtm view_;
  int serial_ = 0;
  std::vector<std::pair<QString, QPixmap>> tiles_;
};

TEST_F(HtmlPreviewTest, TheHtmlBodyOfEveryStructureIsShown) {
  const std::string picture =
      "Content-Type: image/png\r\nContent-ID: <p1@example.org>\r\nContent-Transfer-Encoding: "
      "base64\r\n\r\niVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0g"
      "AAAABJRU5ErkJggg==\r\n";
  const std::string related_html =
      "Content-Type: text/html; charset=us-ascii\r\n\r\n<p>htmlwords shown <img "
      "src=\"cid:p1@example.org\"></p>\r\n";
  const std::string attachment =
      "Content-Type: application/pdf; name=\"a.pdf\"\r\nContent-Disposition: attachment; "
      "filename=\"a.pdf\"\r\nContent-Transfer-Encoding: base64\r\n\r\nJVBERi0=\r\n";
  const std::string forwarded =
      "Content-Type: message/rfc822\r\n\r\nFrom: c@example.org\r\nSubject: inner\r\n"
      "Content-Type: text/html\r\n\r\n<p>innerwords</p>\r\n";
  const std::pair<const char*, std::string> cases[] = {
      {"a lone text/html", kHead + kHtml},
      {"alternative, text first", kHead + Multipart("alternative", {kText, kHtml})},
      {"alternative, HTML first", kHead + Multipart("alternative", {kHtml, kText})},
      {"alternative inside mixed with an attachment",
       kHead + Multipart("mixed", {Multipart("alternative", {kText, kHtml}, "b2"), attachment})},
      {"related inside alternative",
       kHead +
           Multipart("alternative", {kText, Multipart("related", {related_html, picture}, "b2")})},
      {"quoted-printable",
       kHead + "Content-Type: text/html\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
               "<p>html=\r\nwords shown</p>\r\n"},
      {"base64", kHead + "Content-Type: text/html\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                         "PHA+aHRtbHdvcmRzIHNob3duPC9wPg==\r\n"},
      {"a forwarded message", kHead + Multipart("mixed", {kHtml, forwarded})},
      {"a deleted message whose first bytes were lost",
       "____ived: from x\r\n" + kHead + Multipart("alternative", {kText, kHtml}) + "______"},
  };
  for (const auto& [name, message] : cases) {
    const QString shown = Shown(message, name);
    EXPECT_TRUE(shown.contains("htmlwords shown")) << name << ": " << shown.toStdString();
    EXPECT_FALSE(shown.contains("plainwords")) << name;
    EXPECT_FALSE(shown.contains("innerwords")) << name;
  }
  SavePicture("preview-html-structures.png");
}

TEST_F(HtmlPreviewTest, EveryCharsetIsDecoded) {
  // the body's bytes in each charset, with what the page must read
  const std::tuple<const char*, std::string, QString> cases[] = {
      {"windows-1252",
       "Gr\xFC\xDF"
       "e \x80 \x93quoted\x94",
       QString::fromUtf8("Grüße € “quoted”")},
      {"iso-8859-1", "caf\xE9 na\xEFve", QString::fromUtf8("café naïve")},
      {"utf-8",
       "\xC3\x9C"
       "bersicht \xE2\x80\x93 ok",
       QString::fromUtf8("Übersicht – ok")},
      {"koi8-r", "\xF0\xD2\xC9\xD7\xC5\xD4", QString::fromUtf8("Привет")},
      {"gb2312", "\xC4\xE3\xBA\xC3", QString::fromUtf8("你好")},
      {"",
       "Gr\xFC\xDF"
       "e",
       QString::fromUtf8("Grüße")},  // 8-bit text with no charset
  };
  for (const auto& [charset, body, expected] : cases) {
    const std::string type = *charset ? std::string("; charset=") + charset : std::string();
    // the page also names its charset itself, as Outlook Express writes it
    const std::string message =
        kHead + "Content-Type: text/html" + type + "\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" +
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=" +
        (*charset ? charset : "windows-1252") + "\"></head><body><p>" + body +
        "</p></body></html>\r\n";
    const QString shown = Shown(message, *charset ? charset : "8-bit, no charset");
    EXPECT_TRUE(shown.contains(expected)) << charset << ": " << shown.toStdString();
  }
  SavePicture("preview-html-charsets.png");
}

TEST(HtmlArchive, PlainTextMessagesHaveNone) {
  const std::string message = kHead + kText;
  const auto loaded = loader::LoadMessage({message.data(), message.size()});
  ASSERT_TRUE(loaded);
  EXPECT_TRUE(loader::MhtmlArchive(*loaded).empty());
}

}  // namespace
}  // namespace rescuva::views
