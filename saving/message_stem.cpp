#include "saving/message_stem.h"

#include "saving/mail_status.h"
#include "saving/output_names.h"

namespace rescuva::saving {
namespace {

std::string FolderPath(const SaveRequest& request, int folder) {
  std::string path;
  for (int at = folder; at >= 0 && static_cast<size_t>(at) < request.folders.size();
       at = request.folders[static_cast<size_t>(at)].parent) {
    path = request.folders[static_cast<size_t>(at)].name + (path.empty() ? "" : "/" + path);
  }
  return path;
}

}  // namespace

std::string TemplateStem(const SaveRequest& request, const SaveItem& item,
                         const engine::MessageInfo& info) {
  auto person = [](const std::string& name, const std::string& address) {
    return name.empty() ? address : name;
  };
  const NameFields fields{MessageDate(info),
                          person(info.sender_name, info.sender_address),
                          person(info.receiver_name, info.receiver_address),
                          item.subject,
                          item.offset,
                          FolderPath(request, item.folder),
                          item.fragment  ? "Fragment"
                          : item.deleted ? "Deleted"
                                         : "Existing",
                          info.message_id};
  return SafeFileStem(request.name->Expand(fields), kMostTemplateName);
}

std::string MessageStem(const SaveRequest& request, const SaveItem& item,
                        const engine::MessageInfo& info) {
  return request.name ? TemplateStem(request, item, info)
                      : SafeFileStem(item.subject) + "_" + std::to_string(item.offset);
}

}  // namespace rescuva::saving
