// Pictures in the drawing kit: filters, the transparent colour, and drop shadows.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "msgbox/draw_kit_images.h"
#include "msgbox/markup_drawer.h"
#include "tests/fake_markup_surface.h"

namespace rescuva::msgbox {
namespace {

QImage Filled(int w, int h, QColor colour) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

TEST(DrawKitImages, Filters) {
  QImage image = Filled(2, 1, QColor(100, 200, 40));
  image.setPixelColor(1, 0, QColor(255, 0, 255));  // the transparent key
  const auto grey = FilterImage(image, kImageGrey, 0xFF00FF);
  EXPECT_EQ(grey.pixelColor(0, 0), QColor(151, 151, 151));  // 29.9 + 117.4 + 4.56, truncated
  EXPECT_EQ(qAlpha(grey.pixel(1, 0)), 0);                   // left clear
  EXPECT_EQ(FilterImage(image, kImageDarker, std::nullopt).pixelColor(0, 0), QColor(75, 150, 30));
  EXPECT_EQ(FilterImage(image, kImageLighter, std::nullopt).pixelColor(0, 0), QColor(125, 250, 50));
  EXPECT_EQ(
      FilterImage(Filled(1, 1, QColor(220, 250, 0)), kImageLighter, std::nullopt).pixelColor(0, 0),
      QColor(255, 255, 0));
  EXPECT_EQ(FilterImage(image, kImageSilhouette, std::nullopt, 0x0000FF).pixelColor(0, 0),
            QColor(255, 0, 0));
  EXPECT_EQ(FilterImage(image, kImageInvert | kImageDarker, std::nullopt).pixelColor(0, 0),
            QColor(180, 105, 225));  // inverted last
}

TEST(DrawKitImages, SoftShadowLeavesAMarginOfHalfTheBlur) {
  ShadowSettings shadow;
  const QImage cast = ShadowImage(Filled(20, 20, Qt::red), true, std::nullopt, shadow);
  EXPECT_EQ(cast.pixelColor(2, 10), QColor(Qt::white));
  EXPECT_EQ(cast.pixelColor(10, 2), QColor(Qt::white));
  EXPECT_NE(cast.pixelColor(3, 10), QColor(Qt::white));
  EXPECT_EQ(cast.pixelColor(10, 10), QColor(0x7F, 0x7F, 0x7F));  // full shade inside
  const QImage hard = ShadowImage(Filled(4, 4, Qt::red), false, std::nullopt, shadow);
  EXPECT_EQ(hard.pixelColor(0, 0), QColor(0x7F, 0x7F, 0x7F));
}

TEST(DrawKitImages, ShadowAndPressedLook) {
  QImage canvas = Filled(30, 30, Qt::white);
  {
    QPainter painter(&canvas);
    DrawStyledImage(painter, QRect(0, 0, 10, 10), Filled(10, 10, Qt::blue), kImageHardShadow, 0,
                    std::nullopt, ShadowSettings{});
  }
  EXPECT_EQ(canvas.pixelColor(5, 5), QColor(Qt::blue));
  EXPECT_EQ(canvas.pixelColor(12, 12), QColor(0x7F, 0x7F, 0x7F));  // the shadow, offset by 4
  QImage pressed = Filled(30, 30, Qt::white);
  {
    QPainter painter(&pressed);
    DrawStyledImage(painter, QRect(0, 0, 10, 10), Filled(10, 10, Qt::blue), 0, kImageSoftShadow,
                    std::nullopt, ShadowSettings{});
  }
  EXPECT_EQ(pressed.pixelColor(1, 1), QColor(Qt::white));
  EXPECT_EQ(pressed.pixelColor(12, 12), QColor(Qt::blue));
}

TEST(DrawKitImages, MarkupImagesGrowByTheirShadowAndTakeFrames) {
  MarkupDrawer drawer([](int) { return ColourRef{0}; });
  testing::FakeMarkupSurface surface;
  drawer.Measure(surface, "<icon handle=0x1234 style=s>");
  EXPECT_EQ(drawer.Lines()[0].ascent, 32 + 4);
  drawer.Measure(surface, "<ilst handle=0x1234 cx=8 index=5 width=200%>");
  drawer.Draw(surface, {0, 0, 100, 100});
  ASSERT_EQ(surface.images.size(), 1u);
  EXPECT_EQ(surface.images[0].Width(), 16);
}

}  // namespace
}  // namespace rescuva::msgbox
