// What only pixels can tell: a hovered link drawn in its hover style.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "msgbox/markup_drawer.h"
#include "msgbox/qt_markup_surface.h"
#include "msgbox/system_colours.h"

namespace rescuva::msgbox {
namespace {

// Rows of the picture that hold a red pixel.
std::vector<int> RedRows(const QImage& image) {
  std::vector<int> rows;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 200 && c.green() < 80 && c.blue() < 80) {
        rows.push_back(y);
        break;
      }
    }
  }
  return rows;
}

TEST(MarkupRendering, HoveredRedLinkIsUnderlined) {
  MarkupDrawer drawer(SystemColour);
  drawer.Sheet().SetText(
      std::string("a:link {text-decoration:none; color:red}\n"
                  "a:hover {text-decoration:underline; color:red}"));
  QImage image(200, 40, QImage::Format_RGB32);
  auto render = [&] {
    image.fill(Qt::white);
    QPainter painter(&image);
    QtMarkupSurface surface(painter);
    drawer.Measure(surface, "<a href=\"https://example.org\">link text</a>");
    drawer.Draw(surface, {0, 0, 200, 40});
  };
  render();
  const auto plain = RedRows(image);
  ASSERT_FALSE(plain.empty());
  ASSERT_EQ(drawer.Links().size(), 1u);
  const MarkupRect link = drawer.Links()[0].rect;
  drawer.HitTest(link.left + 2, link.top + 2);
  render();
  const auto hovered = RedRows(image);
  // the underline adds red rows below the letters' baseline
  EXPECT_GT(hovered.back(), plain.back());
}

}  // namespace
}  // namespace rescuva::msgbox
