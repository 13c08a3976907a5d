// rescuva-memory-bound FILE: a lower bound for listing a folder file. The file is read
// once into memory, every block found by its own offset, every chain followed in
// memory from the message block no other names, and each message parsed once by GMime
// and hashed once with SHA-256, on two threads. No index, scratch files, queues or
// output.
#include <openssl/evp.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>
#include <vector>

#include "engine/block_signature_scan.h"
#include "engine/byte_order.h"
#include "loader/message_loader.h"

namespace {

using rescuva::engine::LoadLe32;

std::vector<std::vector<char>> Messages(const std::vector<uint8_t>& file) {
  std::vector<uint32_t> blocks;
  if (file.size() > 16) {
    rescuva::engine::FindSelfOffsets(file.data(), file.size() - 16, 0, blocks);
  }
  std::vector<uint32_t> named;
  for (uint32_t b : blocks) named.push_back(LoadLe32(&file[b + 12]));
  std::sort(named.begin(), named.end());
  std::vector<std::vector<char>> messages;
  for (uint32_t first : blocks) {
    // message blocks only: not an index node or a record that holds its own offset
    const uint32_t size = LoadLe32(&file[first + 4]);
    if (std::binary_search(named.begin(), named.end(), first) || (size != 0x200 && size != 0x1FC)) {
      continue;
    }
    std::vector<char> text;
    bool damaged = false;
    for (uint64_t b = first, steps = 0; b != 0 && b + 16 <= file.size() && steps < file.size() / 16;
         b = LoadLe32(&file[b + 12]), ++steps) {
      damaged = LoadLe32(&file[b + 4]) != 0x200;
      const uint64_t n =
          std::min<uint64_t>({LoadLe32(&file[b + 8]), uint64_t{512}, file.size() - b - 16});
      text.insert(text.end(), file.begin() + static_cast<ptrdiff_t>(b + 16),
                  file.begin() + static_cast<ptrdiff_t>(b + 16 + n));
    }
    if (damaged) std::replace(text.begin(), text.end(), '\0', '_');
    if (!text.empty()) messages.push_back(std::move(text));
  }
  return messages;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: rescuva-memory-bound FOLDER_FILE\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  std::ifstream in(argv[1], std::ios::binary | std::ios::ate);
  std::vector<uint8_t> file(static_cast<size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(file.size()));
  const auto messages = Messages(file);
  const double gathered =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::atomic<size_t> next{0}, parsed{0};
  auto work = [&] {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    for (size_t i = next++; i < messages.size(); i = next++) {
      if (rescuva::loader::LoadMessage(messages[i], false)) ++parsed;
      EVP_DigestInit_ex(context, EVP_sha256(), nullptr);
      EVP_DigestUpdate(context, messages[i].data(), messages[i].size());
      EVP_DigestFinal_ex(context, digest, &length);
    }
    EVP_MD_CTX_free(context);
  };
  std::thread second(work);
  work();
  second.join();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("in-memory bound     %.2f s for %zu chains (%zu parsed), 2 threads\n", seconds,
              messages.size(), parsed.load());
  std::printf("of which reading the file and gathering the chains %.2f s\n", gathered);
  return 0;
}
