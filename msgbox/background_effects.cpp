#include "msgbox/background_effects.h"

#include <algorithm>

namespace rescuva::msgbox {
namespace {

constexpr const char* kKeywords[] = {"solid",      "hgradient",  "vgradient",  "hcgradient",
                                     "vcgradient", "3hgradient", "3vgradient", "noise",
                                     "diagshade",  "hshade",     "vshade",     "hbump",
                                     "vbump",      "softbump",   "hardbump",   "metal"};

ColourRef Mix(ColourRef a, int weight_a, ColourRef b, int weight_b, int divisor) {
  auto channel = [&](uint8_t x, uint8_t y) {
    return static_cast<uint8_t>((x * weight_a + y * weight_b) / divisor);
  };
  return Rgb(channel(RedOf(a), RedOf(b)), channel(GreenOf(a), GreenOf(b)),
             channel(BlueOf(a), BlueOf(b)));
}

int Cube(int k) {
  return ((k * k * k) / 128) / 128;
}

// The pixel value every store and addition wraps to.
uint8_t Wrap(int value) {
  return static_cast<uint8_t>(value & 0xFF);
}

void DrawScratches(TextureBitmap& t, TextureRandom& random) {
  const int w = t.width, h = t.height;
  auto scaled = [&](int range) { return random.Next() / std::max(1, 32767 / range); };
  for (int i = 0; i < 200; ++i) {
    const int x0 = scaled(w);
    const int y0 = scaled(h);
    const int length = scaled(std::min(w, h)) / 2;
    const auto shade = static_cast<uint8_t>(random.Next() / 819);
    for (int k = 0; k < length; ++k) {
      if (x0 - k > 0 && y0 + k < h) t.SetTopDown(x0 - k, y0 + k, shade);
      if (x0 + k < w && y0 - k > 0) t.SetTopDown(w - x0 + k, y0 - k, shade);
    }
  }
}

}  // namespace

std::optional<int> EffectFromKeyword(const std::string& keyword) {
  if (keyword == "transparent") return kEffectTransparent;
  for (int i = 0; i < 16; ++i) {
    if (keyword == kKeywords[i]) return i;
  }
  return std::nullopt;
}

std::vector<GradientBand> GradientBands(int start, int length, ColourRef a, ColourRef b) {
  std::vector<GradientBand> bands;
  for (int i = 0; i < 64; ++i) {
    const int from = start + i * length / 64;
    const int to = start + (i + 1) * length / 64;
    if (to > from) bands.push_back({from, to, Mix(a, 64 - i, b, i, 64)});
  }
  return bands;
}

int TextureRandom::Next() {
  state_ = state_ * 214013u + 2531011u;
  return static_cast<int>((state_ >> 16) & 0x7FFF);
}

void TextureBitmap::SetTopDown(int x, int y, uint8_t index) {
  if (x >= 0 && x < width && y >= 0 && y < height) At(x, height - 1 - y) = index;
}

ColourRef TextureBitmap::ColourTopDown(int x, int y) const {
  return palette[pixels[static_cast<size_t>(height - 1 - y) * width + x]];
}

std::array<ColourRef, 256> TexturePalette(ColourRef colour1, ColourRef colour2, ColourRef colour3,
                                          int tint) {
  std::array<ColourRef, 256> palette{};
  for (int i = 0; i <= 128; ++i) palette[i] = Mix(colour3, 128 - i, colour2, i, 128);
  for (int j = 1; j <= 128; ++j) palette[127 + j] = Mix(colour2, 128 - j, colour1, j, 128);
  const int p = std::clamp(tint, 0, 100);
  for (auto& entry : palette) entry = Mix(colour1, p, entry, 100 - p, 100);
  return palette;
}

std::optional<TextureBitmap> MakeTexture(int effect, int width, int height, ColourRef colour1,
                                         ColourRef colour2, ColourRef colour3, int noise, int tint,
                                         TextureRandom& random) {
  if (effect < kEffectNoise || effect > kEffectMetal || width <= 0 || height <= 0) {
    return std::nullopt;
  }
  TextureBitmap t{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height),
                  TexturePalette(colour1, colour2, colour3, tint)};
  const int g = std::clamp(noise, 0, 255);
  const int range = 255 - 2 * g;
  const int d = 32767 / std::max(2 * g, 1);
  auto next_noise = [&] { return random.Next() / d - g; };
  const int w = width, h = height;
  for (int r = 0; r < h; ++r) {
    for (int c = 0; c < w; ++c) {
      int value = 0;
      switch (effect) {
        case kEffectNoise:
          value = 128;
          break;
        case kEffectDiagShade: {
          const int n = range / 2;
          value = (n * w - c * n) / w + (r * n) / h + g;
          break;
        }
        case kEffectHShade:
          value = (r * range) / h + g;
          break;
        case kEffectVShade:
          value = (range * w - c * range) / w + g;
          break;
        case kEffectHBump:
          value = (Cube((255 * r) / h - 127) * (128 - g)) / 128 + 128;
          break;
        case kEffectVBump:
          value = (Cube((255 * w - 255 * c) / w - 127) * (128 - g)) / 128 + 128;
          break;
        case kEffectSoftBump: {
          const int kr = (255 * r) / h - 127, kc = (255 * w - 255 * c) / w - 127;
          value = std::clamp(((Cube(kr) + Cube(kc)) * (128 - g)) / 128 + 128, g, 255 - g);
          break;
        }
        case kEffectHardBump:
          value = (Cube((255 * r) / h - 127) * (64 - g) * 2) / 128 + 128;
          break;
        case kEffectMetal:
          continue;
      }
      t.At(c, r) = Wrap(value + next_noise());
    }
  }
  if (effect == kEffectHardBump) {
    // The raised edge; too small an area has none.
    const int l = std::min(w / 6, 16), n = (h * h) / 4, half = h / 2;
    for (int r = 0; l > 0 && n > 0 && r < h; ++r) {
      const int m = (l * (r - half) * (r - half)) / n - l + w / 2;
      for (int c = 0; c < w; ++c) {
        const int dx = c - w / 2;
        if (dx > m) t.At(c, r) = Wrap((128 * (w - c)) / l + g + next_noise());
        if (m + dx < 0) t.At(c, r) = Wrap((255 - g) - (128 * c) / l + next_noise());
      }
    }
  }
  if (effect == kEffectMetal) {
    DrawScratches(t, random);
    const int n = (255 - 2 * g - 40) / 2;
    for (int r = 0; r < h; ++r) {
      for (int c = 0; c < w; ++c) {
        t.At(c, r) = Wrap(t.At(c, r) + (n * w - c * n) / w + (r * n) / h + random.Next() / d);
      }
    }
  }
  return t;
}

}  // namespace rescuva::msgbox
