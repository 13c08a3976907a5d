// rescuva-memory-bound FILE [THREADS]: two floors for listing a folder file, each the
// least work that gives what the listing gives. The file is mapped whole from the
// page cache (no read, no copy), the blocks found by their own offsets on every thread, and each
// chain followed in memory from the message block no other names and gathered once
// into the thread's own buffer; then every message is parsed once by GMime and hashed
// once with SHA-256 (the full floor), or only its header lines are parsed (the
// headers-only floor). Threads as the machine has cores, unless given. No index,
// scratch files, queues or output.
#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/block_signature_scan.h"
#include "engine/byte_order.h"
#include "loader/message_loader.h"

namespace {

using rescuva::engine::LoadLe32;
using Clock = std::chrono::steady_clock;

// The file mapped whole: its pages are the page cache's, no copy and no zero fill.
struct File {
  const uint8_t* bytes = nullptr;
  size_t size = 0;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  explicit File(const char* path) {
    const int fd = ::open(path, O_RDONLY);
    if (fd < 0) return;
    const off_t length = ::lseek(fd, 0, SEEK_END);
    void* mapped = length > 0 ? ::mmap(nullptr, static_cast<size_t>(length), PROT_READ,
                                       MAP_PRIVATE | MAP_POPULATE, fd, 0)
                              : MAP_FAILED;
    ::close(fd);
    if (mapped == MAP_FAILED) return;
    bytes = static_cast<const uint8_t*>(mapped);
    size = static_cast<size_t>(length);
  }
  ~File() {
    if (bytes) ::munmap(const_cast<uint8_t*>(bytes), size);
  }
};

// Runs `work(thread)` on `threads` threads, this one among them.
template <typename Work>
void OnThreads(unsigned threads, const Work& work) {
  std::vector<std::thread> others;
  for (unsigned t = 1; t < threads; ++t) others.emplace_back([&work, t] { work(t); });
  work(0);
  for (std::thread& other : others) other.join();
}

// The first blocks of the message chains: blocks at their own offsets, shaped as
// message blocks, that no other block names as its next.
std::vector<uint32_t> FirstBlocks(const File& file, unsigned threads) {
  const size_t end = file.size > 16 ? std::min<size_t>(file.size - 16, 0xFFFFFFF0u) : 0;
  std::vector<std::vector<uint32_t>> found(threads);
  OnThreads(threads, [&](unsigned t) {
    const size_t from = end * t / threads, to = end * (t + 1) / threads;
    rescuva::engine::FindSelfOffsets(file.bytes + from, to - from, static_cast<uint32_t>(from),
                                     found[t]);
  });
  std::vector<uint32_t> blocks, named;
  for (auto& part : found) blocks.insert(blocks.end(), part.begin(), part.end());
  named.reserve(blocks.size());
  for (uint32_t b : blocks) named.push_back(LoadLe32(&file.bytes[b + 12]));
  std::sort(named.begin(), named.end());
  std::vector<uint32_t> firsts;
  for (uint32_t b : blocks) {
    const uint32_t size = LoadLe32(&file.bytes[b + 4]);
    if ((size == 0x200 || size == 0x1FC) && !std::binary_search(named.begin(), named.end(), b)) {
      firsts.push_back(b);
    }
  }
  return firsts;
}

// The chain from `first` into `text`; a freed chain's zero bytes shown as '_'.
void Gather(const File& file, uint32_t first, std::vector<char>& text) {
  text.clear();
  bool damaged = false;
  for (uint64_t b = first, steps = 0; b != 0 && b + 16 <= file.size && steps < file.size / 16;
       b = LoadLe32(&file.bytes[b + 12]), ++steps) {
    damaged = LoadLe32(&file.bytes[b + 4]) != 0x200;
    const uint64_t n =
        std::min<uint64_t>({LoadLe32(&file.bytes[b + 8]), uint64_t{512}, file.size - b - 16});
    const char* data = reinterpret_cast<const char*>(&file.bytes[b + 16]);
    text.insert(text.end(), data, data + n);
  }
  if (damaged) std::replace(text.begin(), text.end(), '\0', '_');
}

// The header lines alone: up to the first empty line.
std::span<const char> Headers(const std::vector<char>& text) {
  const std::string_view all(text.data(), text.size());
  for (const char* end : {"\r\n\r\n", "\n\n"}) {
    const size_t at = all.find(end);
    if (at != std::string_view::npos) return {text.data(), at + std::strlen(end)};
  }
  return text;
}

struct Floor {
  double seconds = 0;
  size_t parsed = 0;
};

Floor Measure(const char* path, unsigned threads, bool headers_only, size_t& chains,
              double& found_seconds) {
  const auto start = Clock::now();
  const File file(path);
  const std::vector<uint32_t> firsts = FirstBlocks(file, threads);
  found_seconds = std::chrono::duration<double>(Clock::now() - start).count();
  chains = firsts.size();
  std::atomic<size_t> next{0}, parsed{0};
  OnThreads(threads, [&](unsigned) {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    std::vector<char> text;
    for (size_t i = next++; i < firsts.size(); i = next++) {
      Gather(file, firsts[i], text);
      if (headers_only) {
        if (rescuva::loader::LoadMessage(Headers(text), false)) ++parsed;
        continue;
      }
      if (rescuva::loader::LoadMessage(text, false)) ++parsed;
      EVP_DigestInit_ex(context, EVP_sha256(), nullptr);
      EVP_DigestUpdate(context, text.data(), text.size());
      EVP_DigestFinal_ex(context, digest, &length);
    }
    EVP_MD_CTX_free(context);
  });
  return {std::chrono::duration<double>(Clock::now() - start).count(), parsed.load()};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: rescuva-memory-bound FOLDER_FILE [THREADS]\n");
    return 2;
  }
  const unsigned threads = argc == 3 ? static_cast<unsigned>(std::max(1, std::atoi(argv[2])))
                                     : std::max(1u, std::thread::hardware_concurrency());
  size_t chains = 0;
  double found = 0;
  const Floor full = Measure(argv[1], threads, false, chains, found);
  std::printf("full floor          %.2f s for %zu chains (%zu parsed), %u threads\n", full.seconds,
              chains, full.parsed, threads);
  std::printf("of which reading the file and finding the chains %.2f s\n", found);
  const Floor headers = Measure(argv[1], threads, true, chains, found);
  std::printf("headers-only floor  %.2f s (%zu parsed)\n", headers.seconds, headers.parsed);
  return 0;
}
