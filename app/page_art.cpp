// rescuva-page-art OUTPUT_FOLDER: draws the pictures of the scan's pages, an animated
// "waiting.gif" (32 x 32) and "completed.gif" (48 x 48), as GIF files.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using Frame = std::vector<uint8_t>;  // palette indices, row after row

// GIF with a 4-colour palette (white, light blue, blue, green), LZW-compressed.
class GifWriter {
 public:
  GifWriter(int width, int height) : width_(width), height_(height) {
    Text("GIF89a");
    Word(width);
    Word(height);
    bytes_.insert(bytes_.end(), {0xF1, 0, 0});  // global palette of 4 entries
    bytes_.insert(bytes_.end(),
                  {0xFF, 0xFF, 0xFF, 0xC8, 0xD8, 0xF0, 0x2B, 0x57, 0x9A, 0x2E, 0x8B, 0x57});
  }
  void Loop() {
    bytes_.insert(bytes_.end(), {0x21, 0xFF, 0x0B});
    Text("NETSCAPE2.0");
    bytes_.insert(bytes_.end(), {0x03, 0x01, 0x00, 0x00, 0x00});
  }
  void AddFrame(const Frame& frame, int delay_centiseconds) {
    bytes_.insert(bytes_.end(), {0x21, 0xF9, 0x04, 0x00});
    Word(delay_centiseconds);
    bytes_.insert(bytes_.end(), {0x00, 0x00, 0x2C});
    Word(0);
    Word(0);
    Word(width_);
    Word(height_);
    bytes_.push_back(0x00);
    Compress(frame);
  }
  bool Save(const std::string& path) {
    bytes_.push_back(0x3B);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(bytes_.data(), 1, bytes_.size(), file) == bytes_.size();
    return std::fclose(file) == 0 && ok;
  }

 private:
  void Text(const char* text) {
    for (; *text; ++text) bytes_.push_back(static_cast<uint8_t>(*text));
  }
  void Word(int value) {
    bytes_.push_back(static_cast<uint8_t>(value));
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
  }
  void Compress(const Frame& frame) {
    constexpr int kMinCodeSize = 2, kClear = 4, kEnd = 5;
    bytes_.push_back(kMinCodeSize);
    std::vector<uint8_t> packed;
    uint32_t buffer = 0;
    int bits = 0, code_size = kMinCodeSize + 1, next = kEnd + 1;
    std::map<std::pair<int, int>, int> table;
    auto emit = [&](int code) {
      buffer |= static_cast<uint32_t>(code) << bits;
      bits += code_size;
      while (bits >= 8) {
        packed.push_back(static_cast<uint8_t>(buffer));
        buffer >>= 8;
        bits -= 8;
      }
    };
    emit(kClear);
    int prefix = frame[0];
    for (size_t i = 1; i < frame.size(); ++i) {
      const auto key = std::make_pair(prefix, static_cast<int>(frame[i]));
      auto found = table.find(key);
      if (found != table.end()) {
        prefix = found->second;
        continue;
      }
      emit(prefix);
      if (next < 4096) {
        table[key] = next++;
        if (next > (1 << code_size) && code_size < 12) ++code_size;
      } else {
        emit(kClear);
        table.clear();
        next = kEnd + 1;
        code_size = kMinCodeSize + 1;
      }
      prefix = frame[i];
    }
    emit(prefix);
    emit(kEnd);
    if (bits > 0) packed.push_back(static_cast<uint8_t>(buffer));
    for (size_t at = 0; at < packed.size(); at += 255) {
      const size_t n = std::min<size_t>(255, packed.size() - at);
      bytes_.push_back(static_cast<uint8_t>(n));
      bytes_.insert(bytes_.end(), packed.begin() + static_cast<long>(at),
                    packed.begin() + static_cast<long>(at + n));
    }
    bytes_.push_back(0);
  }

  int width_, height_;
  std::vector<uint8_t> bytes_;
};

// Eight dots on a circle, the brightest one moving on with each frame.
bool Waiting(const std::string& path) {
  GifWriter gif(32, 32);
  gif.Loop();
  for (int step = 0; step < 8; ++step) {
    Frame frame(32 * 32, 0);
    for (int dot = 0; dot < 8; ++dot) {
      const double angle = dot * M_PI / 4;
      const int cx = 16 + static_cast<int>(std::lround(11 * std::cos(angle)));
      const int cy = 16 + static_cast<int>(std::lround(11 * std::sin(angle)));
      const uint8_t colour = dot == step ? 2 : 1;
      for (int y = -2; y <= 2; ++y) {
        for (int x = -2; x <= 2; ++x) {
          if (x * x + y * y <= 5) frame[static_cast<size_t>((cy + y) * 32 + cx + x)] = colour;
        }
      }
    }
    gif.AddFrame(frame, 25);
  }
  return gif.Save(path);
}

// A green tick in a light circle.
bool Completed(const std::string& path) {
  GifWriter gif(48, 48);
  Frame frame(48 * 48, 0);
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 48; ++x) {
      const int dx = x - 24, dy = y - 24;
      if (dx * dx + dy * dy <= 22 * 22) frame[static_cast<size_t>(y * 48 + x)] = 1;
    }
  }
  auto stroke = [&](int x0, int y0, int x1, int y1) {
    for (int t = 0; t <= 100; ++t) {
      const int x = x0 + (x1 - x0) * t / 100, y = y0 + (y1 - y0) * t / 100;
      for (int w = -2; w <= 2; ++w) frame[static_cast<size_t>((y + w) * 48 + x)] = 3;
    }
  };
  stroke(13, 25, 21, 33);
  stroke(21, 33, 36, 15);
  gif.AddFrame(frame, 0);
  return gif.Save(path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: rescuva-page-art OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  return Waiting(folder + "/waiting.gif") && Completed(folder + "/completed.gif") ? 0 : 1;
}
