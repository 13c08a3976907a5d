#include "saving/attachment_files.h"

#include <cctype>
#include <filesystem>

#include "saving/message_stem.h"
#include "saving/output_names.h"

namespace rescuva::saving {
namespace {

// An extension kept only when it is a short run of letters and digits.
std::string SafeExtension(const std::string& extension) {
  if (extension.size() < 2 || extension.size() > 10) return "";
  for (char c : extension.substr(1)) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return "";
  }
  return extension;
}

}  // namespace

std::vector<loader::Attachment> AttachmentsOf(std::span<const uint8_t> message) {
  return loader::LoadAttachments({reinterpret_cast<const char*>(message.data()), message.size()});
}

bool WriteAttachments(const platform::OutputFolder& folder,
                      const std::vector<loader::Attachment>& attachments, const std::string& prefix,
                      std::optional<int64_t> date, std::string& error) {
  for (const loader::Attachment& attachment : attachments) {
    const std::filesystem::path name(attachment.name.empty() ? "attachment" : attachment.name);
    const std::string extension = SafeExtension(name.extension().string());
    const std::span content(reinterpret_cast<const uint8_t*>(attachment.content.data()),
                            attachment.content.size());
    const std::string stem =
        prefix.empty() ? SafeFileStem(name.stem().string())
                       : SafeFileStem(prefix + "_" + name.stem().string(), kMostTemplateName);
    if (WriteDatedFile(folder, stem, extension, content, date, error, nullptr).empty()) {
      return false;
    }
  }
  return true;
}

}  // namespace rescuva::saving
