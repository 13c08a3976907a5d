// Background effects computed without a surface: the 64 bands of a gradient, and the
// palettised texture bitmaps (noise, shades, bumps, metal) with their palettes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "msgbox/colour_table.h"

namespace rescuva::msgbox {

enum BackgroundEffect : int {
  kEffectTransparent = -1,
  kEffectSolid = 0,
  kEffectHGradient = 1,
  kEffectVGradient = 2,
  kEffectHCGradient = 3,
  kEffectVCGradient = 4,
  kEffect3HGradient = 5,
  kEffect3VGradient = 6,
  kEffectNoise = 7,
  kEffectDiagShade = 8,
  kEffectHShade = 9,
  kEffectVShade = 10,
  kEffectHBump = 11,
  kEffectVBump = 12,
  kEffectSoftBump = 13,
  kEffectHardBump = 14,
  kEffectMetal = 15,
};

// The effect a keyword names ("vbump" is 12); nothing for other text.
std::optional<int> EffectFromKeyword(const std::string& keyword);

// One band of a gradient: [from, to) along the gradient's axis, in one colour.
struct GradientBand {
  int from = 0;
  int to = 0;
  ColourRef colour = 0;
};

// A gradient from `a` to `b` over [start, start + length) in 64 bands; empty bands are
// left out, and the last band has the colour (a + 63 b) / 64.
std::vector<GradientBand> GradientBands(int start, int length, ColourRef a, ColourRef b);

// The texture generator's random numbers: 0 ... 32767, a fixed sequence per seed.
class TextureRandom {
 public:
  explicit TextureRandom(uint32_t seed = 1) : state_(seed) {}
  int Next();

 private:
  uint32_t state_;
};

// An 8-bit palettised picture, rows stored bottom-up (row 0 is the bottom row).
struct TextureBitmap {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // row r at r * width
  std::array<ColourRef, 256> palette{};

  uint8_t& At(int column, int row) { return pixels[static_cast<size_t>(row) * width + column]; }
  // Sets a pixel given top-down; positions outside are ignored.
  void SetTopDown(int x, int y, uint8_t index);
  ColourRef ColourTopDown(int x, int y) const;
};

// Index 0 is colour 3, index 255 colour 1, colour 2 in the middle; tinted towards
// colour 1 by `tint` percent.
std::array<ColourRef, 256> TexturePalette(ColourRef colour1, ColourRef colour2, ColourRef colour3,
                                          int tint);

// The texture of an effect from 7 (noise) to 15 (metal) for a width x height area;
// nothing for other effects or an empty area.
std::optional<TextureBitmap> MakeTexture(int effect, int width, int height, ColourRef colour1,
                                         ColourRef colour2, ColourRef colour3, int noise, int tint,
                                         TextureRandom& random);

}  // namespace rescuva::msgbox
