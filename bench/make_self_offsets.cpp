// rescuva-make-self-offsets OUTPUT MEGABYTES: a crafted file whose every four bytes
// hold their own offset, so that every position looks like a message block whose
// chain runs on 12 bytes further.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: rescuva-make-self-offsets OUTPUT MEGABYTES\n");
    return 2;
  }
  const uint64_t length = std::strtoull(argv[2], nullptr, 10) << 20;
  std::FILE* out = std::fopen(argv[1], "wbx");
  if (!out) return 1;
  std::vector<uint8_t> chunk(1 << 20);
  for (uint64_t base = 0; base < length; base += chunk.size()) {
    for (size_t i = 0; i < chunk.size(); i += 4) {
      const uint64_t offset = base + i;
      for (int b = 0; b < 4; ++b) chunk[i + b] = static_cast<uint8_t>(offset >> (8 * b));
    }
    std::fwrite(chunk.data(), 1, chunk.size(), out);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
