// Background effects: gradient bands, texture palettes and profiles, and what the
// drawing kit puts on a picture.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "msgbox/background_effects.h"
#include "msgbox/draw_kit.h"

namespace rescuva::msgbox {
namespace {

constexpr ColourRef kLightBlue = 0xFCE7D8;

TEST(GradientBands, SixtyFourBandsCoverTheSpan) {
  const auto bands = GradientBands(5, 10, 0x000000, 0xFFFFFF);
  ASSERT_EQ(bands.size(), 10u);  // the other 54 bands are empty
  EXPECT_EQ(bands.front().from, 5);
  EXPECT_EQ(bands.back().to, 15);
  for (size_t i = 1; i < bands.size(); ++i) EXPECT_EQ(bands[i].from, bands[i - 1].to);
  const auto wide = GradientBands(0, 640, 0x000000, 0x0000FF);
  ASSERT_EQ(wide.size(), 64u);
  EXPECT_EQ(wide[0].colour, 0x000000u);
  EXPECT_EQ(wide[32].colour, 0x00007Fu);                              // 255 * 32 / 64, truncated
  EXPECT_EQ(wide[63].colour, static_cast<ColourRef>(255 * 63 / 64));  // never quite the end colour
}

TEST(Textures, PaletteRunsFromColourThreeToColourOne) {
  const auto palette = TexturePalette(0x0000FF, 0x00FF00, 0xFF0000, 0);
  EXPECT_EQ(palette[0], 0xFF0000u);
  EXPECT_EQ(palette[255], 0x0000FFu);
  EXPECT_EQ(palette[128], Rgb(1, 253, 0));  // (127 colour 2 + colour 1) / 128
  const auto tinted = TexturePalette(0x0000FF, 0x00FF00, 0xFF0000, 100);
  EXPECT_EQ(tinted[0], 0x0000FFu);
}

TEST(Textures, VerticalBumpProfile) {
  TextureRandom random;
  const auto t = MakeTexture(kEffectVBump, 256, 4, kLightBlue, 0xFFFFFF, kLightBlue, 0, 0, random);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->pixels[0], 0);             // leftmost column: 256 stored as 0
  EXPECT_EQ(t->pixels[128], 128);         // centre column
  EXPECT_EQ(t->pixels[64], 144);          // k = 64
  EXPECT_EQ(t->palette[128], 0xFEFEFEu);  // almost white
}

TEST(Textures, NoiseOfZeroIsAlmostAlwaysZero) {
  TextureRandom random;
  const auto t = MakeTexture(kEffectNoise, 64, 64, 0, 0, 0, 0, 0, random);
  int other = 0;
  for (uint8_t p : t->pixels) other += p != 128;
  EXPECT_LE(other, 2);
}

TEST(Textures, EveryEffectCopesWithTinyAndOddSizes) {
  TextureRandom random;
  for (int effect = kEffectNoise; effect <= kEffectMetal; ++effect) {
    for (auto [w, h] : {std::pair{1, 1}, {2, 1}, {5, 3}, {7, 40}, {300, 2}}) {
      const auto t = MakeTexture(effect, w, h, 0xFFFFFF, 0x808080, 0, 20, 10, random);
      ASSERT_TRUE(t);
      EXPECT_EQ(t->pixels.size(), static_cast<size_t>(w * h));
    }
  }
  EXPECT_FALSE(MakeTexture(kEffectSolid, 4, 4, 0, 0, 0, 0, 0, random));
  EXPECT_FALSE(MakeTexture(kEffectVBump, 0, 4, 0, 0, 0, 0, 0, random));
  EXPECT_EQ(EffectFromKeyword("vbump"), 12);
  EXPECT_EQ(EffectFromKeyword("transparent"), -1);
  EXPECT_FALSE(EffectFromKeyword("12"));
}

TEST(DrawKitPicture, MessageLookIsWhiteInTheMiddleAndLightBlueAtTheEdges) {
  QImage image(400, 100, QImage::Format_RGB32);
  image.fill(Qt::black);
  {
    QPainter painter(&image);
    DrawKit kit;
    kit.FillEffect(painter, kEffectVBump, image.rect(), kLightBlue, 0xFFFFFF, kLightBlue);
  }
  const QColor centre = image.pixelColor(200, 50);
  EXPECT_GE(centre.red(), 250);
  EXPECT_GE(centre.green(), 250);
  EXPECT_GE(centre.blue(), 250);
  const QColor edge = image.pixelColor(1, 50);
  EXPECT_EQ(edge.blue(), 0xFC);
  EXPECT_LT(edge.red(), 0xE0);
}

TEST(DrawKitPicture, BordersAndDoubleLines) {
  QImage image(50, 50, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    DrawKit kit;
    kit.Border(painter, QRect(10, 10, 30, 30), 0x0000FF, 0xFF0000, 1, 1);
    kit.Line(painter, 0, 2, 49, 2, 0x000000, 6, 1);
    kit.Line(painter, 0, 45, 49, 45, 0x000000, 0, 3);  // style 0 draws nothing
  }
  EXPECT_EQ(image.pixelColor(10, 25), QColor(255, 0, 0));  // light left edge
  EXPECT_EQ(image.pixelColor(40, 25), QColor(0, 0, 255));  // dark right edge
  EXPECT_EQ(image.pixelColor(25, 2), QColor(0, 0, 0));
  EXPECT_EQ(image.pixelColor(25, 4), QColor(0, 0, 0));  // the second line, two widths below
  EXPECT_EQ(image.pixelColor(25, 3), QColor(255, 255, 255));
  EXPECT_EQ(image.pixelColor(25, 45), QColor(255, 255, 255));
}

}  // namespace
}  // namespace rescuva::msgbox
