// The browser view with untrusted messages: an inline cid: picture is drawn, a script
// never runs, a remote picture is never requested, and key presses do nothing.
#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <QWebEngineView>

#include "tests/temp_dir.h"
#include "views/htm_view.h"

namespace rescuva::views {
namespace {

// A 16 x 16 picture of red and blue squares, as the sample's HTML message holds it.
constexpr const char* kPicture =
    "iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAIAAACQkWg2AAAAJElEQVR42mO4YGAARwYJF+"
    "AIlzjDINRAjCJk8cGoYTQeBoUGAGB6SBAa6oyiAAAAAElFTkSuQmCC";

std::string Message(const std::string& html) {
  return "From: a@example.org\r\nSubject: s\r\nMIME-Version: 1.0\r\n"
         "Content-Type: multipart/related; boundary=\"rel\"; type=\"text/html\"\r\n\r\n"
         "--rel\r\nContent-Type: text/html; charset=utf-8\r\nContent-Location: "
         "file:///message.html\r\n\r\n" +
         html +
         "\r\n--rel\r\nContent-Type: image/png\r\nContent-Transfer-Encoding: base64\r\n"
         "Content-ID: <pic@example.org>\r\n\r\n" +
         kPicture + "\r\n--rel--\r\n";
}

class BrowserTest : public ::testing::Test {
 protected:
  QString Show(const std::string& html, const char* name = "0dddd.mhtml") {
    const QString path = QString::fromStdString(dir_.Path()) + "/" + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(QString(name).endsWith(".mhtml") ? Message(html) : html));
    file.close();
    view_.resize(400, 300);
    view_.show();
    view_.Navigate(path);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view_.Idle(); }, 30000));
    QTest::qWait(300);  // the first frame
    return path;
  }
  testing::TempDir dir_;
  CHtm view_;
};

bool HasRed(const QImage& image) {
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 180 && c.green() < 90 && c.blue() < 90) return true;
    }
  }
  return false;
}

TEST_F(BrowserTest, InlinePicturesAreDrawn) {
  Show("<html><body><img src=\"cid:pic@example.org\" width=\"128\" height=\"128\"></body></html>");
  EXPECT_TRUE(QTest::qWaitFor([&] { return HasRed(view_.View().grab().toImage()); }, 10000));
}

TEST_F(BrowserTest, ScriptsDoNotRunAndRemotePicturesAreNotFetched) {
  const std::string page =
      "<html><head><title>quiet</title></head><body><script>document.title = 'ran';</script>"
      "<img src=\"http://192.0.2.1/track.png\"></body></html>";
  Show(page);
  EXPECT_EQ(view_.View().title(), "quiet");
  // a message archive never asks for anything outside itself
  EXPECT_TRUE(view_.BlockedRequests().isEmpty());
  // a link out of the message is refused before anything leaves the machine
  view_.View().load(QUrl("http://192.0.2.1/"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !view_.BlockedRequests().isEmpty(); }, 5000));
  EXPECT_TRUE(view_.BlockedRequests().front().startsWith("http://192.0.2.1"));
}

TEST_F(BrowserTest, KeyPressesDoNothing) {
  Show("<html><body style=\"height:5000px\">long</body></html>");
  const QPointF before = view_.View().page()->scrollPosition();
  QWidget* target = view_.View().focusProxy() ? view_.View().focusProxy() : &view_.View();
  QTest::keyClick(target, Qt::Key_PageDown);
  QTest::keyClick(target, Qt::Key_Down);
  QTest::qWait(300);
  EXPECT_EQ(view_.View().page()->scrollPosition(), before);
}

// A link is followed only where the view's owner says so, and then only to a file on
// this machine (the guide's pages); a recovered message's links go nowhere.
TEST_F(BrowserTest, LinksAreFollowedOnlyToLocalPagesWhenAskedFor) {
  const std::string target = dir_.Path() + "/second.html";
  {
    QFile second(QString::fromStdString(target));
    ASSERT_TRUE(second.open(QIODevice::WriteOnly));
    second.write("<html><head><title>second</title></head><body>two</body></html>");
  }
  const std::string page =
      "<html><head><title>first</title></head><body style=\"margin:0\">"
      "<a href=\"second.html\" style=\"display:block;height:2000px\">x</a>"
      "</body></html>";
  auto click = [&] {
    QTest::mouseClick(view_.View().focusProxy(), Qt::LeftButton, {}, QPoint(40, 40));
    QTest::qWait(1500);
    return view_.View().title();
  };
  Show(page, "first.html");
  EXPECT_EQ(click(), "first");
  view_.FollowLocalLinks();
  EXPECT_EQ(click(), "second");
}

}  // namespace
}  // namespace rescuva::views
