// Feeds arbitrary bytes to the message loader as a recovered message, with and without
// its bodies, and writes the MIME HTML archive the preview shows of it. Recovered text
// is untrusted: nothing may crash, hang or leak.
#include <cstdint>
#include <span>

#include "loader/message_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const char> bytes(reinterpret_cast<const char*>(data), size);
  rescuva::loader::LoadMessage(bytes, false);
  if (const auto message = rescuva::loader::LoadMessage(bytes, true)) {
    rescuva::loader::MhtmlArchive(*message);
  }
  return 0;
}
