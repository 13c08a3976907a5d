// Feeds arbitrary bytes to the store reader as a store's folder list: once as
// Folders.dbx beside a folder file it may name, once as an Outlook Express 4
// folders.nch, each read into a tree and walked as a save walks it. Nothing may crash,
// hang or leak.
#include <cstdint>
#include <filesystem>
#include <string>

#include "store/mail_store.h"
#include "tests/fuzz_folder.h"

namespace {

const rescuva::testing::FuzzFolder folder;

void ReadAsStore(const std::string& store_name, const std::string& list_name, const uint8_t* data,
                 size_t size) {
  const std::string store = folder.Path() + "/" + store_name;
  std::error_code ec;
  std::filesystem::remove_all(store, ec);
  std::filesystem::create_directory(store, ec);
  if (folder.Write(store_name + "/" + list_name, data, size).empty()) return;
  const rescuva::store::MailStore read = rescuva::store::ReadStore(store);
  for (size_t f = 0; f < read.folders.size(); ++f) read.PathText(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadAsStore("oe6", "Folders.dbx", data, size);
  ReadAsStore("oe4", "folders.nch", data, size);
  return 0;
}
