#include "saving/output_names.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "engine/file_info_block.h"

namespace rescuva::saving {
namespace {

constexpr int kMaxNameAttempts = 10000;

bool IsReservedDeviceName(std::string stem) {
  if (auto dot = stem.find('.'); dot != std::string::npos) stem.resize(dot);
  for (auto& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL"}) {
    if (stem == device) return true;
  }
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

std::string SafeFileStem(const std::string& subject, size_t most) {
  std::string stem;
  for (unsigned char c : subject) {
    const bool reserved =
        c < 0x20 || c == 0x7F ||
        std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) != std::string_view::npos;
    stem += reserved ? '_' : static_cast<char>(c);
  }
  if (stem.size() > most) {
    size_t cut = most;
    while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80) --cut;
    stem.resize(cut);
  }
  while (!stem.empty() && (stem.back() == '.' || stem.back() == ' ')) stem.pop_back();
  while (!stem.empty() && stem.front() == ' ') stem.erase(stem.begin());
  if (stem.empty()) return "message";
  // a name that starts with "." is hidden, one that starts with "-" reads as an option
  const bool hidden_or_option = stem.front() == '.' || stem.front() == '-';
  return IsReservedDeviceName(stem) || hidden_or_option ? "_" + stem : stem;
}

namespace {

std::string NumberedName(const std::string& folder, const std::string& stem,
                         const std::string& extension, int n) {
  const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  return base + stem + (n == 1 ? "" : " (" + std::to_string(n) + ")") + extension;
}

}  // namespace

std::string FreeFileName(const std::string& folder, const std::string& stem,
                         const std::string& extension) {
  for (int n = 1; n <= kMaxNameAttempts; ++n) {
    const std::string path = NumberedName(folder, stem, extension, n);
    if (!platform::PathExists(path)) return path;
  }
  return {};
}

std::string CreateUniqueFile(const platform::OutputFolder& folder, const std::string& stem,
                             const std::string& extension, platform::OutputFile& file) {
  for (int n = 1; n <= kMaxNameAttempts; ++n) {
    const std::string name = NumberedName("", stem, extension, n);
    if (file.CreateIn(folder.Fd(), name, true)) return name;
    if (errno != EEXIST) return {};
  }
  return {};
}

std::string WriteDatedFile(const platform::OutputFolder& folder, const std::string& stem,
                           const std::string& extension, std::span<const uint8_t> bytes,
                           std::optional<int64_t> date, std::string& error, std::string* undated) {
  platform::OutputFile out;
  const std::string name = CreateUniqueFile(folder, stem, extension, out);
  if (name.empty()) {
    error = "cannot create a file in " + folder.Path() + ": " + out.Error();
    return name;
  }
  bool written = out.Write(bytes);
  if (written && date && !out.SetModificationTime(*date) && undated) *undated = out.Error();
  written = out.Close() && written;
  if (written) return name;
  error = "cannot write " + folder.Path() + "/" + name + ": " + out.Error();
  ::unlinkat(folder.Fd(), name.c_str(), 0);
  return {};
}

std::string CreateUniqueFolder(const std::string& parent, const std::string& stem,
                               std::string& error) {
  for (int n = 1; n <= kMaxNameAttempts; ++n) {
    const std::string path = NumberedName(parent, stem, "", n);
    if (::mkdir(path.c_str(), 0777) == 0) return path;
    if (errno != EEXIST) {
      error = "cannot create " + path + ": " + std::strerror(errno);
      return {};
    }
  }
  error = "cannot create a folder " + stem + " in " + parent + ": every name is taken";
  return {};
}

std::string FolderNameOf(const std::string& folder_file) {
  platform::SourceFile file;
  if (file.Open(folder_file)) {
    if (const auto info = engine::FileInfoBlock::Read(file)) return info->folder_name;
  }
  return std::filesystem::path(folder_file).stem().string();
}

}  // namespace rescuva::saving
